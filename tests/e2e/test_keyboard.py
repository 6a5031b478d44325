#!/usr/bin/env python3
"""The whole clock by keyboard, and what a screen reader reads of it, in one
program start beside a window manager (openbox), a tray host and an AT-SPI
registry: the first control
has the focus, Tab and Shift+Tab move it in order; Space on the switch opens
the prompt, where "07:00 AM" and Return arm the alarm (the switch-on clip is
heard on the monitor, the switch reads as checked); `A` switches it off, `L`
and Return switch to French (the names follow), `M` opens the track dialog
and Escape cancels it; `A` arms it again and Escape hides the window to the
tray, the normal night: at 07:00 it rings hidden (unmuted, the beep and the
French words heard) and a screen reader is told by an alert event; the tray
icon brings the window back with the keyboard's focus on the first control
(where it was on the notes when hidden), the switch says it
rings until switched off, and `A` switches it off; Alt+F4 ends the program
as "X" does. Keys go, as xdotool types them, to whichever window has the
focus."""

import re
import unittest

from app import shown_faces
from paths import APP_DIR, require_program
from procs import poll, say
from pulse import Recorder
from rig import rig
from sound import RATE, Ears

START = "2026-12-08 06:00:00"  # an hour before the alarm: nothing rings
BEFORE_ALARM = "2026-12-08 06:59:50"
ALARM_TEXT = "07:00 AM"
ALERT = "L'alarme de 07:00 AM sonne"
RINGING_TIP = "Sonne jusqu'à ce que vous l'arrêtiez (A)"
# The state line of the tick that found the alarm ringing.
RING_LINE = re.compile(r'lblTime "(\d\d:\d\d:\d\d)" lblAMPM "(AM|PM)" butOnOff 1 blnAlarm true')
CLIP_MATCH = 0.6  # normalized cross-correlation that counts as "heard"
ENGLISH = {"Alarm": "push button", "Choose music": "push button",
           "Language: English": "push button", "Hide": "push button", "Close": "push button",
           "Time": "label", "Alarm time": "label"}
FRENCH = {"Alarme": "push button", "Choisir la musique": "push button",
          "Langue : français": "push button", "Masquer": "push button",
          "Fermer": "push button", "Heure": "label", "Heure de l'alarme": "label"}


def named(tree, name):
    found = [o for o in tree if o["name"] == name]
    return found[0] if found else None


class Keyboard(unittest.TestCase):
    def test_keyboard_journey_and_screen_reader(self):
        require_program()
        ears = Ears(APP_DIR / "sounds")
        with rig(START, tray=True, accessible=True, wm=True) as (app, display, pulse, host, workdir):
            self.app, self.display, self.access = app, display, app.accessibility
            self.pulse = pulse
            app.find_window()
            with Recorder(pulse, workdir / "monitor.raw") as rec:
                try:
                    self.journey(rec, ears, host)
                finally:
                    rec.keep("test_keyboard-monitor.wav")

    # --- helpers ---

    def key(self, *keys):
        """Types keys into the window that has the X input focus."""
        self.display.xdotool("key", "--clearmodifiers", *keys)

    def focused_window(self):
        return int(self.display.xdotool("getwindowfocus", check=False).strip() or 0)

    def wait_focus_on(self, window, what):
        poll(lambda: self.focused_window() == window, 10, what)

    def focused_control(self):
        tree = self.access.tree()
        names = [o["name"] for o in tree if "focused" in o["states"] and o["depth"] >= 2]
        return names[0] if names else None

    def wait_focused(self, name):
        poll(lambda: self.focused_control() == name, 10, "the focus on %r" % name)

    def check_names(self, expected):
        tree = self.access.wait(lambda t: all(named(t, n) for n in expected), "the names %s"
                                % ", ".join(expected))
        for name, role in expected.items():
            self.assertEqual(named(tree, name)["role"], role, name)
        return tree

    def switch_checked(self, name):
        return "checked" in named(self.access.tree(), name)["states"]

    def dialog_with_focus(self, title):
        dialog = self.app.dialog(title)
        # The dialog takes the keyboard by itself: no click, no focus request.
        poll(lambda: self.focused_window() in self.windows_of(dialog), 10,
             "the dialog %r to have the focus" % title)
        return dialog

    def windows_of(self, window):
        return {window} | {w["id"] for w in self.display.tree(window)}

    # --- the journey ---

    def journey(self, rec, ears, host):
        app = self.app
        say("checks: the window has the keyboard; the screen reader reads every control's "
            "name and role in English, the switch unchecked, the time as text")
        self.wait_focus_on(app.window, "the window to have the focus")
        tree = self.check_names(ENGLISH)
        self.assertFalse(self.switch_checked("Alarm"))
        time_text = named(tree, "Time")["text"]
        say("   the time display's text:", time_text)
        self.assertRegex(time_text, r"^06:00:\d\d AM$")
        self.assertIn("Switch the alarm on or off (A)", named(tree, "Alarm")["description"])
        for name in ["Alarm", "Choose music", "Close"]:
            self.assertEqual(named(tree, name)["actions"][:1], ["Press"], name)
        self.wait_focused("Alarm")

        say("checks: Tab and Shift+Tab go round the controls in order")
        for name in ["Choose music", "Language: English", "Hide", "Close", "Alarm"]:
            self.key("Tab")
            self.wait_focused(name)
        self.key("shift+Tab")
        self.wait_focused("Close")
        self.display.screenshot("keyboard-focus-mark.png")  # the ring around "X"
        self.key("Tab")
        self.wait_focused("Alarm")

        say("checks: Space on the switch opens the prompt; the typed time and Return arm "
            "it: the switch-on clip is heard and the switch reads as checked")
        self.key("space")
        self.dialog_with_focus("Set Alarm")
        self.display.xdotool("type", "--delay", "40", ALARM_TEXT)
        self.key("Return")
        app.dialog_closed("Set Alarm")
        poll(lambda: self.switch_checked("Alarm"), 10, "the switch to read as checked")
        poll(lambda: ears.find(rec.samples(), "alarm_set.wav")[1] > CLIP_MATCH, 15,
             "the switch-on clip on the monitor")
        self.assertEqual(named(self.access.tree(), "Alarm time")["text"], ALARM_TEXT)

        say("checks: A switches the alarm off (heard) and the switch reads unchecked")
        self.key("a")
        poll(lambda: not self.switch_checked("Alarm"), 10, "the switch to read as unchecked")
        poll(lambda: ears.find(rec.samples(), "alarm_off.wav")[1] > CLIP_MATCH, 15,
             "the switch-off clip on the monitor")

        say("checks: L asks the question, Return answers Yes; the names are French")
        self.key("l")
        self.dialog_with_focus("Options")
        self.key("Return")
        app.dialog_closed("Options")
        self.check_names(FRENCH)
        self.assertFalse(self.switch_checked("Alarme"))

        say("checks: M opens the track dialog and Escape cancels it; no track is chosen")
        self.key("m")
        self.dialog_with_focus("Select A File")
        self.key("Escape")
        app.dialog_closed("Select A File")
        self.assertTrue(named(self.access.tree(), "Choisir la musique"))

        say("checks: A arms it again through the French prompt; with the clock at 06:59:50 "
            "Escape hides the window to the tray: at 07:00 it rings hidden, the sink unmuted, "
            "the beep and the French words heard, and a screen reader hears the alert %r"
            % ALERT)
        self.wait_focus_on(app.window, "the focus back on the window")
        self.key("a")
        self.dialog_with_focus("Set Alarm")
        self.display.xdotool("type", "--delay", "40", ALARM_TEXT)
        self.key("Return")
        app.dialog_closed("Set Alarm")
        poll(self.pulse.muted, 15, "the sink to be muted")
        with self.access.events(["object:state-changed:showing"]) as heard:
            app.clock.set(BEFORE_ALARM)
            self.wait_focus_on(app.window, "the focus back on the window")
            self.key("Tab")  # the focus left on the notes
            self.wait_focused("Choisir la musique")
            self.key("Escape")
            poll(lambda: not app.viewable(), 10, "the window to be hidden")
            hidden_at = app.clock.now()
            say("   hidden at fake %s" % hidden_at.strftime("%H:%M:%S"))
            self.assertLess(hidden_at.strftime("%H:%M"), "07:00", "hidden only after the alarm")
            since = rec.seconds()
            poll(lambda: not self.pulse.muted(), 20, "the ring: the sink unmuted")
            ring = poll(lambda: RING_LINE.search(app.log()), 10, "the ring's state line")
            say("   the ring's tick showed %s %s" % ring.groups())
            self.assertEqual(ring.groups(), ("07:00:00", "AM"), "not rung at the minute")
            self.assertFalse(app.viewable(), "the window came up to ring")
            for clip in ["sept.wav", "reveille.wav"]:
                poll(lambda: ears.find(rec.samples()[int(since * RATE):], clip, "fr")[1]
                     > CLIP_MATCH, 15, "%s on the monitor" % clip, interval=0.3)
            poll(lambda: (ears.beep(rec.samples()[int(since * RATE):], 0.05) > 0.5).any(), 10,
                 "the beep on the monitor", interval=0.3)
            alerts = poll(lambda: [e for e in heard if e["role"] == "alert" and e["detail1"] == 1],
                          10, "the alert event")
            say("   the screen reader heard:", alerts[0])
            self.assertEqual([e["name"] for e in alerts], [ALERT], "told other than once")

        say("checks: the tray icon shows the window again, with the keyboard's focus on the "
            "first control; the switch says it rings until switched off; A switches it off")
        icon = poll(lambda: (host.icons_of(app) or [None])[0], 10, "the tray icon")
        self.display.xdotool("mousemove", icon["x"] + icon["width"] // 2,
                             icon["y"] + icon["height"] // 2, "click", 1)
        poll(app.viewable, 10, "the window to be shown")
        self.wait_focus_on(app.window, "the shown window to have the focus")
        self.wait_focused("Alarme")
        self.key("Tab")
        self.wait_focused("Choisir la musique")
        self.assertTrue(shown_faces(app.log()))
        self.assertEqual(named(self.access.tree(), "Alarme")["description"], RINGING_TIP)
        self.key("a")
        poll(lambda: not self.switch_checked("Alarme"), 10, "the switch to read as unchecked")

        say("checks: Alt+F4 ends the program as X does")
        self.key("alt+F4")
        poll(lambda: not app.running(), 15, "the program to end")
        self.assertEqual(app.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
