#!/usr/bin/env python3
"""The installer under Wine, over a running clock as a user meets it. A
silent install (/S) lays the program, its data, the Start-menu shortcut, the
uninstaller and a full uninstall entry; the installed clock starts, shows its
window, and holds none of its pictures and fonts open (a Windows program can
delete them). Then, each time over a clock that is armed and has muted the
output: a silent reinstall and one through the installer's pages replace
every file of an older version in place, and the silent uninstaller leaves
nothing behind; each time the clock ended by itself with status 0 and put
the mute back. A clock that does not answer (stopped) makes the silent
installer give up with status 2 before it changes anything. The installed
program carries its version resource and its manifest (DPI awareness, common
controls 6, Windows 10 and 11). The installer and
the clock share one Wine server, as they share one session on Windows."""

import contextlib
import filecmp
import os
import re
import signal
import subprocess
import sys
import unittest
from pathlib import Path
from xml.etree import ElementTree

sys.path[:0] = [str(Path(__file__).resolve().parents[1] / "e2e"), str(Path(__file__).parent)]

from app import alarm_clock, program_env  # noqa: E402
from procs import poll, run, say, temp_dir  # noqa: E402
from pulse import pulseaudio  # noqa: E402
from test_windows_alarm import mutes  # noqa: E402
from wine import WINE_RUN, warm_wine  # noqa: E402
from xserver import xvfb  # noqa: E402

SETUP = Path(os.environ.get("ALARM_SETUP", ""))
STAGE = Path(os.environ.get("ALARM_STAGE", ""))
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\%s" % os.environ.get(
    "ALARM_APP_ID", "io.github.alarmclock.AlarmClock")
PREFIX = os.environ.get("WINEPREFIX") or os.environ.get(
    "ALARM_WINEPREFIX", str(Path.home() / ".wine-alarm-clock"))
# Files an update must replace: the program, a picture and a font it has
# loaded, and a file it never opens.
REPLACED = ["alarm-clock.exe", "bg.jpg", "DS-DIGI.TTF", "LICENSE.txt"]
OLD = b"\0an older version"
SETUP_TITLE = "Alarm Clock Setup"


class Installer(unittest.TestCase):
    def setUp(self):
        self.assertTrue(SETUP.is_file(), "no installer at %s (set ALARM_SETUP)" % SETUP)
        self.assertTrue((STAGE / "alarm-clock.exe").is_file(),
                        "no staged program in %s (set ALARM_STAGE)" % STAGE)
        warm_wine()

    def wine(self, *args, timeout=120, check=True):
        return run([str(WINE_RUN), *map(str, args)], self.env, timeout=timeout, check=check)

    def test_install_update_and_uninstall_over_a_running_clock(self):
        with contextlib.ExitStack() as stack:
            self.workdir = stack.enter_context(temp_dir())
            self.display = stack.enter_context(xvfb())
            self.pulse = stack.enter_context(pulseaudio(self.workdir / "runtime"))
            (self.workdir / "home").mkdir()
            self.env = dict(program_env(self.display, self.pulse, self.workdir / "home"),
                            WINEPREFIX=PREFIX)
            self.folder = Path(self.wine("winepath", "-u", self.expand("LOCALAPPDATA") +
                                         r"\Programs\Alarm Clock").stdout.strip())
            self.shortcut = Path(self.wine("winepath", "-u", self.expand("APPDATA") +
                                           r"\Microsoft\Windows\Start Menu\Programs"
                                           r"\Alarm Clock.lnk").stdout.strip())
            launcher = self.workdir / "alarm-clock"
            launcher.write_text('#!/bin/sh\nexec "%s" "%s"\n'
                                % (WINE_RUN, self.folder / "alarm-clock.exe"))
            launcher.chmod(0o755)
            self.launcher = launcher
            # What an earlier run may have left.
            if (self.folder / "uninstall.exe").exists():
                self.wine(self.folder / "uninstall.exe", "/S", "_?=" + str(self.folder),
                          check=False)

            say("silent install")
            self.wine(SETUP, "/S")
            for path in (self.folder / "uninstall.exe", self.folder / "sounds" / "en" /
                         "seven.wav", self.shortcut):
                self.assertTrue(path.exists(), "not installed: %s" % path)
            self.assertNewFiles()
            entry = self.entry()
            say("uninstall entry:", entry)
            installed = self.wine("winepath", "-w", self.folder).stdout.strip()
            self.assertEqual(entry.get("DisplayIcon"), installed + r"\alarm-clock.exe")
            self.assertEqual(entry.get("InstallLocation"), installed)
            self.assertEqual(entry.get("DisplayVersion"), os.environ.get("ALARM_VERSION", "0.1.0"))
            self.assertEqual(entry.get("Publisher"), "The Alarm Clock developers")
            self.assertEqual((entry.get("NoModify"), entry.get("NoRepair")), ("0x1", "0x1"))
            size_kb = sum(f.stat().st_size for f in self.folder.rglob("*") if f.is_file()) // 1024
            self.assertAlmostEqual(int(entry.get("EstimatedSize", "0"), 16), size_kb,
                                   delta=size_kb // 10)

            self.assertResources(self.folder / "alarm-clock.exe")

            with self.running_clock() as app:
                say("checks: the clock holds no picture or font open: Windows can delete them")
                deleted = self.wine("cmd", "/c", "del", installed + r"\bg.jpg",
                                    installed + r"\DS-DIGI.TTF", check=False)
                self.assertFalse((self.folder / "bg.jpg").exists(),
                                 "bg.jpg is held open: %s" % deleted.stdout.strip())
                self.assertFalse((self.folder / "DS-DIGI.TTF").exists(),
                                 "DS-DIGI.TTF is held open: %s" % deleted.stdout.strip())
                say("silent update over a clock that does not answer (stopped): it gives up, "
                    "changes nothing, and the clock closes once it runs again")
                self.make_old()
                os.kill(app.proc.pid, signal.SIGSTOP)
                try:
                    gave_up = self.wine(SETUP, "/S", timeout=180, check=False)
                finally:
                    os.kill(app.proc.pid, signal.SIGCONT)
                self.assertEqual(gave_up.returncode, 2)
                for name in REPLACED:
                    self.assertTrue((self.folder / name).read_bytes().endswith(OLD),
                                    "%s was changed" % name)
                self.assertEndedCleanly(app)

            with self.running_clock() as app:
                say("silent update over the armed clock")
                self.wine(SETUP, "/S", timeout=180)
                self.assertEndedCleanly(app)
                self.assertNewFiles()

            with self.running_clock() as app:
                say("update through the installer's pages over the armed clock")
                self.make_old()
                setup = subprocess.Popen([str(WINE_RUN), str(SETUP)], env=self.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    self.press_return(SETUP_TITLE + ": Installation Folder", "the directory page")
                    self.assertEndedCleanly(app)
                    # "Close" once the files are in.
                    self.press_return(SETUP_TITLE + ": Completed", "the installer to finish")
                    self.assertEqual(setup.wait(timeout=60), 0)
                finally:
                    if setup.poll() is None:
                        setup.kill()
                self.assertNewFiles()

            with self.running_clock() as app:
                say("silent uninstall over the armed clock")
                self.wine(self.folder / "uninstall.exe", "/S")
                # The uninstaller runs from a copy of itself and returns at once.
                poll(lambda: not self.folder.exists() and not self.shortcut.exists(), 60,
                     "the program's folder and shortcut to go")
                self.assertEndedCleanly(app)
                self.assertEqual(self.entry(), {}, "the uninstall entry is left")

    def expand(self, variable):
        return self.wine("cmd", "/c", "echo %" + variable + "%").stdout.strip()

    def entry(self):
        """The uninstall entry's values as text, {} when there is none."""
        found = self.wine("reg", "query", UNINSTALL_KEY, check=False)
        values = {}
        for line in found.stdout.splitlines() if found.returncode == 0 else []:
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def assertResources(self, exe):
        """The version resource's texts and the manifest's settings are in the program."""
        data = exe.read_bytes()
        version = os.environ.get("ALARM_VERSION", "0.1.0")
        for key, value in (("ProductName", "Alarm Clock"), ("FileDescription", "Alarm Clock"),
                           ("FileVersion", version), ("ProductVersion", version),
                           ("CompanyName", "The Alarm Clock developers"),
                           ("LegalCopyright", "Copyright 2026 The Alarm Clock developers")):
            # A String of VS_VERSION_INFO: its UTF-16 key, padding, its UTF-16 value.
            pattern = (re.escape(key.encode("utf-16-le")) + b"(?:\0\0)+" +
                       re.escape(value.encode("utf-16-le")) + b"\0\0")
            self.assertTrue(re.search(pattern, data),
                            "no %s %r in the version resource" % (key, value))
        start, end = data.index(b"<assembly"), data.index(b"</assembly>") + len(b"</assembly>")
        manifest = ElementTree.fromstring(data[start:end])
        found = {element.tag.split("}")[1]: (element.text or "", element.attrib)
                 for element in manifest.iter()}
        say("manifest:", {tag: found[tag] for tag in
                          ("dpiAwareness", "dpiAware", "activeCodePage", "supportedOS")})
        self.assertEqual(found["dpiAwareness"][0], "PerMonitorV2, PerMonitor")
        self.assertEqual(found["dpiAware"][0], "true/pm")
        self.assertIn("Microsoft.Windows.Common-Controls", data[start:end].decode())
        self.assertEqual(found["supportedOS"][1]["Id"], "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")

    @contextlib.contextmanager
    def running_clock(self):
        """The installed clock, armed for 07:00 AM and past its mute (1.5 s later)."""
        with alarm_clock(self.display, self.pulse, self.workdir, "2026-12-08 06:30:00",
                         extra_env={"WINEPREFIX": PREFIX}, program=self.launcher) as app:
            info = self.display.window_info(app.find_window(timeout=120))
            self.assertEqual((info["width"], info["height"]), (600, 300))
            app.set_alarm("07:00 AM")
            poll(lambda: mutes(app) == ["1"], 15, "the clock to mute the output")
            yield app

    def make_old(self):
        """Makes the installed files those of an older version."""
        for name in REPLACED:
            with open(self.folder / name, "ab") as file:
                file.write(OLD)

    def assertNewFiles(self):
        for name in REPLACED:
            path = self.folder / name
            self.assertTrue(path.exists(), "not installed: %s" % path)
            self.assertTrue(filecmp.cmp(path, STAGE / name, shallow=False),
                            "%s is not the new version's" % name)

    def assertEndedCleanly(self, app):
        poll(lambda: not app.running(), 60, "the installer to end the clock")
        say("   the clock ended with %d; mute requests %s" % (app.proc.returncode, mutes(app)))
        self.assertEqual(app.proc.returncode, 0)
        self.assertEqual(mutes(app)[-1], "0", "the mute was not put back")

    def press_return(self, title, what):
        """Presses Return (the default button) in the visible window titled `title`."""
        window = poll(lambda: (self.visible(title) or [None])[0], 60, what)
        self.display.xdotool("windowfocus", "--sync", window)
        self.display.xdotool("key", "Return")

    def visible(self, title):
        return [int(w) for w in self.display.xdotool(
            "search", "--onlyvisible", "--name", "^%s$" % title, check=False).split()]


if __name__ == "__main__":
    unittest.main(verbosity=2)
