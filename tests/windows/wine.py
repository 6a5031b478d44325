"""Wine for the Windows tests: the launcher of the build (cmake/wine-run.sh)."""

import subprocess
from pathlib import Path

WINE_RUN = Path(__file__).resolve().parents[2] / "cmake" / "wine-run.sh"


def warm_wine():
    """Starts Wine's server and services before a test, without the fake
    clock. They outlive this call by a minute and keep the output they were
    given: nothing that anyone waits on."""
    subprocess.run([str(WINE_RUN), "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)
