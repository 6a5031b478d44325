"""Everything one end-to-end test needs, started together and stopped together."""

import contextlib

from app import alarm_clock
from procs import temp_dir
from pulse import pulseaudio
from tray import trayer
from xserver import xvfb


@contextlib.contextmanager
def rig(start, tray=False, zone=None, program=None):
    """A temporary folder, X, PulseAudio, optionally the tray host, and the
    program. Yields (app, display, pulse, tray host or None, workdir)."""
    with contextlib.ExitStack() as stack:
        workdir = stack.enter_context(temp_dir())
        display = stack.enter_context(xvfb())
        host = stack.enter_context(trayer(display)) if tray else None
        pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
        app = stack.enter_context(alarm_clock(display, pulse, workdir, start, zone=zone,
                                              program=program))
        yield app, display, pulse, host, workdir
