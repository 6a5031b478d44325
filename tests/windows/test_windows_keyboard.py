#!/usr/bin/env python3
"""The Windows program under Wine by keyboard and as a screen reader sees it,
in one program start beside a tray host: a probe in another process
(AccessibleObjectFromWindow, oleacc) reads the window's children with their
names, roles and states; Tab and Shift+Tab move the focus in order; Space on
the switch opens the prompt, where "07:00 AM" and Return arm the alarm (the
switch-on clip is heard, the switch reads as pressed), and no tooltip shows
over the prompt though the pointer rests on the switch; `A` switches it off,
`L` and Return switch to French (the names follow), `M` opens the track
dialog, which refuses a name that is not there, and Escape cancels it (and
so does the probe's default action on the notes); Escape hides the window, the
tray icon shows it again with the keyboard on the first control; Alt+F4 ends
the program. Keys go, as xdotool types
them, to the window that has the focus, which a window manager (openbox)
gives as on a desktop."""

import os
import subprocess
import sys
import unittest
from pathlib import Path

sys.path[:0] = [str(Path(__file__).resolve().parents[1] / "e2e"), str(Path(__file__).parent)]

from app import BUT_ON_OFF, program_env, shown_faces  # noqa: E402
from paths import APP_DIR  # noqa: E402
from procs import Timeout, poll, say  # noqa: E402
from pulse import Recorder  # noqa: E402
from rig import rig  # noqa: E402
from sound import Ears  # noqa: E402
from test_windows_alarm import CLIP_MATCH  # noqa: E402
from wine import WINE_RUN, WineTestCase  # noqa: E402

PROBE = Path(os.environ.get("ALARM_PROBE", APP_DIR / "accessible_probe.exe"))
START = "2026-12-08 06:00:00"
ALARM_TEXT = "07:00 AM"
PUSHBUTTON, STATICTEXT = 43, 41  # ROLE_SYSTEM_*
ALERT = 8  # ROLE_SYSTEM_ALERT: the child that tells the ring
PRESSED, FOCUSED, INVISIBLE = 0x8, 0x4, 0x8000  # STATE_SYSTEM_*
ENGLISH = ["Alarm", "Choose music", "Language: English", "Hide", "Close", "Time", "Alarm time",
           "Alarm track"]
FRENCH = ["Alarme", "Choisir la musique", "Langue : français", "Masquer", "Fermer", "Heure",
          "Heure de l'alarme", "Musique de l'alarme"]
ROLES = [PUSHBUTTON] * 5 + [STATICTEXT] * 3
KEY_LOGGED = "alarmclock.ui: key "
FOREIGN = "(__wine_x11_foreign_window)"  # Wine's stand-in for another program's X window


class WindowsKeyboard(WineTestCase):
    def read(self):
        """The probe's view: {"children": n, "focus": id, "rows": [...]}; each
        row id, name, role, state, location, action, value, shortcut."""
        result = subprocess.run([str(WINE_RUN), str(PROBE), "read", "Alarm Clock"],
                                env=self.env, capture_output=True, text=True,
                                timeout=60)
        out = result.stdout
        view = {"rows": [], "output": out + result.stderr}
        for line in out.splitlines():
            if line.startswith("children "):
                view["children"] = int(line.split()[1])
            elif line.startswith("foreground "):
                view["foreground"] = line[len("foreground "):]
            elif line.startswith("focus "):
                view["focus"] = int(line.split()[1])
            elif line.startswith("child "):
                parts = line[len("child "):].split("|")
                view["rows"].append(dict(id=int(parts[0]), name=parts[1], role=int(parts[2]),
                                         state=int(parts[3], 16), location=parts[4],
                                         action=parts[5], value=parts[6], shortcut=parts[7]))
        return view

    def children(self):
        """The controls (the alert child left out)."""
        return [r for r in self.read()["rows"] if r["id"] > 0 and r["role"] != ALERT]

    def key(self, *keys):
        self.display.xdotool("key", "--clearmodifiers", *keys)

    def shown(self):
        """The program's shown windows."""
        return {int(wid) for wid in self.display.xdotool(
            "search", "--onlyvisible", "--pid", str(self.app.proc.pid), check=False).split()}

    def strips(self):
        """The program's shown windows that a tooltip could be: strips under 40 pixels high."""
        return {wid for wid in self.shown()
                if 0 < (self.display.window_info(wid) or {}).get("height", 0) < 40}

    def press(self, keys, done=None, window=None):
        """Types `keys` at the clock's window (or `window`) and waits for `done`,
        by default for the program to log a key. Under Wine a key now and then
        never arrives: Wine has given the foreground to the tray host's X window
        while X still gives the clock the keyboard. Then the window is
        activated as from the task bar and the key goes once more."""
        seen = self.app.log().count(KEY_LOGGED)
        done = done or (lambda: self.app.log().count(KEY_LOGGED) > seen)
        for attempt in range(2):
            if attempt:
                say("  %s did not arrive; the window activated, the key typed again" % keys)
                self.display.xdotool("windowactivate", "--sync", window or self.app.window,
                                     check=False)
            self.key(keys)
            try:
                return poll(done, 10, "%s to arrive" % keys, interval=0.2)
            except Timeout:
                pass
        raise AssertionError("%s never arrived" % keys)

    def wait_focus(self, child, timeout=20):
        def focused():
            view = self.read()
            if "focus" not in view and FOREIGN in view.get("foreground", ""):
                say("  Wine gave the foreground to the tray host: the window activated")
                self.display.xdotool("windowactivate", "--sync", self.app.window)
            return view.get("focus") == child
        try:
            poll(focused, timeout, "the focus on child %d" % child, interval=0.3)
        except Exception:
            focus = self.display.xdotool("getwindowfocus", check=False).strip()
            view = self.read()
            say("  the probe reads focus %r, foreground %r; X gives the keyboard to %s %r" % (
                view.get("focus"), view.get("foreground"), focus,
                self.display.xdotool("getwindowname", focus, check=False).strip()
                if focus else ""))
            raise

    def switch_pressed(self):
        return bool(self.children()[0]["state"] & PRESSED)

    def test_keyboard_and_screen_reader(self):
        ears = Ears(APP_DIR / "sounds")
        with rig(START, tray=True, program=self.launcher, wm=True) as (app, display, pulse,
                                                                       host, workdir):
            self.display, self.app = display, app
            # The program's own Wine prefix and server: it runs with its own
            # home, and none of the tests' settings (their prefix among them).
            self.env = program_env(display, pulse, workdir / "home")
            app.find_window(timeout=120)
            with Recorder(pulse, workdir / "monitor.raw") as rec:
                try:
                    self.journey(app, host, rec, ears)
                finally:
                    rec.keep("windows-keyboard-monitor.wav")

    def journey(self, app, host, rec, ears):
        say("checks: from another process, the window's children with names, roles, "
            "states, places and default actions")
        view = self.read()
        rows = [r for r in view["rows"] if r["id"] > 0]
        if not rows:
            say(view["output"])
        for r in rows:
            say("   %(id)d %(name)r role %(role)d state %(state)#x at %(location)s "
                "action %(action)r value %(value)r key %(shortcut)r" % r)
        alerts = [r for r in rows if r["role"] == ALERT]
        self.assertEqual([(r["id"], r["name"], bool(r["state"] & INVISIBLE)) for r in alerts],
                         [(len(ENGLISH) + 1, "", True)],
                         "the alert child, silent while nothing rings")
        rows = [r for r in rows if r["role"] != ALERT]
        self.assertEqual([r["name"] for r in rows], ENGLISH)
        self.assertEqual([r["role"] for r in rows], ROLES)
        self.assertFalse(self.switch_pressed())
        self.assertEqual(rows[0]["shortcut"], "A")
        self.assertEqual(rows[0]["action"], "Press")
        self.assertRegex(rows[5]["value"], r"^06:\d\d:\d\d AM$")

        display = self.display
        say("checks: the window has the keyboard; Tab and Shift+Tab move in order")
        self.wait_focus(1)
        for child in [2, 3, 4, 5, 1]:
            self.press("Tab")
            self.wait_focus(child)
        self.press("shift+Tab")
        self.wait_focus(5)
        display.screenshot("windows-keyboard-focus-mark.png")  # the ring around "X"
        self.press("Tab")
        self.wait_focus(1)

        say("checks: Space opens the prompt, and no tooltip shows over it while the pointer "
            "rests on the switch; the time and Return arm the alarm: the switch-on clip is "
            "heard and the switch reads as pressed")
        strips = self.strips()
        display.xdotool("mousemove", "--window", app.window, *BUT_ON_OFF)
        self.press("space", lambda: app.visible("Set Alarm"))
        dialog = app.dialog("Set Alarm", timeout=30)
        # Two ticks: longer than a tooltip waits for a pointer at rest.
        ticks = len(shown_faces(app.log()))
        poll(lambda: len(shown_faces(app.log())) >= ticks + 2, 10, "two ticks")
        self.assertEqual(self.strips() - strips, set(), "a tooltip over the prompt")
        display.xdotool("mousemove", 0, 0)
        self.display.xdotool("type", "--delay", "60", ALARM_TEXT)
        self.press("Return", lambda: not app.visible("Set Alarm"), dialog)
        poll(self.switch_pressed, 20, "the switch to read as pressed", interval=0.3)
        poll(lambda: ears.find(rec.samples(), "alarm_set.wav")[1] > CLIP_MATCH, 20,
             "the switch-on clip on the monitor")
        self.assertIsNotNone(dialog)

        say("checks: A switches the alarm off")
        self.press("a")
        poll(lambda: not self.switch_pressed(), 20, "the switch to read as not pressed",
             interval=0.3)

        say("checks: L asks, Return answers Yes: the names are French")
        self.press("l", lambda: app.visible("Options"))
        self.press("Return", lambda: not app.visible("Options"), app.dialog("Options"))
        poll(lambda: [r["name"] for r in self.children()] == FRENCH, 20, "the French names",
             interval=0.3)

        say("checks: M opens the track dialog; a name that is not there is refused (the "
            "dialog says so and stays); Escape cancels it")
        self.press("m", lambda: app.visible("Select A File"))
        chooser = app.dialog("Select A File")
        display.xdotool("windowfocus", "--sync", chooser)
        shown = self.shown()
        display.xdotool("type", "--delay", "40", "missing.mp3")  # in the folder it shows
        self.press("Return", lambda: self.shown() - shown, chooser)
        said = (self.shown() - shown).pop()
        self.press("Return", lambda: said not in self.shown(), said)
        self.assertEqual(app.visible("Select A File"), [chooser])
        self.press("Escape", lambda: not app.visible("Select A File"),
                   app.dialog("Select A File"))
        self.assertEqual(self.children()[1]["name"], "Choisir la musique")

        say("checks: a screen reader's default action on the notes opens the dialog too")
        acted = subprocess.run([str(WINE_RUN), str(PROBE), "act", "Alarm Clock", "2"],
                               env=self.env, capture_output=True, text=True, timeout=60)
        self.assertIn("accDoDefaultAction 00000000", acted.stdout)
        self.press("Escape", lambda: not app.visible("Select A File"),
                   app.dialog("Select A File", timeout=30))

        say("checks: Escape hides the window; the tray icon shows it with the keyboard on "
            "the first control (the focus was on the notes)")
        self.wait_focus(1)
        self.press("Tab")
        self.wait_focus(2)
        self.press("Escape")
        poll(lambda: not app.viewable(), 20, "the window to be hidden")
        icon = poll(lambda: (host.icons() or [None])[0], 20, "the icon in the tray host")
        display.xdotool("mousemove", icon["x"] + icon["width"] // 2,
                        icon["y"] + icon["height"] // 2, "click", 1)
        poll(app.viewable, 20, "the window to be shown")
        self.wait_focus(1)
        self.press("Tab")
        self.wait_focus(2)

        say("checks: Alt+F4 ends the program as X does")
        # openbox takes Alt+F4 itself and asks the window to close.
        self.press("alt+F4", lambda: not app.running())
        self.assertEqual(app.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
