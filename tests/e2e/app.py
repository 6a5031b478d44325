"""The program under test: started on a private X server and sound server
under a fake clock, its log read, its window found and clicked."""

import contextlib
import os
import re
import signal
import subprocess
import sys
from pathlib import Path

from fakeclock import FakeClock
from paths import APP_BIN
from procs import poll, say, stop_process

WINDOW_TITLE = "Alarm Clock"
# Centres of the window's controls, in window pixels.
BUT_ON_OFF = (24 + 25, 64 + 12)
BUT_TRACK = (80 + 12, 64 + 12)
BUT_SETTINGS = (48 + 13, 37 + 13)
MINIMIZE = (560 + 8, 3 + 15)  # lblMinimize "-"
CLOSE = (580 + 8, 3 + 15)  # lblClose "X"

# The front end logs what it shows each second, e.g.
# `alarmclock.ui: lblTime "06:59:41" lblAMPM "AM" butOnOff 1 blnAlarm false`.
SHOWN = re.compile(r'lblTime\W+(\d{1,2}:\d{2}:\d{2})\W+lblAMPM\W+(AM|PM)')


def shown_faces(log_text):
    """Every (time, day half) that the program logged as shown, in order."""
    return SHOWN.findall(log_text)


def clock_text(when):
    """The clock face for a time: "hh:mm:ss" in 12-hour form and the day half."""
    return when.strftime("%I:%M:%S"), when.strftime("%p")


class App:
    def __init__(self, display, proc, log_path, clock):
        self.display = display
        self.proc = proc
        self.log_path = Path(log_path)
        self.clock = clock
        self.window = None

    def log(self):
        try:
            return self.log_path.read_text(errors="replace")
        except OSError:
            return ""

    def tail(self, lines=60):
        return "\n".join(self.log().splitlines()[-lines:])

    def running(self):
        return self.proc.poll() is None

    def find_window(self, timeout=30):
        """The visible top-level window titled "Alarm Clock" (the tray icon's
        window is small and ignored)."""
        def found():
            if not self.running():
                raise AssertionError("the program exited with %s before showing its window"
                                     % self.proc.returncode)
            for wid in self.visible(WINDOW_TITLE):
                info = self.display.window_info(wid)
                if info and info["width"] >= 100 and info["height"] >= 100:
                    return wid
            return None
        self.window = poll(found, timeout, 'the window "%s"' % WINDOW_TITLE, interval=0.1)
        return self.window

    def visible(self, title):
        """The visible windows titled `title`."""
        return [int(wid) for wid in self.display.xdotool(
            "search", "--onlyvisible", "--name", "^%s$" % title, check=False).split()]

    def geometry(self):
        return self.display.window_info(self.window)

    def viewable(self):
        info = self.geometry()
        return bool(info) and info["map_state"] == "IsViewable"

    def click(self, x, y, button=1):
        """A click at a point of the window, in window pixels."""
        self.display.xdotool("mousemove", "--window", self.window, x, y)
        self.display.xdotool("click", button)

    def pids_windows(self):
        return self.display.xdotool("search", "--pid", self.proc.pid, check=False).split()

    def dialog(self, title, timeout=15):
        """The visible window titled `title` (a dialog of the program)."""
        def found():
            if not self.running():
                raise AssertionError("the program exited with %s" % self.proc.returncode)
            ids = self.visible(title)
            return ids[0] if ids else None
        return poll(found, timeout, 'the dialog "%s"' % title, interval=0.1)

    def dialog_closed(self, title, timeout=10):
        poll(lambda: not self.visible(title), timeout, "the dialog %r to close" % title)

    def type_into(self, window, text):
        self.display.xdotool("windowfocus", "--sync", window)
        self.display.xdotool("type", "--delay", "40", text)
        self.display.xdotool("key", "Return")

    def set_alarm(self, text):
        """Clicks the ON/OFF switch, types `text` into the "Set Alarm" dialog
        and waits for the dialog to close."""
        self.click(*BUT_ON_OFF)
        self.type_into(self.dialog("Set Alarm"), text)
        self.dialog_closed("Set Alarm")

    def stop(self, sig=signal.SIGTERM, timeout=10):
        stop_process(self.proc, sig, timeout)


def program_env(display, pulse, home):
    """This process's environment for the program, without settings of Qt, the
    sound server, faketime or the tests, on `display` and `pulse`, with `home`
    as its home and a plain UTF-8 locale."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QT_", "PULSE_", "FAKETIME", "LD_PRELOAD", "ALARM_"))}
    env.update(DISPLAY=display.name, PULSE_SERVER=pulse.server,
               XDG_RUNTIME_DIR=str(pulse.runtime_dir), HOME=str(home), LANG="C.UTF-8",
               LC_ALL="C.UTF-8", QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="0",
               NO_AT_BRIDGE="1")
    return env


@contextlib.contextmanager
def alarm_clock(display, pulse, workdir, start, extra_env=None, zone=None, program=None,
                prefix=()):
    """The program (APP_BIN unless told) under a fake clock starting at
    `start` in `zone`, its debug categories on and its output captured to a
    file. `prefix` is a command that execs the program (setpriv), so the
    process stays the program's. On failure the output's tail is printed."""
    workdir = Path(workdir)
    program = Path(program or APP_BIN)
    clock = FakeClock(workdir / "faketime.rc", start, zone)
    home = workdir / "home"
    home.mkdir(exist_ok=True)
    env = program_env(display, pulse, home)
    env.update(clock.env())
    env.update(QT_LOGGING_RULES="alarmclock.*=true",
               # An AddressSanitizer build must accept libfaketime ahead of it. Its
               # leak check stays off: system libraries keep allocations to the end,
               # and the check's own thread can crash at exit. The unit tests check
               # the core for leaks.
               ASAN_OPTIONS=":".join(filter(None, [os.environ.get("ASAN_OPTIONS"),
                                                    "verify_asan_link_order=0",
                                                    "detect_leaks=0"])))
    env.update(extra_env or {})
    log_path = workdir / "alarm-clock.log"
    log = open(log_path, "w")
    say("starting", program, "at fake time", clock.now().strftime("%Y-%m-%d %H:%M:%S"))
    proc = subprocess.Popen([*prefix, str(program)], cwd=str(workdir), env=env, stdout=log,
                            stderr=subprocess.STDOUT)
    app = App(display, proc, log_path, clock)
    try:
        yield app
    except BaseException:
        say("---- program output (tail) ----")
        say(app.tail())
        say("---- end of program output ----")
        with contextlib.suppress(Exception):
            display.screenshot("failure-%s.png" % Path(sys.argv[0]).stem)
        raise
    finally:
        app.stop()
        log.close()
        if app.proc.returncode not in (None, 0):
            say("program exit status:", app.proc.returncode)
