"""Where the program under test is and where the tests keep what they leave
for a person to look at. Absolute, so that they hold in the program's own
working folder too."""

import os
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("ALARM_SOURCE_DIR",
                                 Path(__file__).resolve().parents[2])).absolute()
BUILD_DIR = Path(os.environ.get("ALARM_BUILD_DIR", SOURCE_DIR / "build" / "dev")).absolute()
APP_BIN = Path(os.environ.get("ALARM_BIN", BUILD_DIR / "alarm-clock")).absolute()
APP_DIR = APP_BIN.parent
ARTIFACTS = BUILD_DIR / "artifacts"


def artifact(name):
    """The path of an artefact kept after the run; its folder is made."""
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    return ARTIFACTS / name


def require_program():
    if not APP_BIN.exists():
        raise SystemExit("no program at %s (set ALARM_BIN)" % APP_BIN)
