"""Everything one end-to-end test needs, started together and stopped together."""

import contextlib

from app import alarm_clock
from atspi import accessibility
from procs import temp_dir
from pulse import pulseaudio
from session import session_manager
from tray import trayer
from wm import openbox
from xserver import xvfb


@contextlib.contextmanager
def rig(start, tray=False, zone=None, program=None, accessible=False, wm=False, session=False):
    """A temporary folder, X, optionally a window manager, PulseAudio,
    optionally the tray host, the accessibility bus (then app.accessibility
    reads the program's tree) and an X session manager (app.session), and the
    program. Yields (app, display, pulse, tray host or None, workdir)."""
    with contextlib.ExitStack() as stack:
        workdir = stack.enter_context(temp_dir())
        display = stack.enter_context(xvfb())
        if wm:
            stack.enter_context(openbox(display, workdir))
        host = stack.enter_context(trayer(display)) if tray else None
        pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
        access = stack.enter_context(accessibility(display, workdir)) if accessible else None
        manager = stack.enter_context(session_manager()) if session else None
        env = dict(access.program_env() if access else {}, **(manager.env() if manager else {}))
        app = stack.enter_context(alarm_clock(display, pulse, workdir, start, zone=zone,
                                              program=program, extra_env=env))
        app.accessibility = access
        app.session = manager
        yield app, display, pulse, host, workdir
