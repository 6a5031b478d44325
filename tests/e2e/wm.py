"""A window manager (openbox) on the private X server, as desktops have one:
it activates, iconifies, restores and stacks windows."""

import contextlib
import subprocess
from pathlib import Path

from procs import poll, stop_process


@contextlib.contextmanager
def openbox(display, workdir):
    home = Path(workdir) / "wm-home"
    home.mkdir(exist_ok=True)
    proc = subprocess.Popen(["openbox", "--sm-disable"], env=dict(display.env, HOME=str(home)),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        poll(lambda: display.prop(display.root.id, "_NET_SUPPORTING_WM_CHECK"), 10,
             "openbox to manage the screen")
        yield proc
    finally:
        stop_process(proc)
