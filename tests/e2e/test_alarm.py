#!/usr/bin/env python3
"""The talking alarm from outside: arm it through the real dialog, hear the
switch-on clip, find the sink muted, move the clock to the alarm minute, find
the sink unmuted and hear the beep and the spoken time in order, switch it off
and hear the player stop. And: a SIGTERM while muted leaves the sink unmuted."""

import signal
import unittest

import harness
from harness import say

START = "2026-12-08 06:59:40"
JUST_BEFORE = "2026-12-08 06:59:57"
ALARM_TEXT = "07:00 AM"
BUT_ON_OFF = (24 + 25, 64 + 12)  # centre of butOnOff
CLIP_MATCH = 0.5  # normalized cross-correlation that counts as "heard"
ANNOUNCEMENT = ["seven.wav", "am.wav", "wake_up.wav"]
SILENCE = 1e-3  # RMS below -60 dBFS


def clip(name):
    return harness.load_wav(harness.APP_DIR / "sounds" / "en" / name)


def beep_template():
    """A 60 ms stretch from the loudest part of the beep: it matches wherever
    the beep sounds, whatever part of its loop is playing."""
    beep = harness.trim_silence(harness.load_wav(harness.APP_DIR / "sounds" / "beep.wav"))
    n = int(0.06 * harness.RATE)
    loudest = max(range(0, max(1, len(beep) - n), n // 2),
                  key=lambda i: harness.rms(beep[i: i + n]))
    return beep[loudest: loudest + n]


class TalkingAlarm(unittest.TestCase):
    def arm(self, app):
        app.find_window()
        say("click butOnOff and type %r into the dialog" % ALARM_TEXT)
        app.click(*BUT_ON_OFF)
        dialog = app.dialog("Set Alarm")
        app.type_into(dialog, ALARM_TEXT)
        harness.poll(lambda: not app.display.xdotool(
            "search", "--onlyvisible", "--name", "^Set Alarm$", check=False).strip(),
            10, "the dialog to close")

    def test_arm_ring_announce_switch_off(self):
        harness.require_program()
        switch_on, switch_off = clip("alarm_set.wav"), clip("alarm_off.wav")
        spoken = [clip(name) for name in ANNOUNCEMENT]
        beep = beep_template()
        with harness.rig(START) as (app, display, pulse, _, workdir):
            self.assertFalse(pulse.muted(), "the sink starts muted")
            with harness.Recorder(pulse, workdir / "monitor.raw") as rec:
                self.arm(app)

                say("checks: the switch-on clip is heard whole, then the sink is muted")
                muted_at = harness.poll(lambda: pulse.muted() and len(rec.samples()), 15,
                                        "the sink to be muted")
                heard = rec.samples()
                onset, score = harness.best_match(heard, switch_on)
                say("   alarm_set.wav at %.2f s (match %.2f)" % (onset, score))
                self.assertGreater(score, CLIP_MATCH, "the switch-on clip was not heard whole")
                after_clip = (muted_at - (onset * harness.RATE + len(switch_on))) / harness.RATE
                say("   muted %.2f s after the clip ended (polled)" % after_clip)
                self.assertGreater(after_clip, 1.2, "muted before 1.5 s had passed")
                self.assertLess(after_clip, 2.5, "muted later than 2.5 s after the clip")
                self.assertTrue(app.running())

                say("checks: the sink stays muted until the alarm minute")
                app.clock.set(JUST_BEFORE)
                self.assertTrue(pulse.muted())
                harness.poll(lambda: not pulse.muted(), 10, "the mute to be cleared at 7:00")
                ring_fake = app.clock.now()
                say("   unmuted at fake %s" % ring_fake.strftime("%H:%M:%S.%f"))
                self.assertEqual((ring_fake.hour, ring_fake.minute), (7, 0))
                ring_from = len(rec.samples()) / harness.RATE - 0.5

                say("checks: the beep, then %s in order, then the beep again" %
                    ", ".join(ANNOUNCEMENT))

                def announced():
                    heard = rec.samples()[int(ring_from * harness.RATE):]
                    found = [harness.best_match(heard, c) for c in spoken]
                    if found[-1][1] < CLIP_MATCH:
                        return None
                    end = found[-1][0] + len(spoken[-1]) / harness.RATE
                    later = harness.find_onsets(heard[int(end * harness.RATE):], beep,
                                                CLIP_MATCH)
                    return (heard, found, end, later) if later else None

                heard, found, end, later = harness.poll(announced, 20,
                                                        "the announcement and the beep after it",
                                                        interval=0.3)
                beeps = harness.find_onsets(heard, beep, CLIP_MATCH)
                first_beep = beeps[0][0] if beeps else None
                say("   beep first at %s s" % (None if first_beep is None
                                                else "%.2f" % (ring_from + first_beep)))
                for name, (at, score) in zip(ANNOUNCEMENT, found):
                    say("   %s at %.2f s (match %.2f)" % (name, ring_from + at, score))
                say("   beep again %.2f s after wake_up.wav ended" % later[0][0])
                self.assertIsNotNone(first_beep, "the beep was never heard")
                for name, (at, score) in zip(ANNOUNCEMENT, found):
                    self.assertGreater(score, CLIP_MATCH, "%s was not heard" % name)
                onsets = [first_beep] + [at for at, _ in found]
                self.assertEqual(onsets, sorted(onsets),
                                 "not heard in the order beep, %s" % ", ".join(ANNOUNCEMENT))
                for (at, _), (next_at, _), c in zip(found, found[1:], spoken):
                    self.assertGreaterEqual(next_at + 0.05, at + len(c) / harness.RATE,
                                            "clips overlap")

                say("checks: a click on butOnOff (no dialog) switches off: alarm_off.wav over "
                    "the beep, then silence")
                clicked_from = len(rec.samples()) / harness.RATE
                app.click(*BUT_ON_OFF)

                def switched_off():
                    heard = rec.samples()[int(clicked_from * harness.RATE):]
                    at, score = harness.best_match(heard, switch_off)
                    if score < CLIP_MATCH:
                        return None
                    end = at + len(switch_off) / harness.RATE
                    tail = heard[int((end + 0.3) * harness.RATE):]
                    if len(tail) < harness.RATE:
                        return None
                    return heard, at, score, end, tail

                heard, at, score, end, tail = harness.poll(
                    switched_off, 15, "alarm_off.wav and a second after it", interval=0.3)
                say("   alarm_off.wav %.2f s after the click (match %.2f)" % (at, score))
                self.assertFalse(display.xdotool("search", "--onlyvisible", "--name",
                                                 "^Set Alarm$", check=False).strip(),
                                 "switching off opened the dialog")
                during = heard[int(at * harness.RATE): int(end * harness.RATE)]
                self.assertTrue(harness.find_onsets(during, beep, CLIP_MATCH),
                                "the beep had stopped before the switch-off clip")
                say("   after it: RMS %.5f" % harness.rms(tail))
                self.assertLess(harness.rms(tail), SILENCE, "the player still sounds")
                self.assertFalse(pulse.muted(), "switched off yet muted")
                self.assertTrue(app.running())

    def test_sigterm_while_muted_unmutes(self):
        harness.require_program()
        with harness.rig(START) as (app, display, pulse, _, workdir):
            self.arm(app)
            say("checks: muted after arming")
            harness.poll(pulse.muted, 15, "the sink to be muted")
            say("checks: SIGTERM ends the program and leaves the sink unmuted")
            app.proc.send_signal(signal.SIGTERM)
            harness.poll(lambda: app.proc.poll() is not None, 15, "the program to end")
            say("   exit status %s" % app.proc.returncode)
            self.assertFalse(pulse.muted(), "the program left the sink muted")


if __name__ == "__main__":
    unittest.main(verbosity=2)
