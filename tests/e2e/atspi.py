"""The accessibility bus of a desktop (AT-SPI), private to one test: a D-Bus
session bus, the AT-SPI bus launcher and its registry; and the accessible tree
of the program as a screen reader reads it, through GObject introspection of
Atspi in Debian's own /usr/bin/python3 (atspi_read.py)."""

import contextlib
import json
import os
import signal
import subprocess
import threading
from pathlib import Path

from procs import poll, run, say, stop_process

READER = Path(__file__).with_name("atspi_read.py")
SYSTEM_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class Accessibility:
    def __init__(self, display, bus_address):
        self.env = dict(display.env, DBUS_SESSION_BUS_ADDRESS=bus_address)

    def program_env(self):
        """What the program needs to offer its tree on this bus (Qt's AT-SPI bridge)."""
        return {"DBUS_SESSION_BUS_ADDRESS": self.env["DBUS_SESSION_BUS_ADDRESS"],
                "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1",
                "NO_AT_BRIDGE": "0"}

    def tree(self, app_name="alarm-clock"):
        """The program's accessible objects, depth first: dicts with depth,
        name, role, states, description, text, actions and extents (x, y,
        width, height on the screen); [] while the program is not there."""
        out = run([SYSTEM_PYTHON, str(READER), app_name], self.env, timeout=30).stdout
        return json.loads(out)

    def find(self, app_name="alarm-clock", **match):
        """The objects whose fields equal `match` (e.g. role="toggle button")."""
        return [o for o in self.tree(app_name)
                if all(o.get(k) == v for k, v in match.items())]

    @contextlib.contextmanager
    def events(self, kinds, app_name="alarm-clock"):
        """Listens, as a screen reader does, to the AT-SPI events `kinds` (e.g.
        "object:state-changed:showing") of the program; yields a list that
        fills with dicts of each event's type, source name and role, and detail1."""
        proc = subprocess.Popen([SYSTEM_PYTHON, str(READER), "--events", app_name, *kinds],
                                env=self.env, stdout=subprocess.PIPE, text=True)
        heard = []
        ready = threading.Event()

        def follow():
            for line in proc.stdout:
                if line.strip() == "ready":
                    ready.set()
                elif line.strip():
                    heard.append(json.loads(line))

        thread = threading.Thread(target=follow, daemon=True)
        thread.start()
        try:
            poll(ready.is_set, 15, "the AT-SPI listener")
            yield heard
        finally:
            stop_process(proc)
            thread.join(timeout=2)
            proc.stdout.close()

    def wait(self, condition, what, timeout=15, app_name="alarm-clock"):
        """Polls the tree until condition(tree) is true; returns the tree."""
        def ready():
            tree = self.tree(app_name)
            return tree if condition(tree) else None
        return poll(ready, timeout, what, interval=0.2)


@contextlib.contextmanager
def accessibility(display, workdir):
    """A private session bus with the AT-SPI bus and registry on it."""
    workdir = Path(workdir)
    log = open(workdir / "atspi.log", "w")
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           env=display.env, stdout=subprocess.PIPE, stderr=log, text=True)
    launcher = None
    try:
        address = bus.stdout.readline().strip()
        if not address:
            raise RuntimeError("dbus-daemon gave no address")
        access = Accessibility(display, address)
        # Its own process group: the launcher starts the accessibility bus, and
        # that bus the registry; they go together.
        launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=access.env,
                                    stdout=log, stderr=subprocess.STDOUT,
                                    start_new_session=True)

        def bus_ready():
            result = run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                          "/org/a11y/bus", "org.a11y.Bus.GetAddress"], access.env, check=False)
            return result.returncode == 0 and "unix:" in result.stdout
        poll(bus_ready, 15, "the AT-SPI bus")
        say("AT-SPI bus ready on", address)
        yield access
    finally:
        if launcher is not None and launcher.poll() is None:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(launcher.pid, signal.SIGTERM)
            stop_process(launcher)
        stop_process(bus)
        log.close()
