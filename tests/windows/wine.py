"""Wine for the Windows tests: the launcher of the build (cmake/wine-run.sh)."""

import contextlib
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from paths import APP_BIN, require_program
from procs import poll, say

WINE_RUN = Path(__file__).resolve().parents[2] / "cmake" / "wine-run.sh"


def wine_prefix():
    """The Wine prefix that WINE_RUN uses with this process's environment."""
    return Path(os.environ.get("WINEPREFIX") or os.environ.get("ALARM_WINEPREFIX")
                or Path.home() / ".wine-alarm-clock")


def desktop_process(prefix):
    """Whether Wine's desktop process (explorer.exe /desktop) of `prefix` is
    alive. Wine programs of other prefixes (another user's, another test
    run's) have desktops of their own, which this one never joins."""
    wanted = b"\0WINEPREFIX=" + os.fsencode(str(prefix)) + b"\0"
    for process in Path("/proc").glob("[0-9]*"):
        with contextlib.suppress(OSError):
            if (b"explorer.exe\0/desktop" in (process / "cmdline").read_bytes()
                    and wanted in b"\0" + (process / "environ").read_bytes()):
                return True
    return False


def warm_wine():
    """Starts Wine's server and services before a test, without the fake
    clock. They outlive this call by a minute and keep the output they were
    given: nothing that anyone waits on. The desktop process it may start has
    no screen (the test's X server is not up yet): it is let go first, or a
    program started within the second would join it and show nothing."""
    with tempfile.TemporaryFile() as stderr:  # a file: a pipe would wait for them
        warmed = subprocess.run([str(WINE_RUN), "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=stderr, timeout=120)
        if warmed.returncode != 0:
            # Only a warm-up: the test's own start of Wine shows what is wrong, if anything.
            stderr.seek(0)
            say("warming Wine ended with %d: %s"
                % (warmed.returncode, stderr.read().decode(errors="replace")[-400:]))
    prefix = wine_prefix()
    poll(lambda: not desktop_process(prefix), 30, "Wine's desktop process to end")


def write_launcher(path, dpi=None):
    """A script at `path` that starts the program under Wine. With `dpi`, the
    program's own prefix is first set to that screen density (LogPixels, as
    the display settings keep it); the program then starts once, at it."""
    lines = ["#!/bin/sh"]
    if dpi:
        lines.append('"%s" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD'
                     ' /d %d /f >/dev/null 2>&1 || exit 1' % (WINE_RUN, dpi))
        # Windows applies a new density at the next sign-in, Wine 10 at the
        # next start of the prefix's server: end it first.
        lines.append('p="${WINEPREFIX:-${ALARM_WINEPREFIX:-$HOME/.wine-alarm-clock}}"')
        lines.append('WINEPREFIX="$p" wineserver -k 2>/dev/null; WINEPREFIX="$p" wineserver -w')
    lines.append('exec "%s" "%s"' % (WINE_RUN, APP_BIN))
    path.write_text("\n".join(lines) + "\n")
    path.chmod(0o755)
    return path


class WineTestCase(unittest.TestCase):
    """A test of the Windows program: Wine warmed up, and `self.launcher`, a
    script that starts the program under Wine, for the fixtures to run;
    `self.launcher_at(dpi)` makes one that starts it at a screen density."""

    def setUp(self):
        require_program()
        warm_wine()
        self.launchers = Path(tempfile.mkdtemp(prefix="alarm-wine-"))
        self.launcher = write_launcher(self.launchers / "alarm-clock")

    def launcher_at(self, dpi):
        return write_launcher(self.launchers / ("alarm-clock-%d" % dpi), dpi)

    def tearDown(self):
        shutil.rmtree(self.launchers)
