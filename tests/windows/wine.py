"""Wine for the Windows tests: the launcher of the build (cmake/wine-run.sh)."""

import subprocess
import tempfile
import unittest
from pathlib import Path

from paths import APP_BIN, require_program

WINE_RUN = Path(__file__).resolve().parents[2] / "cmake" / "wine-run.sh"


def warm_wine():
    """Starts Wine's server and services before a test, without the fake
    clock. They outlive this call by a minute and keep the output they were
    given: nothing that anyone waits on."""
    subprocess.run([str(WINE_RUN), "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)


class WineTestCase(unittest.TestCase):
    """A test of the Windows program: Wine warmed up, and `self.launcher`, a
    script that starts the program under Wine, for the fixtures to run."""

    def setUp(self):
        require_program()
        warm_wine()
        self.launcher = Path(tempfile.mkdtemp(prefix="alarm-wine-")) / "alarm-clock"
        self.launcher.write_text('#!/bin/sh\nexec "%s" "%s"\n' % (WINE_RUN, APP_BIN))
        self.launcher.chmod(0o755)

    def tearDown(self):
        self.launcher.unlink()
        self.launcher.parent.rmdir()
