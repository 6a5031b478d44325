#!/usr/bin/env python3
"""The Windows window's own behaviour under Wine, from outside, in one program
start: a drag interrupted by WM_CANCELMODE (Alt+Tab, a dialog) ends, and the
window no longer follows the pointer; a session end that is asked
(WM_QUERYENDSESSION) and then cancelled (WM_ENDSESSION FALSE) leaves the clock
armed, ticking and muted again, and it rings at the minute; one that is asked
and then happens (WM_ENDSESSION TRUE) ends the program with status 0 and the
mute put back. The mute is read from the program's log (Wine keeps it on its
own object).

At 96, 144 and 192 dots per inch (Wine's LogPixels, set before the program
starts) the window is 600 x 300, 900 x 450 and 1200 x 600, its digits are drawn
at that scale, and the ON/OFF switch and "X" answer at their scaled places."""

import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

sys.path[:0] = [str(Path(__file__).resolve().parents[1] / "e2e"), str(Path(__file__).parent)]

import numpy as np  # noqa: E402

from app import BUT_ON_OFF, CLOSE, alarm_clock, program_env, shown_faces  # noqa: E402
from paths import APP_BIN  # noqa: E402
from procs import poll, say  # noqa: E402
from rig import rig  # noqa: E402
from wine import WINE_RUN, WineTestCase  # noqa: E402

START = "2026-12-08 06:59:20"
# Far enough ahead that a slow Wine start does not reach it before the mute.
ALARM_TEXT = "09:00 AM"
MUTE = re.compile(r"SetMute\((\d)\)")
SEND = os.environ.get("ALARM_SEND", str(Path(APP_BIN).parent / "tests/windows/send-to-clock.exe"))
# Screen densities (dots per inch) and the scale the window takes at each.
DENSITIES = [(96, 1.0), (144, 1.5), (192, 2.0)]
DIGITS_SLACK = 2  # design pixels the digits' box may be off its scaled place (hinting)


def mutes(app):
    return MUTE.findall(app.log())


def cyan_box(display, info, scale):
    """The box (left, top, right, bottom) of the window's cyan pixels (the
    time and AM/PM), in window pixels, once there are enough for the digits."""
    window = display.pixels()[info["y"]: info["y"] + info["height"],
                              info["x"]: info["x"] + info["width"]]
    cyan = (window[..., 0] < 80) & (window[..., 1] > 180) & (window[..., 2] > 180)
    if cyan.sum() < 1000 * scale * scale:
        return None
    rows, cols = np.flatnonzero(cyan.any(axis=1)), np.flatnonzero(cyan.any(axis=0))
    return (int(cols[0]), int(rows[0]), int(cols[-1]) + 1, int(rows[-1]) + 1)


class WindowsWindow(WineTestCase):
    def send(self, app, *message):
        """Runs the message sender in the program's own Wine prefix, where its
        window is."""
        env = program_env(app.display, self.pulse, self.workdir / "home")
        out = subprocess.run([str(WINE_RUN), SEND, *message], env=env, capture_output=True,
                             text=True, timeout=60)
        say("   sent %s: status %d, answer %s" % (" ".join(message), out.returncode,
                                                  out.stdout.strip()))
        return out

    def test_cancelled_drag_and_session_end(self):
        with rig(START, tray=True, program=self.launcher) as (app, display, pulse, host, workdir):
            self.pulse, self.workdir = pulse, workdir
            app.find_window(timeout=60)
            poll(lambda: shown_faces(app.log()), 10, "a tick in the log")

            say("checks: a drag cancelled by WM_CANCELMODE ends; the window stays put")
            before = app.geometry()
            display.xdotool("mousemove", "--window", app.window, 300, 20)
            display.xdotool("mousedown", 1)
            display.xdotool("mousemove_relative", "--", 40, 30)
            moved = poll(lambda: app.geometry()["x"] != before["x"] and app.geometry(), 10,
                         "the window to follow the drag")
            self.send(app, "cancelmode")
            display.xdotool("mousemove_relative", "--", 60, 40)
            display.xdotool("mouseup", 1)
            display.xdotool("mousemove_relative", "--", 30, 30)
            after = app.geometry()
            say("   before %d,%d, dragged to %d,%d, after the cancel %d,%d"
                % (before["x"], before["y"], moved["x"], moved["y"], after["x"], after["y"]))
            self.assertEqual((after["x"], after["y"]), (moved["x"], moved["y"]))

            say("arm %r, wait for the mute" % ALARM_TEXT)
            app.set_alarm(ALARM_TEXT)
            poll(lambda: mutes(app) == ["1"], 15, "the mute")

            say("checks: asked and cancelled: the mute is lent back and taken again")
            self.assertEqual(self.send(app, "queryendsession").stdout.strip(), "1")
            self.assertEqual(mutes(app), ["1", "0"])
            self.send(app, "endsession", "0")
            self.assertEqual(mutes(app), ["1", "0", "1"])
            ticks = len(shown_faces(app.log()))
            poll(lambda: len(shown_faces(app.log())) > ticks + 1, 10, "the clock to tick on")
            self.assertTrue(app.running())

            say("checks: it rings at 9:00")
            app.clock.set("2026-12-08 08:59:57")
            poll(lambda: "blnAlarm true" in app.log(), 60, "the alarm to ring")
            self.assertEqual(mutes(app)[-1], "0")

            say("checks: asked and ended: exit 0, the mute put back")
            self.send(app, "queryendsession")
            self.send(app, "endsession", "1")
            poll(lambda: not app.running(), 20, "the program to end")
            self.assertEqual(app.proc.returncode, 0)
            self.assertEqual(mutes(app)[-1], "0")

    def test_scales_with_the_screen_density(self):
        (dpi, _), *others = DENSITIES
        with rig(START, program=self.launcher_at(dpi)) as (app, display, pulse, _, workdir):
            reference = self.check_scaled(app, dpi, 1.0, None)
            # The same Wine prefix, set to each density in turn.
            for dpi, scale in others:
                with alarm_clock(display, pulse, workdir, START,
                                 program=self.launcher_at(dpi)) as app:
                    self.check_scaled(app, dpi, scale, reference)

    def check_scaled(self, app, dpi, scale, reference):
        """The window at `scale` and its digits at `scale` times the box
        `reference`; the switch opens its dialog and "X" ends the program at
        their scaled places. Returns the digits' box."""
        app.find_window(timeout=60)
        info = app.geometry()
        say("checks: at %d dots per inch the window is %dx%d" % (dpi, info["width"],
                                                                info["height"]))
        self.assertEqual((info["width"], info["height"]), (round(600 * scale), round(300 * scale)))
        poll(lambda: shown_faces(app.log()), 10, "a tick in the log")
        last = [None]

        def steady_box():
            """The digits' box, once two looks in a row agree (painted whole)."""
            box, last[0] = last[0], cyan_box(app.display, info, scale)
            return box if box and box == last[0] else None

        box = poll(steady_box, 10, "cyan digits", interval=0.2)
        say("   the digits' box %s" % (box,))
        if reference:
            for side, expected in zip(box, reference):
                self.assertAlmostEqual(side, expected * scale, delta=DIGITS_SLACK * scale,
                                       msg="digits %s, not %s scaled by %.1f"
                                       % (box, reference, scale))

        def at_scale(point):
            return [round(v * scale) for v in point]

        say("checks: the switch at its scaled place opens its dialog, \"X\" ends the program")
        app.click(*at_scale(BUT_ON_OFF))
        dialog = app.dialog("Set Alarm")
        app.display.xdotool("windowfocus", "--sync", dialog)
        app.display.xdotool("key", "Escape")
        app.dialog_closed("Set Alarm")
        app.click(*at_scale(CLOSE))
        poll(lambda: not app.running(), 20, "the program to end")
        self.assertEqual(app.proc.returncode, 0)
        return box


if __name__ == "__main__":
    unittest.main(verbosity=2)
