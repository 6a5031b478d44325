#!/usr/bin/env python3
"""The program under faults, from outside: no sound server, a server that comes
late, dies or freezes; missing program files and tracks; no tray host; the
clock jumping and daylight saving; signals while the output is muted. Each
case states what must hold and checks it; a table of the cases is printed at
the end and the run fails if any case failed. How long the window is held up
is timed by its answers to the window manager's ping (faults_support.py).

    test_faults.py                 every case
    test_faults.py jump dst        the cases whose names contain these words
"""

import contextlib
import datetime
import os
import re
import shutil
import signal
import sys
import threading
import time
import traceback
import wave

import numpy as np

import faults_support
import harness
from harness import say

START = "2026-12-08 06:59:30"
BUT_ON_OFF = (24 + 25, 64 + 12)
BUT_TRACK = (80 + 12, 64 + 12)
CLOSE = (580 + 8, 3 + 15)
CLIP_MATCH = 0.6
BLOCK_LIMIT = 2.0  # seconds any one handler may hold the window up
STATE = re.compile(r'lblTime\W+(\d{1,2}:\d{2}:\d{2})\W+lblAMPM\W+(AM|PM)'
                   r'\W+butOnOff\W+(\d)\W+blnAlarm\W+(true|false)')


# --- watching the program ----------------------------------------------------------

class Watch:
    """Follows the program's log as it grows and stamps every shown second with
    the real (monotonic) time it arrived: (stamp, face, half, armed, ringing)."""

    def __init__(self, app):
        self.app = app
        self.rows = []
        self.done = False
        self.ping = None
        self.thread = threading.Thread(target=self.follow, daemon=True)
        self.thread.start()

    def follow(self):
        position, partial = 0, ""
        while not self.done:
            try:
                with open(self.app.log_path, errors="replace") as log:
                    log.seek(position)
                    text = log.read()
                    position = log.tell()
            except OSError:
                text = ""
            now = time.monotonic()
            lines = (partial + text).split("\n")
            partial = lines.pop()
            for line in lines:
                match = STATE.search(line)
                if match:
                    face, half, armed, ringing = match.groups()
                    self.rows.append((now, face, half, armed == "1", ringing == "true"))
            time.sleep(0.01)

    def ping_window(self):
        """Starts timing the window's answers to pings (once it is found)."""
        self.ping = faults_support.PingWatch(self.app.display.name, self.app.window)

    def stop(self):
        self.done = True
        self.thread.join(timeout=2)
        if self.ping:
            self.ping.stop()

    def last(self):
        return self.rows[-1] if self.rows else None

    def until(self, condition, timeout, what):
        """Polls the latest shown second until condition(row) holds; gives the row."""
        def check():
            if not self.app.running():
                raise AssertionError("the program exited with %s" % self.app.proc.returncode)
            row = self.last()
            return row if row and condition(row) else None
        return harness.poll(check, timeout, what)

    def shows(self, hhmmss, half, timeout=10):
        """Waits until the window shows a second at or after `hhmmss` `half`
        (same hour, within a minute)."""
        def reached(row):
            return row[2] == half and row[1][:2] == hhmmss[:2] and row[1] >= hhmmss
        return self.until(reached, timeout, "the window to show %s %s" % (hhmmss, half))

    def longest_gap(self, since):
        """The longest real time between two shown seconds after `since`,
        counting the wait for the next one up to now."""
        stamps = [since] + [row[0] for row in self.rows if row[0] >= since] + [time.monotonic()]
        return max(b - a for a, b in zip(stamps, stamps[1:]))

    def ring_starts(self, since):
        """How often blnAlarm went from false to true after `since`."""
        before = [row[4] for row in self.rows if row[0] < since][-1:]
        states = before + [row[4] for row in self.rows if row[0] >= since]
        return sum(1 for a, b in zip(states, states[1:]) if b and not a)


def keeps_time(watch, clock, timeout=5):
    """The window catches up with the clock: it shows the clock's current second
    (or the one before)."""
    def current(row):
        now = clock.now()
        faces = {harness.clock_text(now - datetime.timedelta(seconds=d)) for d in (0, 1)}
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


def dialog_closed(app, title):
    harness.poll(lambda: not app.display.xdotool(
        "search", "--onlyvisible", "--name", "^%s$" % title, check=False).strip(),
        10, "the dialog %r to close" % title)


def arm(app, watch, text):
    app.click(*BUT_ON_OFF)
    app.type_into(app.dialog("Set Alarm"), text)
    dialog_closed(app, "Set Alarm")
    watch.until(lambda row: row[3], 5, "the alarm to show armed")


def arm_muted(app, pulse, watch, text):
    """Arms the alarm and waits for the mute that follows the switch-on clip."""
    arm(app, watch, text)
    harness.poll(pulse.muted, 6, "the sink to be muted after arming")


def switch_off(app, watch):
    app.click(*BUT_ON_OFF)
    watch.until(lambda row: not row[3] and not row[4], 5, "the alarm to be switched off")


def choose_track(app, path):
    app.click(*BUT_TRACK)
    app.type_into(app.dialog("Select A File"), str(path))
    dialog_closed(app, "Select A File")
    harness.poll(lambda: 'lblTrack "%s"' % path in app.log(), 5, "the track to be chosen")


def track_stream(pulse):
    """The server's index of the alarm track's stream, or None."""
    out = harness.run(["pactl", "list", "sink-inputs"], pulse.env, check=False).stdout
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


class Ears:
    """Finds the beep and the voice clips in a recording of the sink's monitor."""

    def __init__(self):
        sounds = harness.APP_DIR / "sounds"
        self.bands = harness.loud_bands(harness.load_wav(sounds / "beep.wav"))
        self.sounds = sounds

    def clip_heard(self, rec, since, name, folder="en"):
        heard = harness.band_stop(rec.samples()[int(since * harness.RATE):], self.bands)
        clip = harness.band_stop(harness.load_wav(self.sounds / folder / name), self.bands)
        return harness.best_match(heard, clip)[1] > CLIP_MATCH

    def beep_heard(self, rec, since):
        """A quarter of a second of the beep alone after `since` s of the recording."""
        share = harness.band_share(rec.samples()[int(since * harness.RATE):], self.bands)
        loud = share > 0.5
        return any(loud[i: i + 5].all() for i in range(max(0, len(loud) - 4)))

    def wait_beep(self, rec, since, timeout=15):
        harness.poll(lambda: self.beep_heard(rec, since), timeout, "the beep to be heard",
                     interval=0.3)

    def wait_clip(self, rec, since, name, timeout=15):
        harness.poll(lambda: self.clip_heard(rec, since, name), timeout,
                     "%s to be heard" % name, interval=0.3)


EARS = None


def ears():
    global EARS
    if EARS is None:
        EARS = Ears()
    return EARS


@contextlib.contextmanager
def watched(start=START, **options):
    """The usual rig with a Watch on the program and a recording of the sink."""
    with harness.rig(start, **options) as (app, display, pulse, host, workdir):
        watch = Watch(app)
        try:
            with harness.Recorder(pulse, workdir / "monitor.raw") as rec:
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
    harness.poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
    return before


# --- the cases ---------------------------------------------------------------------------

CASES = []


def case(name, holds):
    def register(run):
        CASES.append((name, holds, run))
        return run
    return register


@case("no_server_then_server", "no server at start: it runs, arms and keeps time; a server "
      "started later gets the next mute and the ring")
def no_server_then_server():
    with harness.temp_dir() as workdir, harness.xvfb() as display:
        runtime = workdir / "runtime"
        runtime.mkdir(mode=0o700)
        absent = harness.Pulse(runtime)  # its address; nothing listens there yet
        with harness.alarm_clock(display, absent, workdir, START) as app:
            watch = Watch(app)
            try:
                app.find_window()
                watch.ping_window()
                keeps_time(watch, app.clock)
                since = time.monotonic()
                arm(app, watch, "07:00 AM")
                switch_off(app, watch)
                note = responsive(watch, since)
                with harness.pulseaudio(runtime) as pulse, \
                        harness.Recorder(pulse, workdir / "monitor.raw") as rec:
                    arm_muted(app, pulse, watch, "07:00 AM")
                    app.clock.set("2026-12-08 06:59:58")
                    watch.until(lambda row: row[4], 6, "the alarm to ring")
                    harness.poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
                    ears().wait_beep(rec, 0)
            finally:
                watch.stop()
    return "without a server: " + note


@case("server_killed_while_ringing", "the server killed while ringing: the clock ticks on "
      "with the right time, the next minute passes, switching off works")
def server_killed_while_ringing():
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
        return responsive(watch, since)


@case("server_frozen_while_arming", "the server frozen during arming: nothing holds the "
      "window up %.0f s or more, and the clock catches up" % BLOCK_LIMIT)
def server_frozen_while_arming():
    with watched() as (app, pulse, _, watch, _, _):
        app.click(*BUT_ON_OFF)
        dialog = app.dialog("Set Alarm")
        with frozen(pulse):
            since = time.monotonic()
            app.type_into(dialog, "07:00 AM")
            dialog_closed(app, "Set Alarm")
            watch.until(lambda row: row[3], 5, "the alarm to show armed")
            # The switch-on clip, then the mute 1.5 s after it, both against the frozen server.
            harness.poll(lambda: time.monotonic() > since + 6, 10, "six seconds")
            note = responsive(watch, since)
        keeps_time(watch, app.clock)
    return note


@case("server_frozen_while_announcing", "the server frozen as an announcement starts: "
      "nothing holds the window up %.0f s or more, the clock catches up and rings on"
      % BLOCK_LIMIT)
def server_frozen_while_announcing():
    with watched() as (app, pulse, _, watch, rec, _):
        ring_at_seven(app, pulse, watch, rec)
        watch.shows("07:00:05", "AM")
        app.clock.set("2026-12-08 07:00:58")
        watch.shows("07:00:59", "AM")
        with frozen(pulse):
            since = time.monotonic()
            watch.shows("07:01:05", "AM")
            note = responsive(watch, since)
        keeps_time(watch, app.clock)
        assert watch.last()[4], "no longer ringing"
    return note


def program_without(bare, keep_sounds):
    """Copies the program into `bare` with only the sound files `keep_sounds`
    (paths under sounds/) beside it: no pictures, no icon, no fonts."""
    shutil.copy2(harness.APP_BIN, bare / harness.APP_BIN.name)
    for name in keep_sounds:
        (bare / "sounds" / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(harness.APP_DIR / "sounds" / name, bare / "sounds" / name)
    return bare / harness.APP_BIN.name


ENGLISH = sorted(p.name for p in (harness.APP_DIR / "sounds" / "en").glob("*.wav"))
# What is left beside the program, and the clips of the 07:00 announcement
# that must still be heard.
BARE_FOLDERS = [
    ("files_missing_one_clip", ["beep.wav"] + ["en/" + n for n in ENGLISH if n != "seven.wav"],
     ["am.wav", "wake_up.wav"]),
    ("files_missing_all_clips", ["beep.wav"], []),
]


def files_missing(keep_sounds, heard):
    with harness.temp_dir("alarm-bare-") as bare:
        program = program_without(bare, keep_sounds)
        with watched(program=program, tray=True) as (app, pulse, _, watch, rec, _):
            keeps_time(watch, app.clock)
            rang = ring_at_seven(app, pulse, watch, rec)
            for name in heard:
                ears().wait_clip(rec, rang, name)
            ears().wait_beep(rec, rang)
            assert watch.last()[4], "no longer ringing"
    return "no pictures, icon or fonts; %d of %d clips; heard: %s" % (
        len(keep_sounds) - 1, len(ENGLISH), ", ".join(heard + ["beep.wav"]))


for _name, _keep, _heard in BARE_FOLDERS:
    case(_name, "only %d sound files beside the program, no pictures, icon or fonts: it "
         "starts, arms and rings; the clips that are there are heard, and the beep"
         % len(_keep))(lambda keep=_keep, heard=_heard: files_missing(keep, heard))


def tone_file(path, seconds=2.0, hertz=660.0):
    rate = 22050
    t = np.arange(int(seconds * rate)) / rate
    data = (0.4 * 32767 * np.sin(2 * np.pi * hertz * t)).astype("<i2")
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(data.tobytes())


def track_spoiled(spoil):
    with watched() as (app, pulse, _, watch, rec, workdir):
        track = workdir / "song.wav"
        tone_file(track)
        choose_track(app, track)
        spoil(track)
        rang = ring_at_seven(app, pulse, watch, rec)
        ears().wait_beep(rec, rang)
        assert watch.last()[4], "no longer ringing"


@case("track_deleted", "the chosen track deleted before the alarm: the beep rings")
def track_deleted():
    track_spoiled(lambda track: track.unlink())
    return "beep heard"


@case("track_corrupt", "the chosen track replaced by a corrupt file: the beep rings")
def track_corrupt():
    track_spoiled(lambda track: track.write_bytes(b"RIFF\x24\x00\x00\x00WAVEjunk" * 64))
    return "beep heard"


@case("no_tray_host", "no tray host: it runs, and \"X\" still closes the window and ends it")
def no_tray_host():
    with watched() as (app, _, _, watch, _, _):
        keeps_time(watch, app.clock)
        app.click(*CLOSE)
        harness.poll(lambda: not app.running(), 15, "the program to end")
        assert app.proc.returncode == 0, "exit status %s" % app.proc.returncode
    return "exit status 0"


@case("jump_forward_10_min", "the clock jumps 10 minutes past the alarm: it rings once, late")
def jump_forward_10_min():
    with watched() as (app, pulse, _, watch, rec, _):
        arm_muted(app, pulse, watch, "07:00 AM")
        since = time.monotonic()
        heard_from = rec.seconds()
        app.clock.set("2026-12-08 07:10:00")
        row = watch.until(lambda row: row[4], 5, "the late alarm to ring")
        harness.poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
        ears().wait_beep(rec, heard_from)
        stream = harness.poll(lambda: track_stream(pulse), 5, "the track's stream")
        app.clock.set("2026-12-08 07:10:58")
        watch.shows("07:11:03", "AM")
        assert watch.ring_starts(since) == 1, "rang %d times" % watch.ring_starts(since)
        assert track_stream(pulse) == stream, "the track started again"
    return "rang once, at %s %s (10 min late), unmuted, beep heard" % row[1:3]


@case("jump_forward_2_hours", "the clock jumps 2 hours past the alarm: missed, still armed "
      "and muted, no track and no beep")
def jump_forward_2_hours():
    with watched() as (app, pulse, _, watch, rec, _):
        arm_muted(app, pulse, watch, "07:00 AM")
        since, heard_from = time.monotonic(), rec.seconds()
        app.clock.set("2026-12-08 09:00:00")
        watch.shows("09:00:04", "AM")
        assert watch.ring_starts(since) == 0, "it rang"
        assert watch.last()[3], "no longer armed"
        assert pulse.muted(), "unmuted"
        assert track_stream(pulse) is None, "a track plays"
        assert not ears().beep_heard(rec, heard_from), "the beep was heard"
    return "120 min late: missed; still armed and muted, no track, no beep"


@case("set_back_while_waiting", "the clock set back 1 hour while the alarm waits: it rings "
      "once, when 07:00 comes")
def set_back_while_waiting():
    with watched() as (app, pulse, _, watch, _, _):
        arm_muted(app, pulse, watch, "07:00 AM")
        since = time.monotonic()
        app.clock.set("2026-12-08 05:59:50")
        watch.shows("05:59:53", "AM")
        assert watch.ring_starts(since) == 0, "it rang when the clock went back"
        app.clock.set("2026-12-08 06:59:58")
        row = watch.until(lambda row: row[4], 5, "the alarm to ring")
        assert row[1].startswith("07:00:"), "rang at %s" % row[1]
        harness.poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
        watch.shows("07:00:03", "AM")
        assert watch.ring_starts(since) == 1, "rang %d times" % watch.ring_starts(since)
    return "not at the jump back; rang once, at %s %s, unmuted" % row[1:3]


@case("set_back_while_ringing", "the clock set back 1 hour while ringing: the minutes are "
      "still announced, and the track starts over when 07:00 comes again")
def set_back_while_ringing():
    with watched() as (app, pulse, _, watch, rec, _):
        ring_at_seven(app, pulse, watch, rec)
        stream = harness.poll(lambda: track_stream(pulse), 5, "the track's stream")
        app.clock.set("2026-12-08 06:00:58")
        watch.shows("06:00:59", "AM")
        since = rec.seconds()
        ears().wait_clip(rec, since, "six.wav")
        ears().wait_clip(rec, since, "one.wav")
        assert watch.last()[4], "no longer ringing"
        before = track_stream(pulse)
        assert before == stream, "the track started over without the alarm time"
        app.clock.set("2026-12-08 06:59:58")
        watch.shows("07:00:01", "AM")
        again = harness.poll(lambda: track_stream(pulse) not in (None, stream) and
                             track_stream(pulse), 5, "the track to start over")
    return "06:01 announced; track stream #%d then #%d at 07:00" % (stream, again)


# Paris leaves 01:59:59 CET for 03:00:00 CEST on 2027-03-28, and shows 02:00 to
# 02:59 twice on 2026-10-25 (CEST, then CET). The clock reads the local time and
# knows nothing of zones, so each change is a jump of the local clock like any
# other: the skipped hour is a jump forward of 60 minutes, and an alarm inside
# it is up to 59 minutes late, within the hour the late rule rings for; the
# repeated hour is a jump back of 60 minutes, so its minutes come round again
# and an alarm still on rings a second time, while one switched off stays off.
PARIS = "Europe/Paris"


@case("dst_skipped_hour", "an alarm at 02:30 on the night 02:00-02:59 is skipped: it rings "
      "at 03:00, 30 minutes late, as for any clock that stepped over it")
def dst_skipped_hour():
    with watched("2027-03-28 01:59:30", zone=PARIS) as (app, pulse, _, watch, _, _):
        arm_muted(app, pulse, watch, "02:30")
        app.clock.set("2027-03-28 01:59:57")
        row = watch.until(lambda row: row[4], 8, "the alarm to ring after the skip")
        assert row[1].startswith("03:00:"), "rang at %s" % row[1]
        harness.poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
        faces = [r[1] for r in watch.rows]
        assert not [f for f in faces if f.startswith("02:")], "the skipped hour was shown"
        after = next(i for i, face in enumerate(faces) if face.startswith("03:"))
        return ("%s was followed by %s, 02:30 never shown; rang at %s, 30 min late, within "
                "the 60 min a stepped-over alarm still rings" % (faces[after - 1],
                                                                 faces[after], row[1]))


def ring_at_first_half_past_two(app, pulse, watch):
    """Arms 02:30 on the night the hour repeats and waits for the ring at the
    first 02:30 (summer time); gives the ring's row."""
    arm_muted(app, pulse, watch, "02:30")
    app.clock.set("2026-10-25 02:29:58")
    row = watch.until(lambda row: row[4], 5, "the alarm to ring")
    assert row[1].startswith("02:30:"), "rang at %s" % row[1]
    harness.poll(lambda: not pulse.muted(), 3, "the mute to be cleared")
    return row


@case("dst_repeated_hour_switched_off", "an alarm at 02:30 on the night 02:00-02:59 comes "
      "twice: it rings at the first 02:30; switched off, it stays off at the second")
def dst_repeated_hour_switched_off():
    with watched("2026-10-25 02:29:30", zone=PARIS) as (app, pulse, _, watch, _, _):
        ring_at_first_half_past_two(app, pulse, watch)
        switch_off(app, watch)
        since = time.monotonic()
        app.clock.set("2026-10-25 02:29:58", fold=1)
        watch.shows("02:30:03", "AM")
        assert watch.ring_starts(since) == 0, "it rang again"
        assert not pulse.muted(), "muted"
        assert track_stream(pulse) is None, "a track plays"
    return ("rang at 02:30 summer time; switched off, silent at 02:30 winter time: "
            "an alarm that is off stays off")


@case("dst_repeated_hour_ringing", "an alarm at 02:30 on the night 02:00-02:59 comes twice: "
      "still ringing at the second 02:30, the track starts over")
def dst_repeated_hour_ringing():
    with watched("2026-10-25 02:29:30", zone=PARIS) as (app, pulse, _, watch, _, _):
        ring_at_first_half_past_two(app, pulse, watch)
        stream = harness.poll(lambda: track_stream(pulse), 5, "the track's stream")
        app.clock.set("2026-10-25 02:29:58", fold=1)
        watch.shows("02:29:59", "AM")
        assert track_stream(pulse) == stream, "the track started over before 02:30"
        watch.shows("02:30:01", "AM")
        assert watch.last()[4], "no longer ringing"
        again = harness.poll(lambda: track_stream(pulse) not in (None, stream) and
                             track_stream(pulse), 5, "the track to start over")
    return ("rang at 02:30 summer time, still ringing at 02:30 winter time: the track "
            "started over (stream #%d then #%d), as when a clock is set back" % (stream, again))


def signal_while_muted(sig):
    with watched(tray=True) as (app, pulse, host, watch, _, _):
        def our_icon():
            ours = {int(w) for w in app.pids_windows()}
            return [w for w in host.icons() if w["id"] in ours]
        harness.poll(our_icon, 15, "the program's tray icon")
        arm_muted(app, pulse, watch, "07:00 AM")
        app.proc.send_signal(sig)
        harness.poll(lambda: not app.running(), 15, "the program to end")
        assert app.proc.returncode == 0, "exit status %s" % app.proc.returncode
        assert not pulse.muted(), "the sink was left muted"
        harness.poll(lambda: not host.icons(), 10, "the tray icon to go")
    return "exit status 0, unmuted, no icon"


for _sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    case("signal_%s" % _sig.name, "%s while the alarm waits muted: unmuted, tray icon gone, "
         "exit status 0" % _sig.name)(lambda sig=_sig: signal_while_muted(sig))


# --- running them -------------------------------------------------------------------------

def main(words):
    harness.require_program()
    chosen = [c for c in CASES if not words or any(w in c[0] for w in words)]
    results = []
    for name, holds, run in chosen:
        say("=== %s: %s" % (name, holds))
        started = time.monotonic()
        try:
            detail = run()
            held = True
        except Exception as error:  # a case that breaks is a case that failed
            traceback.print_exc()
            held, detail = False, "%s: %s" % (type(error).__name__, error)
        results.append((name, held, detail, time.monotonic() - started))
        say("    %s (%.0f s): %s" % ("held" if held else "failed", results[-1][3], detail))
    say("")
    say("%-32s %-7s %6s  %s" % ("case", "result", "secs", "detail"))
    for name, held, detail, seconds in results:
        say("%-32s %-7s %6.0f  %s" % (name, "held" if held else "failed", seconds, detail))
    failed = [r for r in results if not r[1]]
    say("%d of %d cases held in %.0f s" % (len(results) - len(failed), len(results),
                                           sum(r[3] for r in results)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
