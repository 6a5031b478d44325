#!/usr/bin/env python3
"""The Windows program under Wine, from outside: Xvfb, a PulseAudio null sink
behind Wine's audio driver and libfaketime (which reaches Wine's processes).
The window "Alarm Clock" of 600 x 300 shows the fake clock's time; arming
through the real dialog plays the switch-on clip and asks Core Audio to mute
1.5 s later; at the alarm minute the mute is cleared, the beep and the spoken
time are heard; switching off is heard; "X" ends the program with the mute
cleared. Wine keeps the mute on its own object and never passes it to the
sink, so the mute is read from the program's log."""

import os
import re
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))

import harness  # noqa: E402
from harness import say  # noqa: E402
from test_alarm import ALARM_TEXT, BUT_ON_OFF, CLIP_MATCH, Ears  # noqa: E402

WINE_RUN = SOURCE_DIR / "cmake" / "wine-run.sh"
START = "2026-12-08 06:59:30"
JUST_BEFORE = "2026-12-08 06:59:57"
ANNOUNCEMENT = ["seven.wav", "am.wav", "wake_up.wav"]
LBL_TIME = (104, 144, 339, 97)
CLOSE = (588, 18)
MUTE = re.compile(r"SetMute\((\d)\)")


def mutes(app):
    return MUTE.findall(app.log())


class WindowsAlarm(unittest.TestCase):
    def setUp(self):
        harness.require_program()
        # Wine started here, without the fake clock, and kept a minute.
        harness.run([str(WINE_RUN), "cmd", "/c", "exit"], dict(os.environ), timeout=120)
        self.launcher = Path(tempfile.mkdtemp(prefix="alarm-wine-")) / "alarm-clock"
        self.launcher.write_text('#!/bin/sh\nexec "%s" "%s"\n' % (WINE_RUN, harness.APP_BIN))
        self.launcher.chmod(0o755)

    def tearDown(self):
        self.launcher.unlink()
        self.launcher.parent.rmdir()

    def test_window_arm_ring_switch_off_close(self):
        ears = Ears()
        rate = harness.RATE
        with harness.rig(START, program=self.launcher) as (app, display, pulse, _, workdir):
            window = app.find_window(timeout=60)
            info = app.geometry()
            say("window %s: %dx%d" % (window, info["width"], info["height"]))
            self.assertEqual((info["width"], info["height"]), (600, 300))
            harness.poll(lambda: harness.shown_faces(app.log()), 10, "a tick in the log")
            shown = harness.shown_faces(app.log())[-1]
            say("shown:", shown, "fake clock:", app.clock.now())
            self.assertEqual(shown[1], "AM")
            self.assertEqual(shown[0][:5], "06:59")
            pixels = display.pixels()
            x, y, w, h = LBL_TIME
            box = pixels[info["y"] + y: info["y"] + y + h, info["x"] + x: info["x"] + x + w]
            cyan = ((box[..., 0] < 80) & (box[..., 1] > 180) & (box[..., 2] > 180)).sum()
            say("cyan pixels in lblTime:", cyan)
            self.assertGreater(cyan, 1000, "no cyan digits")
            display.screenshot("windows-window.png")

            with harness.Recorder(pulse, workdir / "monitor.raw") as rec:
                try:
                    self.journey(app, display, rec, ears, rate)
                finally:
                    rec.keep("windows-monitor.wav")

            say('checks: "X" ends the program and the log shows the mute cleared')
            app.click(*CLOSE)
            harness.poll(lambda: not app.running(), 20, "the program to end")
            self.assertEqual(app.proc.returncode, 0)
            self.assertEqual(mutes(app)[-1], "0")

    def journey(self, app, display, rec, ears, rate):
        say("click butOnOff and type %r into the dialog" % ALARM_TEXT)
        app.click(*BUT_ON_OFF)
        dialog = app.dialog("Set Alarm")
        app.type_into(dialog, ALARM_TEXT)

        say("checks: alarm_set.wav is heard whole, Core Audio is asked to mute 1.5 s later")
        muted_at = harness.poll(lambda: "1" in mutes(app) and len(rec.samples()), 15,
                                "the mute request in the log") / rate
        at, score = ears.find(rec.samples(), "alarm_set.wav")
        after_clip = muted_at - (at + ears.length("alarm_set.wav"))
        say("   alarm_set.wav at %.2f s (match %.2f); mute asked %.2f s after it"
            % (at, score, after_clip))
        self.assertGreater(score, CLIP_MATCH, "the switch-on clip was not heard whole")
        self.assertGreater(after_clip, 1.2, "mute asked before 1.5 s had passed")
        self.assertLess(after_clip, 2.5, "mute asked later than 2.5 s after the clip")

        say("checks: at 7:00 the mute is cleared, and %s are heard in order over the beep"
            % ", ".join(ANNOUNCEMENT))
        app.clock.set(JUST_BEFORE)
        harness.poll(lambda: mutes(app)[-1] == "0", 15, "the mute to be cleared at 7:00")
        ring_from = max(0.0, len(rec.samples()) / rate - 0.5)

        def announced():
            heard = rec.samples()[int(ring_from * rate):]
            found = [ears.find(heard, name) for name in ANNOUNCEMENT]
            return found if all(score > CLIP_MATCH for _, score in found) else None

        found = harness.poll(announced, 30, "the announcement", interval=0.3)
        say("   " + ", ".join("%s at %.2f s (%.2f)" % (name, ring_from + at, score)
                              for name, (at, score) in zip(ANNOUNCEMENT, found)))
        starts = [at for at, _ in found]
        self.assertEqual(starts, sorted(starts), "the announcement's clips out of order")
        end = starts[-1] + ears.length(ANNOUNCEMENT[-1])
        beep = harness.poll(
            lambda: ears.beep_starts(rec.samples()[int(ring_from * rate):], after=end - 0.5),
            10, "the beep after the announcement", interval=0.3)
        say("   the beep heard at %.2f s" % (ring_from + beep))

        say("checks: a click on butOnOff switches off: alarm_off.wav, then silence")
        clicked_from = len(rec.samples()) / rate
        app.click(*BUT_ON_OFF)

        def switched_off():
            heard = rec.samples()[int(clicked_from * rate):]
            at, score = ears.find(heard, "alarm_off.wav")
            if score < CLIP_MATCH:
                return None
            tail = heard[int((at + ears.length("alarm_off.wav") + 0.5) * rate):]
            return (tail,) if len(tail) >= rate else None

        tail, = harness.poll(switched_off, 20, "alarm_off.wav and a second after it",
                            interval=0.3)
        say("   after it: RMS %.5f" % harness.rms(tail))
        self.assertLess(harness.rms(tail), 1e-3, "the player still sounds")


if __name__ == "__main__":
    unittest.main(verbosity=2)
