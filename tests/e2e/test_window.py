#!/usr/bin/env python3
"""The clock window on a real X server: found by its title, 600 x 300 without
decorations, and showing the (fake) wall clock's time in 12-hour form."""

import contextlib
import datetime
import time
import unittest

import numpy as np

from app import clock_text, shown_faces
from paths import require_program
from procs import Timeout, poll, say
from rig import rig

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
MOTIF_DECORATIONS = 2  # the flag that says the hints govern decorations


class ClockWindow(unittest.TestCase):
    """Each test starts the program afresh and finds its window."""

    @classmethod
    def setUpClass(cls):
        require_program()

    @contextlib.contextmanager
    def window(self):
        """The program with its window found: yields (app, window, its geometry)."""
        with rig(START) as (app, *_):
            started = time.monotonic()
            window = app.find_window()
            say("window %#x mapped %.2f s after start" % (window, time.monotonic() - started))
            yield app, window, app.geometry()

    def test_size(self):
        with self.window() as (app, window, info):
            say('checks: the window titled "Alarm Clock" is 600 x 300 pixels')
            self.assertEqual((info["width"], info["height"]), (600, 300), info)

    def test_no_frame(self):
        with self.window() as (app, window, info):
            say("checks: no frame: no border, a direct child of the root, no decorations asked")
            display = app.display
            self.assertEqual(info["border"], 0, info)
            self.assertEqual(display.parent(window), display.root.id,
                             "the window is not a child of the root window")
            self.assertEqual((info["rel_x"], info["rel_y"]), (info["x"], info["y"]),
                             "the client area is offset inside a frame")
            hints = list(display.prop(window, "_MOTIF_WM_HINTS") or [])
            say("   _MOTIF_WM_HINTS", hints)
            self.assertGreaterEqual(len(hints), 3, "no _MOTIF_WM_HINTS on the window")
            flags, decorations = hints[0], hints[2]
            self.assertTrue(flags & MOTIF_DECORATIONS,
                            "the hints do not govern decorations: %s" % hints)
            self.assertEqual(decorations, 0, "decorations asked for: %s" % hints)

    def test_faces(self):
        with self.window() as (app, window, info):
            for when, hhmm, half in FACES:
                with self.subTest(when=when):
                    self.check_face(app, when, hhmm, half)

    def test_digits_drawn_in_cyan(self):
        with self.window() as (app, window, info):
            say("checks: the digits are drawn in cyan in the time label")
            shot = app.display.screenshot("window.png")
            pixels = app.display.pixels()
            x, y, w, h = TIME_LABEL
            left, top = info["x"], info["y"]
            label = pixels[top + y: top + y + h, left + x: left + x + w].astype(int)
            cyan = np.all(np.abs(label - CYAN) < 60, axis=2).sum()
            say("   %d cyan pixels in the time label (%s)" % (cyan, shot.name))
            self.assertGreater(cyan, 500, "no digits drawn in the time label")
            self.assertTrue(app.running(), "the program exited")

    def check_face(self, app, when, hhmm, half):
        say("checks: clock set to %s -> the face shows %s:ss %s" % (when, hhmm, half))
        seen_before = len(shown_faces(app.log()))
        app.clock.set(when)

        def shown_now():
            faces = shown_faces(app.log())[seen_before:]
            if not faces:
                return None
            now = app.clock.now()
            # The tick may have shown the previous second just before we read.
            expected = {clock_text(now - datetime.timedelta(seconds=s)) for s in (0, 1, 2)}
            return faces[-1] if tuple(faces[-1]) in expected else None

        try:
            face = poll(shown_now, 5, "the face to show %s %s" % (hhmm, half))
        except Timeout:
            face = None
        if face is None:
            faces = shown_faces(app.log())[seen_before:]
            self.fail("shown %s while the clock read %s" % (faces[-3:], app.clock.now()))
        say("   shown %s %s" % tuple(face))
        self.assertTrue(face[0].startswith(hhmm))
        self.assertEqual(face[1], half)


if __name__ == "__main__":
    unittest.main(verbosity=2)
