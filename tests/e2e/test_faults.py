#!/usr/bin/env python3
"""The program under faults, from outside: no sound server, a server that comes
late, dies or freezes; missing program files and tracks; no tray host; the
clock jumping and daylight saving; signals while the output is muted. Each
case is a test that states what must hold and checks it; a table of the cases
is printed at the end and the run fails if any case failed. How long the
window is held up is timed by its answers to the window manager's ping
(watch.py).

    test_faults.py                 every case
    test_faults.py jump dst        the cases whose names contain these words
"""

import contextlib
import datetime
import os
import shutil
import signal
import sys
import time
import unittest

from app import BUT_ON_OFF, BUT_TRACK, CLOSE, MINIMIZE, alarm_clock, clock_text
from paths import APP_BIN, APP_DIR, require_program
from procs import poll, run, say, temp_dir
from pulse import Pulse, Recorder, pulseaudio
from rig import rig
from sound import RATE, Ears, write_tone
from watch import Watch
from xserver import xvfb

START = "2026-12-08 06:59:30"
CLIP_MATCH = 0.6
BLOCK_LIMIT = 2.0  # seconds any one handler may hold the window up


# --- steps of the cases -------------------------------------------------------------

def keeps_time(watch, clock, timeout=5):
    """The window catches up with the clock: it shows the clock's current second
    (or the one before)."""
    def current(row):
        now = clock.now()
        faces = {clock_text(now - datetime.timedelta(seconds=d)) for d in (0, 1)}
        return (row[1], row[2]) in faces
    watch.until(current, timeout, "the window to show the clock's time")


def responsive(watch, since):
    """Since `since` (monotonic), no handler held the window up for BLOCK_LIMIT
    s: every ping was answered sooner. Gives the figures as a note. The longest
    time between two shown seconds is only reported: a tick spans a whole
    announcement, and a hold-up just before a tick adds the rest of a second."""
    held_up, gap = watch.ping.longest_wait(since), watch.longest_gap(since)
    assert watch.ping.count(since) > 0, "the window answered no ping"
    assert held_up < BLOCK_LIMIT, "the window was held up %.2f s" % held_up
    return "held up at most %.2f s; shown seconds at most %.2f s apart" % (held_up, gap)


def arm(app, watch, text):
    app.set_alarm(text)
    watch.until(lambda row: row[3], 5, "the alarm to show armed")


def arm_muted(app, pulse, watch, text):
    """Arms the alarm and waits for the mute that follows the switch-on clip."""
    arm(app, watch, text)
    poll(pulse.muted, 6, "the sink to be muted after arming")


def switch_off(app, watch):
    app.click(*BUT_ON_OFF)
    watch.until(lambda row: not row[3] and not row[4], 5, "the alarm to be switched off")


def choose_track(app, path):
    app.click(*BUT_TRACK)
    app.type_into(app.dialog("Select A File"), str(path))
    app.dialog_closed("Select A File")
    poll(lambda: 'lblTrack "%s"' % path in app.log(), 5, "the track to be chosen")


def track_stream(pulse):
    """The server's index of the alarm track's stream, or None."""
    out = run(["pactl", "list", "sink-inputs"], pulse.env, check=False).stdout
    for block in out.split("Sink Input #")[1:]:
        if 'media.name = "alarm track"' in block:
            return int(block.split()[0])
    return None


@contextlib.contextmanager
def frozen(pulse):
    """The sound server stopped with SIGSTOP: it accepts connections, never answers."""
    os.kill(pulse.proc.pid, signal.SIGSTOP)
    try:
        yield
    finally:
        os.kill(pulse.proc.pid, signal.SIGCONT)


EARS = None


def ears():
    """What listens for the program's sounds, made once."""
    global EARS
    if EARS is None:
        EARS = Ears(APP_DIR / "sounds")
    return EARS


def clip_heard(rec, since, name):
    return ears().find(rec.samples()[int(since * RATE):], name)[1] > CLIP_MATCH


def beep_heard(rec, since):
    """A quarter of a second of the beep alone after `since` s of the recording."""
    loud = ears().beep(rec.samples()[int(since * RATE):], 0.05) > 0.5
    return any(loud[i: i + 5].all() for i in range(max(0, len(loud) - 4)))


def wait_beep(rec, since, timeout=15):
    poll(lambda: beep_heard(rec, since), timeout, "the beep to be heard", interval=0.3)


def wait_clip(rec, since, name, timeout=15):
    poll(lambda: clip_heard(rec, since, name), timeout, "%s to be heard" % name,
         interval=0.3)


@contextlib.contextmanager
def watched(start=START, **options):
    """The usual rig with a Watch on the program and a recording of the sink."""
    with rig(start, **options) as (app, display, pulse, host, workdir):
        watch = Watch(app)
        try:
            with Recorder(pulse, workdir / "monitor.raw") as rec:
                app.find_window()
                watch.ping_window()
                yield app, pulse, host, watch, rec, workdir
        finally:
            watch.stop()


def ring_at_seven(app, pulse, watch, rec):
    """Arms 07:00 AM, waits for the mute, moves the clock to the minute and
    waits for ringing; gives the recording's length just before the minute."""
    arm_muted(app, pulse, watch, "07:00 AM")
    before = rec.seconds()
    app.clock.set("2026-12-08 06:59:58")
    watch.until(lambda row: row[4], 6, "the alarm to ring")
    poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
    return before


def program_without(bare, keep_sounds):
    """Copies the program into `bare` with only the sound files `keep_sounds`
    (paths under sounds/) beside it: no pictures, no icon, no fonts."""
    shutil.copy2(APP_BIN, bare / APP_BIN.name)
    for name in keep_sounds:
        (bare / "sounds" / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(APP_DIR / "sounds" / name, bare / "sounds" / name)
    return bare / APP_BIN.name


ENGLISH = sorted(p.name for p in (APP_DIR / "sounds" / "en").glob("*.wav"))
# What is left beside the program, and the clips of the 07:00 announcement
# that must still be heard.
BARE_FOLDERS = [
    ("files_missing_one_clip", ["beep.wav"] + ["en/" + n for n in ENGLISH if n != "seven.wav"],
     ["am.wav", "wake_up.wav"]),
    ("files_missing_all_clips", ["beep.wav"], []),
]

# Paris leaves 01:59:59 CET for 03:00:00 CEST on 2027-03-28, and shows 02:00 to
# 02:59 twice on 2026-10-25 (CEST, then CET). The clock reads the local time and
# knows nothing of zones, so each change is a jump of the local clock like any
# other: the skipped hour is a jump forward of 60 minutes, and an alarm inside
# it is up to 59 minutes late, within the hour the late rule rings for; the
# repeated hour is a jump back of 60 minutes, so its minutes come round again
# and an alarm still on rings a second time, while one switched off stays off.
PARIS = "Europe/Paris"


def ring_at_first_half_past_two(app, pulse, watch):
    """Arms 02:30 on the night the hour repeats and waits for the ring at the
    first 02:30 (summer time); gives the ring's row."""
    arm_muted(app, pulse, watch, "02:30")
    app.clock.set("2026-10-25 02:29:58")
    row = watch.until(lambda row: row[4], 5, "the alarm to ring")
    assert row[1].startswith("02:30:"), "rang at %s" % row[1]
    poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
    return row


# --- the cases ---------------------------------------------------------------------

class Faults(unittest.TestCase):
    """One case per test, its docstring what must hold. Each leaves a note of
    what it saw in self.note for the table."""

    note = ""

    @classmethod
    def setUpClass(cls):
        require_program()

    def shortDescription(self):
        return " ".join(self._testMethodDoc.split())

    def test_no_server_then_server(self):
        """no server at start: it runs, arms and keeps time; a server started
        later gets the next mute and the ring"""
        with temp_dir() as workdir, xvfb() as display:
            runtime = workdir / "runtime"
            runtime.mkdir(mode=0o700)
            absent = Pulse(runtime)  # its address; nothing listens there yet
            with alarm_clock(display, absent, workdir, START) as app:
                watch = Watch(app)
                try:
                    app.find_window()
                    watch.ping_window()
                    keeps_time(watch, app.clock)
                    since = time.monotonic()
                    arm(app, watch, "07:00 AM")
                    switch_off(app, watch)
                    note = responsive(watch, since)
                    with pulseaudio(runtime) as pulse, \
                            Recorder(pulse, workdir / "monitor.raw") as rec:
                        arm_muted(app, pulse, watch, "07:00 AM")
                        app.clock.set("2026-12-08 06:59:58")
                        watch.until(lambda row: row[4], 6, "the alarm to ring")
                        poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
                        wait_beep(rec, 0)
                finally:
                    watch.stop()
        self.note = "without a server: " + note

    def test_server_killed_while_ringing(self):
        """the server killed while ringing: the clock ticks on with the right
        time, the next minute passes, switching off works"""
        with watched() as (app, pulse, _, watch, rec, _):
            ring_at_seven(app, pulse, watch, rec)
            pulse.proc.kill()
            pulse.proc.wait()
            since = time.monotonic()
            watch.shows("07:00:05", "AM")
            keeps_time(watch, app.clock)
            app.clock.set("2026-12-08 07:00:58")
            watch.shows("07:01:03", "AM")
            keeps_time(watch, app.clock)
            assert watch.last()[4], "no longer ringing"
            switch_off(app, watch)
            keeps_time(watch, app.clock)
            self.note = responsive(watch, since)

    def test_server_frozen_while_arming(self):
        """the server frozen during arming: nothing holds the window up for
        BLOCK_LIMIT (2 s) or more, and the clock catches up"""
        with watched() as (app, pulse, _, watch, _, _):
            app.click(*BUT_ON_OFF)
            dialog = app.dialog("Set Alarm")
            with frozen(pulse):
                since = time.monotonic()
                app.type_into(dialog, "07:00 AM")
                app.dialog_closed("Set Alarm")
                watch.until(lambda row: row[3], 5, "the alarm to show armed")
                # The switch-on clip, then the mute 1.5 s after it, both against the frozen server.
                poll(lambda: time.monotonic() > since + 6, 10, "six seconds")
                self.note = responsive(watch, since)
            keeps_time(watch, app.clock)

    def test_server_frozen_while_announcing(self):
        """the server frozen as an announcement starts: nothing holds the
        window up for BLOCK_LIMIT (2 s) or more, the clock catches up and
        rings on"""
        with watched() as (app, pulse, _, watch, rec, _):
            ring_at_seven(app, pulse, watch, rec)
            watch.shows("07:00:05", "AM")
            app.clock.set("2026-12-08 07:00:58")
            watch.shows("07:00:59", "AM")
            with frozen(pulse):
                since = time.monotonic()
                watch.shows("07:01:05", "AM")
                self.note = responsive(watch, since)
            keeps_time(watch, app.clock)
            assert watch.last()[4], "no longer ringing"

    def files_missing(self, keep_sounds, heard):
        with temp_dir("alarm-bare-") as bare:
            program = program_without(bare, keep_sounds)
            with watched(program=program, tray=True) as (app, pulse, _, watch, rec, _):
                keeps_time(watch, app.clock)
                rang = ring_at_seven(app, pulse, watch, rec)
                for name in heard:
                    wait_clip(rec, rang, name)
                wait_beep(rec, rang)
                assert watch.last()[4], "no longer ringing"
        self.note = "no pictures, icon or fonts; %d of %d clips; heard: %s" % (
            len(keep_sounds) - 1, len(ENGLISH), ", ".join(heard + ["beep.wav"]))

    def track_spoiled(self, spoil):
        with watched() as (app, pulse, _, watch, rec, workdir):
            track = workdir / "song.wav"
            write_tone(track)
            choose_track(app, track)
            spoil(track)
            rang = ring_at_seven(app, pulse, watch, rec)
            wait_beep(rec, rang)
            assert watch.last()[4], "no longer ringing"
        self.note = "beep heard"

    def test_track_deleted(self):
        """the chosen track deleted before the alarm: the beep rings"""
        self.track_spoiled(lambda track: track.unlink())

    def test_track_corrupt(self):
        """the chosen track replaced by a corrupt file: the beep rings"""
        self.track_spoiled(lambda track: track.write_bytes(b"RIFF\x24\x00\x00\x00WAVEjunk" * 64))

    def test_no_tray_host(self):
        """no tray host: it runs, and "X" still closes the window and ends it"""
        with watched() as (app, _, _, watch, _, _):
            keeps_time(watch, app.clock)
            app.click(*CLOSE)
            poll(lambda: not app.running(), 15, "the program to end")
            assert app.proc.returncode == 0, "exit status %s" % app.proc.returncode
        self.note = "exit status 0"

    def test_jump_forward_10_min(self):
        """the clock jumps 10 minutes past the alarm: it rings once, late"""
        with watched() as (app, pulse, _, watch, rec, _):
            arm_muted(app, pulse, watch, "07:00 AM")
            since = time.monotonic()
            heard_from = rec.seconds()
            app.clock.set("2026-12-08 07:10:00")
            row = watch.until(lambda row: row[4], 5, "the late alarm to ring")
            poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
            wait_beep(rec, heard_from)
            stream = poll(lambda: track_stream(pulse), 5, "the track's stream")
            app.clock.set("2026-12-08 07:10:58")
            watch.shows("07:11:03", "AM")
            assert watch.ring_starts(since) == 1, "rang %d times" % watch.ring_starts(since)
            assert track_stream(pulse) == stream, "the track started again"
        self.note = "rang once, at %s %s (10 min late), unmuted, beep heard" % row[1:3]

    def jump_past(self, jump, rings, hidden):
        """Armed for 07:00 AM at 06:00 (hidden in the tray when told), the
        clock moves right after a tick of 06:00 so that the next tick comes
        `jump` s after it; that tick rings once, late, or finds the alarm
        missed: unmuted, off, told once."""
        with watched("2026-12-08 05:59:40", tray=hidden) as (app, pulse, host, watch, rec, _):
            arm_muted(app, pulse, watch, "07:00 AM")
            if hidden:
                poll(lambda: host.icons_of(app), 15, "the program's tray icon")
                app.click(*MINIMIZE)
                poll(lambda: not app.viewable(), 10, "the window to be hidden")
            # Hidden, the clock ticks at whole minutes only: this one, then a minute later.
            watch.until(lambda row: row[1].startswith("06:00:"), 45, "a tick of 06:00")
            since, heard_from = time.monotonic(), rec.seconds()
            # The next tick comes a second later shown, a minute later hidden:
            # it lands `jump` s after this one.
            app.clock.jump(jump - (60 if hidden else 1))
            row = watch.until(lambda row: row[0] > since and row[1].startswith("08:"), 75,
                              "the tick after the jump")
            lands = row[1]
            if rings:
                assert row[4], "no ring at %s" % lands
                poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
                wait_beep(rec, heard_from)
                # Ringing, it ticks every second, hidden or not.
                watch.until(lambda row: row[1] > lands[:6] + "03", 10, "three more seconds")
                assert watch.ring_starts(since) == 1, "rang %d times" % watch.ring_starts(since)
                assert not app.viewable() if hidden else app.viewable()
                self.note = "%s: rang once at %s, unmuted, beep heard" % (
                    "hidden" if hidden else "shown", lands)
                return
            assert not row[3] and not row[4], "still armed or ringing at %s" % lands
            poll(lambda: not pulse.muted(), 3, "the mute to be let go")
            told = [line for line in app.log().splitlines()
                    if "told: Alarm 07:00 AM missed" in line]
            assert len(told) == 1, "told %d times" % len(told)
            poll(lambda: rec.seconds() > heard_from + 3, 10, "three seconds of the monitor")
            assert watch.ring_starts(since) == 0, "it rang"
            assert track_stream(pulse) is None, "a track plays"
            assert not beep_heard(rec, heard_from), "the beep was heard"
            assert len([line for line in app.log().splitlines() if "told: " in line]) == 1
            self.note = "%s: at %s missed, unmuted, switched off, told once" % (
                "hidden" if hidden else "shown", lands)

    def test_set_back_while_waiting(self):
        """the clock set back 1 hour while the alarm waits: it rings once,
        when 07:00 comes"""
        with watched() as (app, pulse, _, watch, _, _):
            arm_muted(app, pulse, watch, "07:00 AM")
            since = time.monotonic()
            app.clock.set("2026-12-08 05:59:50")
            watch.shows("05:59:53", "AM")
            assert watch.ring_starts(since) == 0, "it rang when the clock went back"
            app.clock.set("2026-12-08 06:59:58")
            row = watch.until(lambda row: row[4], 5, "the alarm to ring")
            assert row[1].startswith("07:00:"), "rang at %s" % row[1]
            poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
            watch.shows("07:00:03", "AM")
            assert watch.ring_starts(since) == 1, "rang %d times" % watch.ring_starts(since)
        self.note = "not at the jump back; rang once, at %s %s, unmuted" % row[1:3]

    def test_set_back_while_ringing(self):
        """the clock set back 1 hour while ringing: the minutes are still
        announced, and the track starts over when 07:00 comes again"""
        with watched() as (app, pulse, _, watch, rec, _):
            ring_at_seven(app, pulse, watch, rec)
            stream = poll(lambda: track_stream(pulse), 5, "the track's stream")
            app.clock.set("2026-12-08 06:00:58")
            watch.shows("06:00:59", "AM")
            since = rec.seconds()
            wait_clip(rec, since, "six.wav")
            wait_clip(rec, since, "one.wav")
            assert watch.last()[4], "no longer ringing"
            before = track_stream(pulse)
            assert before == stream, "the track started over without the alarm time"
            app.clock.set("2026-12-08 06:59:58")
            watch.shows("07:00:01", "AM")
            again = poll(lambda: track_stream(pulse) not in (None, stream) and
                         track_stream(pulse), 5, "the track to start over")
        self.note = "06:01 announced; track stream #%d then #%d at 07:00" % (stream, again)

    def test_dst_skipped_hour(self):
        """an alarm at 02:30 on the night 02:00-02:59 is skipped: it rings at
        03:00, 30 minutes late, as for any clock that stepped over it"""
        with watched("2027-03-28 01:59:30", zone=PARIS) as (app, pulse, _, watch, _, _):
            arm_muted(app, pulse, watch, "02:30")
            app.clock.set("2027-03-28 01:59:57")
            row = watch.until(lambda row: row[4], 8, "the alarm to ring after the skip")
            assert row[1].startswith("03:00:"), "rang at %s" % row[1]
            poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
            faces = [r[1] for r in watch.rows]
            assert not [f for f in faces if f.startswith("02:")], "the skipped hour was shown"
            after = next(i for i, face in enumerate(faces) if face.startswith("03:"))
            self.note = ("%s was followed by %s, 02:30 never shown; rang at %s, 30 min late, "
                         "within the 60 min a stepped-over alarm still rings"
                         % (faces[after - 1], faces[after], row[1]))

    def test_dst_repeated_hour_switched_off(self):
        """an alarm at 02:30 on the night 02:00-02:59 comes twice: it rings at
        the first 02:30; switched off, it stays off at the second"""
        with watched("2026-10-25 02:29:30", zone=PARIS) as (app, pulse, _, watch, _, _):
            ring_at_first_half_past_two(app, pulse, watch)
            switch_off(app, watch)
            since = time.monotonic()
            app.clock.set("2026-10-25 02:29:58", fold=1)
            watch.shows("02:30:03", "AM")
            assert watch.ring_starts(since) == 0, "it rang again"
            assert not pulse.muted(), "muted"
            assert track_stream(pulse) is None, "a track plays"
        self.note = ("rang at 02:30 summer time; switched off, silent at 02:30 winter time: "
                     "an alarm that is off stays off")

    def test_dst_repeated_hour_ringing(self):
        """an alarm at 02:30 on the night 02:00-02:59 comes twice: still
        ringing at the second 02:30, the track starts over"""
        with watched("2026-10-25 02:29:30", zone=PARIS) as (app, pulse, _, watch, _, _):
            ring_at_first_half_past_two(app, pulse, watch)
            stream = poll(lambda: track_stream(pulse), 5, "the track's stream")
            app.clock.set("2026-10-25 02:29:58", fold=1)
            watch.shows("02:29:59", "AM")
            assert track_stream(pulse) == stream, "the track started over before 02:30"
            watch.shows("02:30:01", "AM")
            assert watch.last()[4], "no longer ringing"
            again = poll(lambda: track_stream(pulse) not in (None, stream) and
                         track_stream(pulse), 5, "the track to start over")
        self.note = ("rang at 02:30 summer time, still ringing at 02:30 winter time: the "
                     "track started over (stream #%d then #%d), as when a clock is set back"
                     % (stream, again))

    def signal_while_muted(self, sig):
        with watched(tray=True) as (app, pulse, host, watch, _, _):
            poll(lambda: host.icons_of(app), 15, "the program's tray icon")
            arm_muted(app, pulse, watch, "07:00 AM")
            app.proc.send_signal(sig)
            poll(lambda: not app.running(), 15, "the program to end")
            assert app.proc.returncode == 0, "exit status %s" % app.proc.returncode
            assert not pulse.muted(), "the sink was left muted"
            poll(lambda: not host.icons(), 10, "the tray icon to go")
        self.note = "exit status 0, unmuted, no icon"


def add_case(name, holds, run_case):
    """Adds the test test_<name> that runs run_case(test)."""
    def test(self):
        run_case(self)
    test.__doc__ = holds
    setattr(Faults, "test_" + name, test)


for _name, _keep, _heard in BARE_FOLDERS:
    add_case(_name, "only %d sound files beside the program, no pictures, icon or fonts: it "
             "starts, arms and rings; the clips that are there are heard, and the beep"
             % len(_keep), lambda test, keep=_keep, heard=_heard: test.files_missing(keep, heard))

# Jumps from 06:00 over a 07:00 alarm that keep the minute's digits: landing 60
# minutes after it rings once, late; 61 minutes after it, it is missed.
for _name, _jump, _rings in [("jump_60_min_late_same_digits", 2 * 3600, True),
                             ("jump_61_min_late_missed", 2 * 3600 + 60, False)]:
    for _hidden in (False, True):
        add_case(_name + ("_hidden" if _hidden else ""),
                 "the clock jumps from 06:00 to %s past a 07:00 alarm, window %s: %s"
                 % ("08:00" if _rings else "08:01", "hidden in the tray" if _hidden else "shown",
                    "it rings once, late" if _rings
                    else "missed: unmuted, switched off, told once"),
                 lambda test, jump=_jump, rings=_rings, hidden=_hidden:
                 test.jump_past(jump, rings, hidden))

for _sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    add_case("signal_%s" % _sig.name, "%s while the alarm waits muted: unmuted, tray icon "
             "gone, exit status 0" % _sig.name,
             lambda test, sig=_sig: test.signal_while_muted(sig))


# --- running them ------------------------------------------------------------------

def case_name(test):
    return test.id().rsplit(".", 1)[-1][len("test_"):]


class Table(unittest.TextTestResult):
    """Says which case starts and how it ended, and keeps a row per case:
    (name, held, detail, seconds)."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.rows = []
        self.started = 0.0

    def startTest(self, test):
        say("=== %s: %s" % (case_name(test), test.shortDescription()))
        self.started = time.monotonic()
        super().startTest(test)

    def row(self, test, held, detail):
        seconds = time.monotonic() - self.started
        self.rows.append((case_name(test), held, detail, seconds))
        say("    %s (%.0f s): %s" % ("held" if held else "failed", seconds, detail))

    def addSuccess(self, test):
        super().addSuccess(test)
        self.row(test, True, test.note)

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.row(test, False, "%s: %s" % (err[0].__name__, err[1]))

    def addError(self, test, err):
        super().addError(test, err)
        self.row(test, False, "%s: %s" % (err[0].__name__, err[1]))


def main(words):
    """Runs the cases whose names hold any of `words` (all without words) and
    prints the table."""
    loader = unittest.TestLoader()
    cases = [Faults(name) for name in loader.getTestCaseNames(Faults)
             if not words or any(w in name[len("test_"):] for w in words)]
    result = unittest.TextTestRunner(resultclass=Table, verbosity=0, stream=sys.stdout).run(
        unittest.TestSuite(cases))
    say("")
    say("%-32s %-7s %6s  %s" % ("case", "result", "secs", "detail"))
    for name, held, detail, seconds in result.rows:
        say("%-32s %-7s %6.0f  %s" % (name, "held" if held else "failed", seconds, detail))
    failed = [r for r in result.rows if not r[1]]
    say("%d of %d cases held in %.0f s" % (len(result.rows) - len(failed), len(result.rows),
                                           sum(r[3] for r in result.rows)))
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
