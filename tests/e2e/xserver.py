"""A private X server (Xvfb) and what the tests do on it: find windows and
read their geometry and properties (python-xlib), click and type (xdotool),
take screenshots (ImageMagick), and time a window's answers to pings."""

import contextlib
import os
import select
import subprocess
import threading
import time

import numpy as np
from Xlib import X, error, protocol
from Xlib import display as xdisplay

from paths import artifact
from procs import run, say, stop_process

SCREEN = (1920, 1080)
MAP_STATES = {X.IsUnmapped: "IsUnMapped", X.IsUnviewable: "IsUnviewable",
              X.IsViewable: "IsViewable"}


class Display:
    """One X server: its name, an environment that reaches it, and a
    connection of the test's own."""

    def __init__(self, name):
        self.name = name
        self.env = dict(os.environ, DISPLAY=name)
        self.x = xdisplay.Display(name)
        self.root = self.x.screen().root

    def close(self):
        self.x.close()

    def window(self, window):
        return self.x.create_resource_object("window", int(window))

    def xdotool(self, *args, timeout=15, check=True):
        return run(["xdotool", *map(str, args)], self.env, timeout=timeout, check=check).stdout

    def window_info(self, window):
        """Geometry and map state of a window as xwininfo reports them, or None
        when the window is gone. x and y are on the screen, rel_x and rel_y in
        the parent; both are of the outer corner of the border."""
        win = self.window(window)
        try:
            geometry = win.get_geometry()
            state = win.get_attributes().map_state
            border = geometry.border_width
            corner = self.root.translate_coords(win, -border, -border)
        except error.XError:
            return None
        return dict(x=corner.x, y=corner.y, rel_x=geometry.x, rel_y=geometry.y,
                    width=geometry.width, height=geometry.height, border=border,
                    map_state=MAP_STATES[state])

    def parent(self, window):
        return self.window(window).query_tree().parent.id

    def tree(self, window):
        """(id, width, height, x, y) of every window under `window`, recursively;
        x and y on the screen. Windows that go while it looks are left out."""
        rows = []
        try:
            children = self.window(window).query_tree().children
        except error.XError:
            return rows
        for child in children:
            info = self.window_info(child.id)
            if info:
                rows.append(dict(id=child.id, width=info["width"], height=info["height"],
                                 x=info["x"], y=info["y"]))
                rows += self.tree(child.id)
        return rows

    def prop(self, window, name):
        """A window property's value (bytes, or a sequence of numbers), or None."""
        try:
            value = self.window(window).get_full_property(self.x.intern_atom(name),
                                                          X.AnyPropertyType)
        except error.XError:
            return None
        return value.value if value else None

    def title(self, window):
        try:
            return self.window(window).get_wm_name()
        except error.XError:
            return None

    def screenshot(self, name):
        """Saves the whole screen as an artefact; returns its path."""
        path = artifact(name)
        run(["import", "-window", "root", str(path)], self.env, timeout=30)
        say("  screenshot kept:", path)
        return path

    def pixels(self):
        """The screen as an array of (height, width, 3) RGB bytes."""
        out = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             env=self.env, capture_output=True, timeout=30, check=True).stdout
        return np.frombuffer(out, dtype=np.uint8).reshape(SCREEN[1], SCREEN[0], 3)


@contextlib.contextmanager
def xvfb(width=SCREEN[0], height=SCREEN[1]):
    """A private X server on a display number that it picks itself."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "%dx%dx24" % (width, height), "-nolisten", "tcp"],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write_end)
    display = None
    try:
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline()
        if not number.endswith(b"\n"):
            raise RuntimeError("Xvfb did not report a display")
        display = Display(":" + number.decode().strip())
        say("X server on", display.name)
        yield display
    finally:
        if display:
            display.close()
        stop_process(proc)


PING_INTERVAL = 0.02  # seconds between an answer and the next ping


class PingWatch:
    """How long a window leaves its events unanswered, measured from outside:
    it is sent the window manager's ping (_NET_WM_PING) over and over, one at a
    time, from a thread and a connection of its own, and each answer is timed.
    Qt answers a ping on the window's own thread, so a handler that holds that
    thread up holds the answer up by as long. waits holds (sent, answered) in
    monotonic seconds for every ping answered."""

    def __init__(self, display_name, window):
        self.window = window
        self.waits = []
        self.pending_since = None
        self.done = False
        self.x = xdisplay.Display(display_name)
        # A ping to a window that has just gone with its program is simply
        # never answered; the error that says so is of no interest.
        self.x.set_error_handler(lambda *_: None)
        self.protocols = self.x.intern_atom("WM_PROTOCOLS")
        self.ping = self.x.intern_atom("_NET_WM_PING")
        self.target = self.x.create_resource_object("window", window)
        # Qt sends its answer to the root window with these masks (and the
        # redirect mask, which only a window manager may take).
        self.x.screen().root.change_attributes(
            event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def send(self, number):
        event = protocol.event.ClientMessage(
            window=self.target, client_type=self.protocols,
            data=(32, [self.ping, number, self.window, 0, 0]))
        # An empty event mask sends it to the client that made the window.
        self.target.send_event(event, event_mask=0)
        self.x.flush()

    def answered(self, number):
        found = False
        while self.x.pending_events():
            event = self.x.next_event()
            if event.type == X.ClientMessage and event.client_type == self.protocols:
                data = event.data[1]
                found = found or (data[0] == self.ping and data[1] == number)
        return found

    def run(self):
        number = 0
        while not self.done:
            number += 1
            sent = time.monotonic()
            self.pending_since = sent
            self.send(number)
            while not self.done and not self.answered(number):
                select.select([self.x.fileno()], [], [], 0.05)
            if not self.done:
                self.waits.append((sent, time.monotonic()))
                self.pending_since = None
                time.sleep(PING_INTERVAL)

    def longest_wait(self, since):
        """The longest any ping sent after `since` (monotonic) waited for its
        answer, counting one still unanswered up to now."""
        waits = [b - a for a, b in list(self.waits) if a >= since]
        pending = self.pending_since
        if pending is not None and pending >= since:
            waits.append(time.monotonic() - pending)
        return max(waits, default=0.0)

    def count(self, since):
        return sum(1 for a, _ in list(self.waits) if a >= since)

    def stop(self):
        self.done = True
        self.thread.join(timeout=2)
        self.x.close()
