"""A tray host (trayer) on the private X server, and the icons docked in it."""

import contextlib
import subprocess

from procs import poll, stop_process


class Trayer:
    def __init__(self, display, proc):
        self.display = display
        self.proc = proc
        self.window = None

    def icons(self):
        """Windows embedded in the tray host's panel (its descendants with a size)."""
        if self.window is None:
            return []
        return [w for w in self.display.tree(self.window) if w["width"] > 1 and w["height"] > 1]

    def icons_of(self, app):
        """The icons that are windows of the program `app`."""
        ours = {int(w) for w in app.pids_windows()}
        return [w for w in self.icons() if w["id"] in ours]

    def find_panel(self):
        """trayer's panel: the window of class "trayer" named "panel"."""
        for wid in self.display.xdotool("search", "--class", "trayer", check=False).split():
            if self.display.title(wid) == "panel":
                self.window = int(wid)
                return self.window
        return None


@contextlib.contextmanager
def trayer(display):
    """trayer docked at the top right of the screen, 200 x 32 pixels."""
    proc = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                             "pixel", "--width", "200", "--heighttype", "pixel", "--height",
                             "32"], env=display.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    host = Trayer(display, proc)
    try:
        poll(host.find_panel, 10, "trayer's panel window")
        yield host
    finally:
        stop_process(proc)
