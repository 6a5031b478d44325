#!/usr/bin/env python3
"""The clock window on a real X server: found by its title, 600 x 300 without
decorations, and showing the (fake) wall clock's time in 12-hour form."""

import datetime
import re
import time
import unittest

import numpy as np

import harness
from harness import say

START = "2026-12-08 06:59:40"
# Times the clock is moved to, with the face each must show (the seconds run on).
FACES = [
    ("2026-12-08 06:59:40", "06:59", "AM"),
    ("2026-12-08 12:00:05", "12:00", "PM"),
    ("2026-12-08 00:30:00", "12:30", "AM"),
    ("2026-12-08 21:05:09", "09:05", "PM"),
    ("2026-12-08 11:59:58", "11:59", "AM"),
]
TIME_LABEL = (104, 144, 339, 97)  # x, y, w, h of the time digits in the window
CYAN = (0, 255, 255)


class ClockWindow(unittest.TestCase):
    def test_window(self):
        harness.require_program()
        with harness.rig(START) as (app, display, pulse, _, workdir):
            started = time.monotonic()
            window = app.find_window()
            say("window %#x mapped %.2f s after start" % (window, time.monotonic() - started))

            say('checks: the window titled "Alarm Clock" is 600 x 300 pixels')
            info = app.geometry()
            self.assertEqual((info["width"], info["height"]), (600, 300), info)

            say("checks: no frame: no border, a direct child of the root, no decorations asked")
            self.assertEqual(info["border"], 0, info)
            tree = harness.run(["xwininfo", "-tree", "-id", str(window)], display.env).stdout
            self.assertRegex(tree, r"Parent window id: 0x[0-9a-f]+ \(the root window\)")
            self.assertEqual((info["rel_x"], info["rel_y"]), (info["x"], info["y"]),
                             "the client area is offset inside a frame")
            hints = display.prop(window, "_MOTIF_WM_HINTS")
            say("  ", hints)
            values = [int(v, 16) if v.startswith("0x") else int(v)
                      for v in re.findall(r"0x[0-9a-f]+|\d+", hints.split("=", 1)[-1])]
            self.assertGreaterEqual(len(values), 3, "no _MOTIF_WM_HINTS on the window")
            flags, decorations = values[0], values[2]
            self.assertTrue(flags & 2, "the hints do not govern decorations: %s" % hints)
            self.assertEqual(decorations, 0, "decorations asked for: %s" % hints)

            for when, hhmm, half in FACES:
                self.check_face(app, when, hhmm, half)

            say("checks: the digits are drawn in cyan in the time label")
            shot = display.screenshot("window.png")
            pixels = display.pixels()
            x, y, w, h = TIME_LABEL
            left, top = info["x"], info["y"]
            label = pixels[top + y: top + y + h, left + x: left + x + w].astype(int)
            cyan = np.all(np.abs(label - CYAN) < 60, axis=2).sum()
            say("   %d cyan pixels in the time label (%s)" % (cyan, shot.name))
            self.assertGreater(cyan, 500, "no digits drawn in the time label")
            self.assertTrue(app.running(), "the program exited")

    def check_face(self, app, when, hhmm, half):
        say("checks: clock set to %s -> the face shows %s:ss %s" % (when, hhmm, half))
        seen_before = len(harness.shown_faces(app.log()))
        app.clock.set(when)

        def shown_now():
            faces = harness.shown_faces(app.log())[seen_before:]
            if not faces:
                return None
            now = app.clock.now()
            # The tick may have shown the previous second just before we read.
            expected = {harness.clock_text(now - datetime.timedelta(seconds=s))
                        for s in (0, 1, 2)}
            return faces[-1] if tuple(faces[-1]) in expected else None

        try:
            face = harness.poll(shown_now, 5, "the face to show %s %s" % (hhmm, half))
        except harness.Timeout:
            face = None
        if face is None:
            faces = harness.shown_faces(app.log())[seen_before:]
            self.fail("shown %s while the clock read %s" % (faces[-3:], app.clock.now()))
        say("   shown %s %s" % tuple(face))
        self.assertTrue(face[0].startswith(hhmm))
        self.assertEqual(face[1], half)


if __name__ == "__main__":
    unittest.main(verbosity=2)
