#!/usr/bin/env python3
"""The talking alarm from outside: arm it through the real dialog, hear the
switch-on clip, find the sink muted, move the clock to the alarm minute, find
the sink unmuted and hear the beep and the spoken time in order, switch it off
and hear the player stop. And: a SIGTERM while muted leaves the sink unmuted."""

import signal
import unittest

from app import BUT_ON_OFF
from paths import APP_DIR, require_program
from procs import poll, say
from pulse import Recorder
from rig import rig
from sound import RATE, Ears, rms

START = "2026-12-08 06:59:40"
JUST_BEFORE = "2026-12-08 06:59:57"
ALARM_TEXT = "07:00 AM"
CLIP_MATCH = 0.6  # normalized cross-correlation that counts as "heard"
ANNOUNCEMENT = ["seven.wav", "am.wav", "wake_up.wav"]
NEXT_MINUTE = "2026-12-08 07:00:58"
NEXT_ANNOUNCEMENT = ["seven.wav", "zero.wav", "one.wav", "am.wav", "wake_up.wav"]
PAUSE_GRACE = 0.3  # seconds of the track that may still sound after it was paused
AFTER_ANNOUNCEMENT = 3.0  # seconds listened to after an announcement for the track
SILENCE = 1e-3  # RMS below -60 dBFS
FRAME = 0.05  # seconds per frame of the beep detector
BEEP_ALONE = 0.5  # share of a frame's energy in the beep's bands: the beep sounds
BEEP_UNDER = 0.3  # ... the beep sounds under speech


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
    def arm(self, app):
        app.find_window()
        say("click butOnOff and type %r into the dialog" % ALARM_TEXT)
        app.set_alarm(ALARM_TEXT)

    def hear_announcement(self, ears, rec, since, names):
        """Waits until `names` were heard after `since` s of the recording and
        AFTER_ANNOUNCEMENT s more were recorded; checks they came whole, in
        order and one after the other. Returns (heard, [(start, match)], end),
        times counted from `since`."""

        def done():
            heard = rec.samples()[int(since * RATE):]
            found = [ears.find(heard, name) for name in names]
            at, score = found[-1]
            if score < CLIP_MATCH:
                return None
            end = at + ears.length(names[-1])
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
            self.assertGreaterEqual(next_at + 0.05, at + ears.length(name),
                                    "%s overlaps the next clip" % name)
        return heard, found, end

    def check_track_goes_on(self, ears, heard, end):
        with self.subTest("the beep goes on after the announcement"):
            again = beep_starts(ears, heard, after=end)
            self.assertIsNotNone(again, "no beep within %.1f s after the announcement"
                                 % AFTER_ANNOUNCEMENT)
            say("   beep again %.2f s after wake_up.wav ended" % (again - end))

    def test_arm_ring_announce_switch_off(self):
        require_program()
        ears = Ears(APP_DIR / "sounds")
        with rig(START) as (app, display, pulse, _, workdir):
            self.assertFalse(pulse.muted(), "the sink starts muted")
            with Recorder(pulse, workdir / "monitor.raw") as rec:
                try:
                    self.journey(app, display, pulse, rec, ears)
                finally:
                    rec.keep("test_alarm-monitor.wav")

    def journey(self, app, display, pulse, rec, ears):
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
        self.check_track_goes_on(ears, heard, end)
        self.assertFalse(pulse.muted())

        say("checks: at 7:01 the track is paused, %s are heard in order, and the track goes on"
            % ", ".join(NEXT_ANNOUNCEMENT))
        app.clock.set(NEXT_MINUTE)
        minute_from = len(rec.samples()) / RATE
        heard, found, end = self.hear_announcement(ears, rec, minute_from, NEXT_ANNOUNCEMENT)
        with self.subTest("the track is paused during the announcement"):
            self.assertFalse(beep_during(ears, heard, found[0][0] + PAUSE_GRACE, end),
                             "the track sounded during the announcement")
        self.check_track_goes_on(ears, heard, end)

        say("checks: a click on butOnOff switches off without a dialog: alarm_off.wav over "
            "the beep, then silence")
        clicked_from = len(rec.samples()) / RATE
        app.click(*BUT_ON_OFF)

        def switched_off():
            heard = rec.samples()[int(clicked_from * RATE):]
            at, score = ears.find(heard, "alarm_off.wav")
            if score < CLIP_MATCH:
                return None
            end = at + ears.length("alarm_off.wav")
            tail = heard[int((end + 0.3) * RATE):]
            return (heard, at, score, end, tail) if len(tail) >= RATE else None

        heard, at, score, end, tail = poll(
            switched_off, 15, "alarm_off.wav and a second after it", interval=0.3)
        say("   alarm_off.wav %.2f s after the click (match %.2f)" % (at, score))
        self.assertFalse(app.visible("Set Alarm"), "switching off opened the dialog")
        with self.subTest("the switch-off clip is heard over the still playing beep"):
            self.assertTrue(beep_during(ears, heard, at, end),
                            "the beep had stopped before the switch-off clip")
        say("   from 0.3 s after it: RMS %.5f" % rms(tail))
        self.assertLess(rms(tail), SILENCE, "the player still sounds")
        self.assertFalse(pulse.muted(), "switched off yet muted")
        self.assertTrue(app.running())

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
