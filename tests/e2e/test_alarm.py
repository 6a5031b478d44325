#!/usr/bin/env python3
"""The talking alarm from outside: arm it through the real dialog, hear the
switch-on clip, find the sink muted, move the clock to the alarm minute, find
the sink unmuted and hear the beep and the spoken time in order; at the next
minute switch it off with a click while it speaks; arm it again, let it ring
and speak once more and switch it off while the track plays. Throughout, the
window goes on: it shows every second on time and answers pings while the
clock speaks. And: a SIGTERM while muted leaves the sink unmuted."""

import contextlib
import datetime
import re
import signal
import time
import unittest

import numpy as np
from Xlib import X
from Xlib import display as xdisplay
from Xlib.ext import xtest

from app import BUT_ON_OFF, BUT_SETTINGS, alarm_clock
from fakeclock import FakeClock
from paths import APP_DIR, require_program
from procs import poll, say, temp_dir
from pulse import Recorder, pulseaudio
from recogniser import heard_time, recognise
from rig import rig
from sound import RATE, Ears, rms
from xserver import PingWatch, xvfb

START = "2026-12-08 06:59:40"
JUST_BEFORE = "2026-12-08 06:59:57"
BEFORE_MIDNIGHT = "2026-12-08 23:59:30"
JUST_BEFORE_MIDNIGHT = "2026-12-08 23:59:58"
ALARM_TEXT = "07:00 AM"
CLIP_MATCH = 0.6  # normalized cross-correlation that counts as "heard"
ANNOUNCEMENT = ["seven.wav", "am.wav", "wake_up.wav"]
NEXT_MINUTE = "2026-12-08 07:00:57"
NEXT_ANNOUNCEMENT = ["seven.wav", "zero.wav", "one.wav", "am.wav", "wake_up.wav"]
AGAIN_TEXT = "07:02 AM"
LAST_MINUTE = "2026-12-08 07:01:57"
LAST_ANNOUNCEMENT = ["seven.wav", "zero.wav", "two.wav", "am.wav", "wake_up.wav"]
PAUSE_GRACE = 0.3  # seconds of the track that may still sound after it was paused
AFTER_ANNOUNCEMENT = 3.0  # seconds listened to after an announcement for the track
SILENCE = 1e-3  # RMS below -60 dBFS
FRAME = 0.05  # seconds per frame of the beep detector
BEEP_ALONE = 0.5  # share of a frame's energy in the beep's bands: the beep sounds
# ... the beep sounds under speech: then a frame scores 0.8 or more, while the
# words alone score up to about 0.35 (wake_up.wav, in frames at its edges).
BEEP_UNDER = 0.5
# Seconds a shown second may stay before the next one. The tick that starts
# the ring unmutes, opens the track and queues the words before its second is
# drawn: under the sanitizers on two busy cores that took up to 55 ms.
TICK_LIMIT = 1.1
PINGS_WHILE_SPEAKING = 5  # pings answered during the middle of each announcement, at least

# The program with every line of its log stamped with its (fake) wall-clock time.
STAMPED = {"QT_MESSAGE_PATTERN": "%{time yyyy-MM-dd hh:mm:ss.zzz} "
                                 "%{if-category}%{category}: %{endif}%{message}"}
STATE_LINE = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) .*lblTime\W+"
                        r"(\d{1,2}:\d{2}:\d{2})\W+lblAMPM\W+(AM|PM)\W+butOnOff\W+(\d)"
                        r"\W+blnAlarm\W+(true|false)", re.M)
# The ON/OFF switch in window pixels; its "ON" picture is blue, "OFF" grey.
SWITCH = (24, 64, 50, 25)
SWITCH_BLUE = 35  # mean blue minus mean red of the switch that shows "ON"


def state_rows(log_text):
    """The window's state line of each second: (logged at, shown time, armed,
    ringing), both times as datetimes of the fake clock."""
    rows = []
    for stamp, face, half, armed, ringing in STATE_LINE.findall(log_text):
        logged = datetime.datetime.strptime(stamp, "%Y-%m-%d %H:%M:%S.%f")
        shown = datetime.datetime.combine(
            logged.date(), datetime.datetime.strptime(face + half, "%I:%M:%S%p").time())
        rows.append((logged, shown, armed == "1", ringing == "true"))
    return rows


@contextlib.contextmanager
def stamped_rig(start):
    """X, PulseAudio and the program, whose log lines carry their wall-clock
    time. Yields (app, display, pulse, workdir)."""
    with contextlib.ExitStack() as stack:
        workdir = stack.enter_context(temp_dir())
        display = stack.enter_context(xvfb())
        pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
        app = stack.enter_context(alarm_clock(display, pulse, workdir, start,
                                              extra_env=STAMPED))
        yield app, display, pulse, workdir


class Switch:
    """The ON/OFF switch as seen on the screen, clicked through XTEST on a
    connection of the caller's own, so that the click's moment is known."""

    def __init__(self, app):
        self.x = xdisplay.Display(app.display.name)
        self.window = self.x.create_resource_object("window", app.window)
        app.display.xdotool("mousemove", "--window", app.window, *BUT_ON_OFF)

    def shows_on(self):
        image = self.window.get_image(*SWITCH, X.ZPixmap, 0xFFFFFFFF)
        pixels = np.frombuffer(image.data, np.uint8).reshape(SWITCH[3], SWITCH[2], 4)
        return float(pixels[..., 0].mean()) - float(pixels[..., 2].mean()) > SWITCH_BLUE

    def click(self):
        """Clicks the switch (the mouse is over it); gives the monotonic time."""
        xtest.fake_input(self.x, X.ButtonPress, 1)
        clicked = time.monotonic()
        xtest.fake_input(self.x, X.ButtonRelease, 1)
        self.x.sync()
        return clicked

    def seen_off(self, timeout=5):
        """Waits, looking all the time, until the switch shows "OFF"; gives the
        monotonic time it was first seen so."""
        return poll(lambda: not self.shows_on() and time.monotonic(), timeout,
                    "the switch to show OFF", interval=0.001)

    def close(self):
        self.x.close()


def check_seconds(test, rows, moves):
    """Between two moves of the clock, each shown second follows the one
    before, and no second stays longer than TICK_LIMIT. Gives the longest
    stay and the second that stayed so."""
    longest = (0.0, datetime.time())
    for start, end in zip(moves, moves[1:] + [datetime.datetime.max]):
        stretch = [row for row in rows if start <= row[1] < end]
        test.assertGreater(len(stretch), 1, "no seconds shown from %s" % start)
        for (logged, shown, *_), (next_logged, next_shown, *_) in zip(stretch, stretch[1:]):
            test.assertEqual((next_shown - shown).total_seconds(), 1.0,
                             "%s followed %s" % (next_shown.time(), shown.time()))
            stay = (next_logged - logged).total_seconds()
            test.assertLessEqual(stay, TICK_LIMIT, "%s was shown %.3f s" % (shown.time(), stay))
            longest = max(longest, (stay, shown.time()))
    return longest


def beep_starts(ears, heard, after=0.0):
    """When the beep is first heard alone after `after` s, or None."""
    share = ears.beep(heard, FRAME)
    loud = [i for i in range(int(after / FRAME), len(share)) if share[i] > BEEP_ALONE]
    return loud[0] * FRAME if loud else None


def beep_during(ears, heard, start, end):
    """Whether the beep sounds, under speech or alone, between `start` and `end` s."""
    share = ears.beep(heard, FRAME)[int(start / FRAME): int(end / FRAME) + 1]
    return len(share) > 0 and float(share.max()) > BEEP_UNDER


class TalkingAlarm(unittest.TestCase):
    def arm(self, app, text=ALARM_TEXT):
        app.find_window()
        say("click butOnOff and type %r into the dialog" % text)
        app.set_alarm(text)

    def hear_announcement(self, ears, rec, since, names, folder="en"):
        """Waits until `names` were heard after `since` s of the recording and
        AFTER_ANNOUNCEMENT s more were recorded; checks they came whole, in
        order and one after the other. Returns (heard, [(start, match)], end),
        times counted from `since`."""

        def done():
            heard = rec.samples()[int(since * RATE):]
            found = [ears.find(heard, name, folder) for name in names]
            at, score = found[-1]
            if score < CLIP_MATCH:
                return None
            end = at + ears.length(names[-1], folder)
            return (heard, found, end) if len(heard) / RATE >= end + AFTER_ANNOUNCEMENT else None

        heard, found, end = poll(done, 25, "the announcement " + ", ".join(names),
                                         interval=0.3)
        for name, (at, score) in zip(names, found):
            say("   %s at %.2f s (match %.2f)" % (name, since + at, score))
        for name, (at, score) in zip(names, found):
            self.assertGreater(score, CLIP_MATCH, "%s was not heard" % name)
        onsets = [at for at, _ in found]
        self.assertEqual(onsets, sorted(onsets), "not heard in the order " + ", ".join(names))
        for (at, _), (next_at, _), name in zip(found, found[1:], names):
            self.assertGreaterEqual(next_at + 0.05, at + ears.length(name, folder),
                                    "%s overlaps the next clip" % name)
        return heard, found, end

    def check_time_understood(self, ears, heard, found, end, shown):
        """A speech recogniser, given the announcement as recorded (the beep's
        frequencies cut), hears the hour and minute that the window shows."""
        start = max(0.0, found[0][0] - 0.2)
        words = recognise([ears.without_beep(heard[int(start * RATE):int((end + 0.2) * RATE)])],
                          RATE)[0]
        say("   the recogniser heard \"%s\"; the window shows %s"
            % (" ".join(words), shown.strftime("%I:%M %p")))
        with self.subTest("a listener hears the time shown"):
            self.assertEqual((heard_time(words) or (None, None))[:2],
                             (shown.hour % 12 or 12, shown.minute))

    def check_track_goes_on(self, ears, heard, end):
        with self.subTest("the beep goes on after the announcement"):
            again = beep_starts(ears, heard, after=end)
            self.assertIsNotNone(again, "no beep within %.1f s after the announcement"
                                 % AFTER_ANNOUNCEMENT)
            say("   beep again %.2f s after wake_up.wav ended" % (again - end))

    def check_pings(self, pings, rec, since, found, end):
        """The window answered pings while the clock spoke: some were sent and
        answered between the announcement's first and last 0.3 s (left out for
        the recording's own delay). A window held up by the words answers none.
        The recording's times are placed on the monotonic clock by its length
        now: it starts late and may fall behind, so its start says little."""
        recorded = time.monotonic() - rec.seconds()
        first = recorded + since + found[0][0] + 0.3
        last = recorded + since + end - 0.3
        waits = [answered - sent for sent, answered in list(pings.waits)
                 if sent >= first and answered <= last]
        say("   %d pings answered while it spoke, the slowest after %.1f ms"
            % (len(waits), 1000 * max(waits, default=float("nan"))))
        with self.subTest("the window answers pings while the clock speaks"):
            self.assertGreaterEqual(len(waits), PINGS_WHILE_SPEAKING,
                                    "the window hardly answered while the clock spoke")

    def heard_switch_off(self, ears, rec, since):
        """Waits for alarm_off.wav after `since` s of the recording and a second
        after it; gives (heard, start, match, end, the second after it),
        times counted from `since`."""

        def done():
            heard = rec.samples()[int(since * RATE):]
            at, score = ears.find(heard, "alarm_off.wav")
            if score < CLIP_MATCH:
                return None
            end = at + ears.length("alarm_off.wav")
            tail = heard[int((end + 0.3) * RATE):]
            return (heard, at, score, end, tail) if len(tail) >= RATE else None

        return poll(done, 15, "alarm_off.wav and a second after it", interval=0.3)

    def test_arm_ring_announce_switch_off(self):
        require_program()
        ears = Ears(APP_DIR / "sounds")
        with stamped_rig(START) as (app, display, pulse, workdir):
            self.assertFalse(pulse.muted(), "the sink starts muted")
            pings = PingWatch(display.name, app.find_window())
            switch = Switch(app)
            try:
                with Recorder(pulse, workdir / "monitor.raw") as rec:
                    try:
                        self.journey(app, pulse, rec, ears, pings, switch)
                    finally:
                        rec.keep("test_alarm-monitor.wav")
            finally:
                switch.close()
                pings.stop()

    def journey(self, app, pulse, rec, ears, pings, switch):
        moves = [START]
        self.arm(app)

        say("checks: alarm_set.wav is heard whole, then the sink is muted 1.5 s later")
        muted_at = poll(lambda: pulse.muted() and len(rec.samples()), 15,
                                "the sink to be muted") / RATE
        at, score = ears.find(rec.samples(), "alarm_set.wav")
        say("   alarm_set.wav at %.2f s (match %.2f)" % (at, score))
        self.assertGreater(score, CLIP_MATCH, "the switch-on clip was not heard whole")
        after_clip = muted_at - (at + ears.length("alarm_set.wav"))
        say("   muted at %.2f s, %.2f s after the clip ended" % (muted_at, after_clip))
        self.assertGreater(after_clip, 1.2, "muted before 1.5 s had passed")
        self.assertLess(after_clip, 2.5, "muted later than 2.5 s after the clip")
        self.assertTrue(app.running())

        say("checks: still muted at 6:59:57, unmuted at 7:00:00")
        moves.append(JUST_BEFORE)
        app.clock.set(JUST_BEFORE)
        self.assertTrue(pulse.muted())
        poll(lambda: not pulse.muted(), 10, "the mute to be cleared at 7:00")
        ring_fake = app.clock.now()
        say("   unmuted at fake %s" % ring_fake.strftime("%H:%M:%S.%f")[:-3])
        self.assertEqual((ring_fake.hour, ring_fake.minute), (7, 0))
        ring_from = len(rec.samples()) / RATE - 0.5

        say("checks: %s in order, with the beep under them or after them"
            % ", ".join(ANNOUNCEMENT))
        heard, found, end = self.hear_announcement(ears, rec, ring_from, ANNOUNCEMENT)
        first_beep = beep_starts(ears, heard)
        say("   beep first heard at %s" % ("never" if first_beep is None
                                           else "%.2f s" % (ring_from + first_beep)))
        # The first announcement comes in the same tick as the ring. It pauses
        # the beep if the player already plays it, and a player still opening
        # the file is left alone and heard under it: either way the beep must
        # be heard by the end of the announcement or just after it.
        with self.subTest("the beep is heard with or after the first announcement"):
            self.assertIsNotNone(first_beep, "the beep was never heard")
            self.assertLessEqual(first_beep, end + AFTER_ANNOUNCEMENT)
        self.check_pings(pings, rec, ring_from, found, end)
        self.check_track_goes_on(ears, heard, end)
        self.assertFalse(pulse.muted())

        say("checks: at 7:01 the track is paused and %s are heard whole and in order; a "
            "click on butOnOff during them switches the alarm off at once (the switch is "
            "seen OFF and the next second shows it off, before the words end); then "
            "alarm_off.wav, and the track is not heard again" % ", ".join(NEXT_ANNOUNCEMENT))
        moves.append(NEXT_MINUTE)
        app.clock.set(NEXT_MINUTE)
        minute_from = rec.seconds()
        poll(lambda: ears.find(rec.samples()[int(minute_from * RATE):],
                               NEXT_ANNOUNCEMENT[0])[1] > CLIP_MATCH,
             10, "%s at 7:01" % NEXT_ANNOUNCEMENT[0], interval=0.02)
        self.assertTrue(switch.shows_on(), "the switch does not show ON while ringing")
        clicked = switch.click()
        clicked_fake, clicked_at = app.clock.now(), rec.seconds() - minute_from
        seen_off = switch.seen_off()
        say("   the switch seen OFF %.1f ms after the click" % (1000 * (seen_off - clicked)))
        next_second = poll(lambda: [r for r in state_rows(app.log()) if r[0] > clicked_fake],
                           5, "the second after the click")[0]
        heard, found, end = self.hear_announcement(ears, rec, minute_from, NEXT_ANNOUNCEMENT)
        say("   clicked at %.2f s" % (minute_from + clicked_at))
        self.assertTrue(found[0][0] < clicked_at < end, "the click missed the announcement")
        self.assertLess(clicked_at + seen_off - clicked, end,
                        "the switch showed OFF only after the words")
        self.assertEqual(next_second[2:], (False, False),
                         "the second after the click still shows the alarm on")
        self.assertLess(next_second[0], clicked_fake + datetime.timedelta(seconds=end - clicked_at),
                        "the second after the click came only after the words")
        self.check_pings(pings, rec, minute_from, found, end)
        with self.subTest("the track is paused during the announcement"):
            self.assertFalse(beep_during(ears, heard, found[0][0] + PAUSE_GRACE, end),
                             "the track sounded during the announcement")
        heard, at, score, off_end, tail = self.heard_switch_off(ears, rec, minute_from)
        say("   alarm_off.wav %.2f s after the words (match %.2f)" % (at - end, score))
        self.assertGreaterEqual(at, end - 0.05, "alarm_off.wav cut into the words")
        self.assertFalse(beep_during(ears, heard, end, off_end), "the track came back")
        say("   from 0.3 s after it: RMS %.5f" % rms(tail))
        self.assertLess(rms(tail), SILENCE, "the player still sounds")
        self.assertFalse(pulse.muted(), "switched off yet muted")

        say("checks: armed again for %s and muted; at 7:02 unmuted, %s heard in order, "
            "and the track goes on" % (AGAIN_TEXT, ", ".join(LAST_ANNOUNCEMENT)))
        self.arm(app, AGAIN_TEXT)
        poll(pulse.muted, 15, "the sink to be muted again")
        moves.append(LAST_MINUTE)
        app.clock.set(LAST_MINUTE)
        minute_from = rec.seconds()
        poll(lambda: not pulse.muted(), 10, "the mute to be cleared at 7:02")
        heard, found, end = self.hear_announcement(ears, rec, minute_from, LAST_ANNOUNCEMENT)
        self.check_time_understood(ears, heard, found, end, state_rows(app.log())[-1][1])
        self.check_pings(pings, rec, minute_from, found, end)
        self.check_track_goes_on(ears, heard, end)

        say("checks: a click on butOnOff switches off without a dialog: alarm_off.wav over "
            "the beep, then silence")
        clicked_from = rec.seconds()
        app.click(*BUT_ON_OFF)
        heard, at, score, end, tail = self.heard_switch_off(ears, rec, clicked_from)
        say("   alarm_off.wav %.2f s after the click (match %.2f)" % (at, score))
        self.assertFalse(app.visible("Set Alarm"), "switching off opened the dialog")
        with self.subTest("the switch-off clip is heard over the still playing beep"):
            self.assertTrue(beep_during(ears, heard, at, end),
                            "the beep had stopped before the switch-off clip")
        say("   from 0.3 s after it: RMS %.5f" % rms(tail))
        self.assertLess(rms(tail), SILENCE, "the player still sounds")
        self.assertFalse(pulse.muted(), "switched off yet muted")
        self.assertTrue(app.running())

        say("checks: between the moves of the clock each second is shown, one after the "
            "other, none for more than %.2f s" % TICK_LIMIT)
        longest, second = check_seconds(self, state_rows(app.log()),
                                        [FakeClock.parse(m) for m in moves])
        say("   the longest a second was shown: %.3f s (%s)" % (longest, second))

    def test_french_says_minuit_at_midnight(self):
        """Switched to French with the cog, an alarm at 12:00 AM is announced as
        minuit (the hour of 12 in the morning is 0 on the 24-hour clock)."""
        require_program()
        with rig(BEFORE_MIDNIGHT) as (app, display, pulse, _, workdir):
            app.find_window()
            say("click the cog and answer Yes: French")
            app.click(*BUT_SETTINGS)
            display.xdotool("windowfocus", "--sync", app.dialog("Options"))
            display.xdotool("key", "Return")
            app.dialog_closed("Options")
            self.arm(app, "12:00 AM")
            poll(pulse.muted, 15, "the sink to be muted")
            with Recorder(pulse, workdir / "monitor.raw") as rec:
                app.clock.set(JUST_BEFORE_MIDNIGHT)
                say("checks: minuit.wav, am.wav, reveille.wav in order at 00:00")
                self.hear_announcement(Ears(APP_DIR / "sounds"), rec, 0,
                                       ["minuit.wav", "am.wav", "reveille.wav"], folder="fr")

    def test_sigterm_while_muted_unmutes(self):
        require_program()
        with rig(START) as (app, display, pulse, _, workdir):
            self.arm(app)
            say("checks: muted after arming")
            poll(pulse.muted, 15, "the sink to be muted")
            say("checks: SIGTERM ends the program and leaves the sink unmuted")
            app.proc.send_signal(signal.SIGTERM)
            poll(lambda: app.proc.poll() is not None, 15, "the program to end")
            say("   exit status %s" % app.proc.returncode)
            # Zero: the shut-down ran to its end without a sanitizer report.
            self.assertEqual(app.proc.returncode, 0, "the program did not end cleanly")
            self.assertFalse(pulse.muted(), "the program left the sink muted")


if __name__ == "__main__":
    unittest.main(verbosity=2)
