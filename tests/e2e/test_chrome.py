#!/usr/bin/env python3
"""The window's own chrome and the tray icon on a 1920 x 1080 screen with a
real tray host (trayer): "-" hides, the tray icon brings the window back and
never hides it, a drag by the background moves the window and a release far
right or low sends it home to 0,0, "X" ends the program and takes the icon."""

import contextlib
import unittest

from app import BUT_ON_OFF, CLOSE, MINIMIZE
from paths import require_program
from procs import poll, say
from rig import rig

START = "2026-12-08 06:59:40"
BACKGROUND = (300, 270)  # a spot of bg that no other control covers
# Where the pointer takes the window's top-left corner, and where it ends after
# the release (home is 0,0 from a left edge of 1580 or a top edge of 674 on).
DRAGS = [
    ((400, 300), (400, 300)),
    ((1579, 200), (1579, 200)),
    ((1700, 200), (0, 0)),
    ((200, 700), (0, 0)),
]


class WindowChrome(unittest.TestCase):
    """Each test starts the program afresh beside a tray host and finds its
    window and its tray icon."""

    @classmethod
    def setUpClass(cls):
        require_program()

    @contextlib.contextmanager
    def shown(self):
        """Yields (app, tray host, the program's tray icon)."""
        with rig(START, tray=True) as (app, display, pulse, host, workdir):
            app.find_window()
            icon = self.tray_icon(app, host)
            say("tray icon %#x at %d,%d (%dx%d)" % (icon["id"], icon["x"], icon["y"],
                                                   icon["width"], icon["height"]))
            yield app, host, icon

    def tray_icon(self, app, host):
        """The program's window embedded in the tray host's panel."""
        return poll(lambda: (host.icons_of(app) or [None])[0], 15,
                    "the program's icon in the tray host")

    def click_tray(self, app, host, button):
        icon = self.tray_icon(app, host)
        app.display.xdotool("mousemove", icon["x"] + icon["width"] // 2,
                            icon["y"] + icon["height"] // 2)
        app.display.xdotool("click", button)

    def wait_shown(self, app, shown, what):
        poll(lambda: app.viewable() == shown, 10, what)

    def hide(self, app):
        app.click(*MINIMIZE)
        self.wait_shown(app, False, "the window to be hidden")

    def sync(self, app):
        """Returns once the program has handled every earlier input event: a
        click on butOnOff opens the "Set Alarm" dialog, which Escape cancels."""
        app.click(*BUT_ON_OFF)
        dialog = app.dialog("Set Alarm")
        app.display.xdotool("windowfocus", "--sync", dialog)
        app.display.xdotool("key", "Escape")
        app.dialog_closed("Set Alarm")

    def position(self, app):
        info = app.geometry()
        return info["x"], info["y"]

    def test_minimize_hides(self):
        with self.shown() as (app, host, icon):
            say('checks: a click on "-" hides the window')
            self.hide(app)
            self.assertEqual(app.geometry()["map_state"], "IsUnMapped")
            self.assertTrue(app.running())

    def test_tray_click_shows(self):
        with self.shown() as (app, host, icon):
            self.hide(app)
            say("checks: a click on the tray icon shows it")
            self.click_tray(app, host, 1)
            self.wait_shown(app, True, "the window to be shown by the tray icon")

    def test_tray_right_click_leaves_shown(self):
        with self.shown() as (app, host, icon):
            say("checks: a right-click on the tray icon leaves it shown")
            self.click_tray(app, host, 3)
            self.sync(app)
            self.assertTrue(app.viewable(), "a right-click on the tray icon hid the window")

    def test_tray_right_click_shows(self):
        with self.shown() as (app, host, icon):
            say('checks: after "-", a right-click on the tray icon shows it too')
            self.hide(app)
            self.click_tray(app, host, 3)
            self.wait_shown(app, True, "the window to be shown by a right-click on the icon")

    def test_drag_by_background(self):
        with self.shown() as (app, host, icon):
            for pointer, end in DRAGS:
                with self.subTest(pointer=pointer):
                    self.drag(app, pointer, end)
            app.display.screenshot("chrome.png")

    def test_close_ends_program_and_icon(self):
        with self.shown() as (app, host, icon):
            say('checks: a click on "X" ends the program and its tray icon goes')
            app.click(*CLOSE)
            poll(lambda: not app.running(), 15, "the program to end")
            say("   exit status %s" % app.proc.returncode)
            # Zero: the shut-down ran to its end without a sanitizer report.
            self.assertEqual(app.proc.returncode, 0, "the program did not end cleanly")
            poll(lambda: not [w for w in host.icons() if w["id"] == icon["id"]], 10,
                 "the tray icon to go")
            self.assertIsNone(app.geometry(), "the window is still there")

    def drag(self, app, pointer, end):
        say("checks: drag by the background to %d,%d -> the window ends at %d,%d"
            % (pointer + end))
        left, top = self.position(app)
        display = app.display
        display.xdotool("mousemove", left + BACKGROUND[0], top + BACKGROUND[1])
        display.xdotool("mousedown", 1)
        try:
            display.xdotool("mousemove", *pointer)
            # The top-left corner jumps to the pointer and follows it.
            poll(lambda: self.position(app) == pointer, 10,
                 "the window to follow the pointer to %d,%d" % pointer)
        finally:
            display.xdotool("mouseup", 1)
        if end == pointer:
            # Nothing should move: the dialog round trip proves the release was handled.
            self.sync(app)
        else:
            poll(lambda: self.position(app) == end, 10, "the window to go home to %d,%d" % end)
        self.assertEqual(self.position(app), end)
        self.assertTrue(app.viewable())


if __name__ == "__main__":
    unittest.main(verbosity=2)
