#!/usr/bin/env python3
"""The installer under Wine: a silent install (/S) lays the program, its
data, the Start-menu shortcut, the uninstaller and the uninstall entry in the
user's registry; the installed program starts and shows its window; a silent
uninstall leaves nothing of it behind."""

import os
import sys
import tempfile
import unittest
from pathlib import Path

sys.path[:0] = [str(Path(__file__).resolve().parents[1] / "e2e"), str(Path(__file__).parent)]

from app import CLOSE  # noqa: E402
from procs import poll, run, say  # noqa: E402
from rig import rig  # noqa: E402
from wine import WINE_RUN, warm_wine  # noqa: E402

SETUP = Path(os.environ.get("ALARM_SETUP", ""))
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\%s" % os.environ.get(
    "ALARM_APP_ID", "io.github.alarmclock.AlarmClock")


def wine(*args, timeout=120, check=True):
    return run([str(WINE_RUN), *map(str, args)], dict(os.environ), timeout=timeout, check=check)


def unix_path(windows_path):
    return Path(wine("winepath", "-u", windows_path).stdout.strip())


def expand(variable):
    return wine("cmd", "/c", "echo %" + variable + "%").stdout.strip()


def registered():
    return wine("reg", "query", UNINSTALL_KEY, check=False).returncode == 0


class Installer(unittest.TestCase):
    def test_silent_install_start_and_uninstall(self):
        warm_wine()
        self.assertTrue(SETUP.is_file(), "no installer at %s (set ALARM_SETUP)" % SETUP)
        folder = unix_path(expand("LOCALAPPDATA") + r"\Programs\Alarm Clock")
        shortcut = unix_path(expand("APPDATA") +
                             r"\Microsoft\Windows\Start Menu\Programs\Alarm Clock.lnk")
        # What an earlier run may have left.
        if (folder / "uninstall.exe").exists():
            wine(folder / "uninstall.exe", "/S", "_?=" + str(folder), check=False)

        say("silent install")
        wine(SETUP, "/S")
        program = folder / "alarm-clock.exe"
        for path in (program, folder / "uninstall.exe", folder / "bg.jpg",
                     folder / "DS-DIGI.TTF", folder / "sounds" / "en" / "seven.wav", shortcut):
            self.assertTrue(path.exists(), "not installed: %s" % path)
        self.assertTrue(registered(), "no uninstall entry")

        say("the installed program starts")
        with tempfile.TemporaryDirectory(prefix="alarm-wine-") as launcher_dir:
            launcher = Path(launcher_dir) / "alarm-clock"
            launcher.write_text('#!/bin/sh\nexec "%s" "%s"\n' % (WINE_RUN, program))
            launcher.chmod(0o755)
            with rig("2026-12-08 06:59:30", program=launcher) as (app, *_):
                info = app.display.window_info(app.find_window(timeout=60))
                self.assertEqual((info["width"], info["height"]), (600, 300))
                app.click(*CLOSE)
                poll(lambda: not app.running(), 20, "the program to end")

        say("silent uninstall")
        wine(folder / "uninstall.exe", "/S")
        # The uninstaller runs from a copy of itself and returns at once.
        poll(lambda: not folder.exists() and not shortcut.exists(), 60,
             "the program's folder and shortcut to go")
        self.assertFalse(registered(), "the uninstall entry is left")


if __name__ == "__main__":
    unittest.main(verbosity=2)
