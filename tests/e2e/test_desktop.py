#!/usr/bin/env python3
"""The clock on real desktops, from outside, one program start per case:

- no tray host: "-" minimises to the task bar; a tray host that comes later
  gets the icon and "-" hides to it; a tray host that goes gives the hidden
  window back, minimised. Never withdrawn with no icon.
- one clock at a time: a second start shows the running clock and ends with
  status 0; a socket left by a clock killed with SIGKILL does not stop the next.
- no sleep under an armed alarm: one logind inhibitor lock (a mock logind on a
  private system bus) from arming to switch-off, at exit and after a crash; the
  Inhibit portal (mocked on a private session bus) where one is there.
- the computer woken for the alarm: armed a few minutes ahead, the clock
  holds a CLOCK_REALTIME_ALARM timer (read from /proc/PID/fdinfo) due a
  minute before the alarm; re-arming moves it; switch-off, the ring and "X"
  remove it. Without the capability, the helper beside the program (given it
  as the package does, with setcap) holds it and dies with a clock killed
  with SIGKILL; with no capability anywhere, a mock systemd user manager gets
  a transient timer with WakeSystem and stops it at switch-off; with nothing,
  the person is told once and the alarm still rings.
- the user's own mute is put back on switch-off and on close while armed;
  with two outputs, a new default while the alarm waits is muted too and each
  output gets its own mute back; a clock killed while it holds the mute is
  repaired by the next start, which also drops a record it cannot use.
- Wayland only (a headless Weston): the window shows and the clock ticks.
- --help (which lists the restart options), --version, a wrong option and a
  value the clock cannot use end at once.
- a drag whose mouse is lost (another window activated mid-drag) ends there
  and the window stays put; a later drag works. Under an X session manager
  (XSMP) a checkpoint and a logout asked then cancelled leave the clock armed,
  ticking and muted, its restart command carries the alarm and the language,
  and it rings; started by that command the clock is armed again and mutes; a logout carried out (Die) ends it with
  status 0 and the output's mute put back.

A window manager (openbox) runs where a case needs one to iconify, restore and
activate windows as a desktop does.
"""

import contextlib
import datetime
import os
import re
import shlex
import shutil
import signal
import subprocess
import unittest
from pathlib import Path

import numpy as np

from app import BUT_ON_OFF, CLOSE, MINIMIZE, WINDOW_TITLE, alarm_clock, shown_faces
from paths import APP_BIN, APP_DIR, BUILD_DIR, artifact, require_program
from procs import poll, run, say, stop_process, temp_dir
from sound import RATE, rms
from app import alarm_clock as start_clock
from pulse import SECOND, SINK, Recorder, pulseaudio
from rig import rig
from tray import trayer
from wm import openbox
from xserver import xvfb

START = "2026-12-08 06:59:30"
ALARM_TEXT = "09:00 AM"
BACKGROUND = (300, 270)  # a spot of the window's background that no control covers
DRAGGED = (400, 300)  # where a drag takes the window's top-left corner
TIME_LABEL = (104, 144, 339, 97)  # x, y, w, h of the time digits in the window
APP_ID = "io.github.alarmclock.AlarmClock"
LOGIND = ("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager")
PORTAL = ("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
          "org.freedesktop.portal.Inhibit")
PORTAL_REQUEST = "/org/freedesktop/portal/desktop/request/1_1/alarm"
SYSTEMD = ("org.freedesktop.systemd1", "/org/freedesktop/systemd1",
           "org.freedesktop.systemd1.Manager")
WAKE_LEAD = 60  # the computer is woken this many seconds before the alarm
CANNOT_WAKE = "told: The computer cannot be woken for the alarm"
MOCK = "org.freedesktop.DBus.Mock"


# --- fixtures of this file ------------------------------------------------------

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>%s</type>
  <listen>unix:dir=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


@contextlib.contextmanager
def message_bus(workdir, kind):
    """A private D-Bus daemon of `kind` ("system" or "session"); yields its address."""
    config = Path(workdir) / ("%s-bus.conf" % kind)
    config.write_text(BUS_CONFIG % (kind, workdir))
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["dbus-daemon", "--nofork", "--config-file", str(config),
                             "--print-address=%d" % write_end], pass_fds=[write_end],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        with os.fdopen(read_end) as pipe:
            address = pipe.readline().strip()
        if not address:
            raise RuntimeError("dbus-daemon gave no address")
        yield address
    finally:
        stop_process(proc)


class Mock:
    """A python-dbusmock server, reached through its own bus connection."""

    def __init__(self, address, name, path):
        import dbus  # python3-dbus, which python3-dbusmock brings
        self.bus = dbus.bus.BusConnection(address)
        self.name, self.path = name, path

    def object(self, path=None):
        return self.bus.get_object(self.name, path or self.path)

    def call(self, method, *args, path=None, interface=None):
        return getattr(self.object(path), method)(*args, dbus_interface=interface or MOCK)

    def calls(self, method, path=None):
        return [list(args) for _, name, args in self.call("GetCalls", path=path) if name == method]


@contextlib.contextmanager
def dbusmock(address, bus_kind, *args):
    """`python3 -m dbusmock` on the bus at `address`; the remaining args name
    the template or the service."""
    variable = "DBUS_%s_BUS_ADDRESS" % bus_kind.upper()
    env = dict(os.environ, **{variable: address})
    proc = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock",
                             "--system" if bus_kind == "system" else "--session", *args],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        yield proc
    finally:
        stop_process(proc)


@contextlib.contextmanager
def mock_logind(system_address):
    with dbusmock(system_address, "system", "--template", "logind"):
        logind = Mock(system_address, LOGIND[0], LOGIND[1])
        poll(lambda: logind.bus.name_has_owner(LOGIND[0]), 15, "the mock logind")
        yield logind


def inhibitors(logind):
    """The inhibitor locks logind holds: (what, who, why, mode)."""
    return [tuple(str(v) for v in row[:4])
            for row in logind.call("ListInhibitors", interface=LOGIND[2])]


@contextlib.contextmanager
def mock_portal(session_address):
    """An Inhibit portal whose Inhibit gives one request object with Close."""
    with dbusmock(session_address, "session", *PORTAL):
        portal = Mock(session_address, PORTAL[0], PORTAL[1])
        poll(lambda: portal.bus.name_has_owner(PORTAL[0]), 15, "the mock portal")
        portal.call("AddMethod", PORTAL[2], "Inhibit", "sua{sv}", "o",
                    "ret = dbus.ObjectPath('%s')" % PORTAL_REQUEST)
        portal.call("AddObject", PORTAL_REQUEST, "org.freedesktop.portal.Request", {},
                    [("Close", "", "", "")])
        yield portal


@contextlib.contextmanager
def mock_systemd_user(session_address):
    """A systemd user manager of version 256 that takes transient units and stops them."""
    with dbusmock(session_address, "session", *SYSTEMD):
        manager = Mock(session_address, SYSTEMD[0], SYSTEMD[1])
        poll(lambda: manager.bus.name_has_owner(SYSTEMD[0]), 15, "the mock systemd")
        manager.call("AddProperty", SYSTEMD[2], "Version", "256.7-1")
        manager.call("AddMethod", SYSTEMD[2], "StartTransientUnit", "ssa(sv)a(sa(sv))", "o",
                     "ret = dbus.ObjectPath('/org/freedesktop/systemd1/job/1')")
        manager.call("AddMethod", SYSTEMD[2], "StopUnit", "ss", "o",
                     "ret = dbus.ObjectPath('/org/freedesktop/systemd1/job/2')")
        yield manager


def wake_timers(pid):
    """The CLOCK_REALTIME_ALARM timers process `pid` holds: the seconds left on each."""
    left = []
    for fd in os.listdir("/proc/%d/fd" % pid):
        with contextlib.suppress(OSError):
            if "timerfd" not in os.readlink("/proc/%d/fd/%s" % (pid, fd)):
                continue
            info = Path("/proc/%d/fdinfo/%s" % (pid, fd)).read_text()
            value = re.search(r"^it_value:\s*\((\d+),\s*(\d+)\)", info, re.M)
            if re.search(r"^clockid:\s*8$", info, re.M) and value:
                left.append(int(value.group(1)) + int(value.group(2)) / 1e9)
    return left


def helpers(pid):
    """The wake helpers that process `pid` started and that still run."""
    found = []
    for entry in Path("/proc").iterdir():
        with contextlib.suppress(OSError):
            if entry.name.isdigit():
                stat = (entry / "stat").read_text()
                name, rest = stat[stat.index("(") + 1:stat.rindex(")")], stat[stat.rindex(")") + 2:]
                if name == "alarm-clock-wak" and int(rest.split()[1]) == pid:
                    found.append(int(entry.name))
    return found


def alarm_ahead(app, minutes):
    """An alarm `minutes` whole minutes after the clock's minute now: as typed
    (24-hour), the seconds until it, and its time on the clock."""
    now = app.clock.now()
    due = (now + datetime.timedelta(minutes=minutes)).replace(second=0, microsecond=0)
    return due.strftime("%H:%M"), (due - now).total_seconds(), due


@contextlib.contextmanager
def weston(runtime_dir):
    """A headless Weston with a software renderer (so it can take screenshots);
    yields its socket name in `runtime_dir`."""
    runtime_dir = Path(runtime_dir)
    runtime_dir.mkdir(mode=0o700, parents=True, exist_ok=True)
    socket = "wayland-alarm"
    log = open(runtime_dir / "weston.log", "w")
    proc = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman",
                             "--socket=" + socket, "--width=1024", "--height=768",
                             "--idle-time=0", "--debug"],
                            env=dict(os.environ, XDG_RUNTIME_DIR=str(runtime_dir)),
                            stdout=log, stderr=subprocess.STDOUT)
    try:
        poll(lambda: (runtime_dir / socket).exists(), 15, "Weston's socket")
        yield socket
    finally:
        stop_process(proc)
        log.close()


class NoX:
    """Stands for the X display where there is none: the program gets an empty DISPLAY."""
    name = ""
    env = dict(os.environ)


# --- reading the X server ------------------------------------------------------------

def root_prop(display, name):
    """A property of the root window as a list of numbers (window ids here)."""
    return list(display.prop(display.root.id, name) or [])


def wm_state(display, window):
    """The ICCCM state the window manager gave the window: Normal, Iconic, or
    None when it is withdrawn."""
    value = display.prop(window, "WM_STATE")
    return {1: "Normal", 3: "Iconic"}.get(value[0]) if value else None


def net_wm_state(display, window):
    return {display.x.get_atom_name(atom) for atom in display.prop(window, "_NET_WM_STATE") or []}


def icon_sizes(display, window):
    """The sizes in the window's _NET_WM_ICON: width, height, then the pixels, in turn."""
    data, sizes = list(display.prop(window, "_NET_WM_ICON") or []), set()
    while len(data) >= 2:
        width, height = data[0], data[1]
        sizes.add((width, height))
        data = data[2 + width * height:]
    return sizes


def clock_windows(display):
    """Top-level windows titled "Alarm Clock" of clock size."""
    found = []
    for wid in display.xdotool("search", "--name", "^%s$" % WINDOW_TITLE,
                               check=False).split():
        info = display.window_info(wid)
        if info and info["width"] >= 100 and info["height"] >= 100:
            found.append(int(wid))
    return found


def embedded_icons(display, host):
    """The programs' icon windows in the tray host (it wraps each in one of its own)."""
    return [w for w in host.icons() if display.prop(w["id"], "WM_CLASS")]


def our_icons(app, host):
    return host.icons_of(app)


def arm(app, text="07:00 AM"):
    app.click(*BUT_ON_OFF)
    app.type_into(app.dialog("Set Alarm"), text)
    poll(lambda: re.search(r"butOnOff 1", app.log()), 10, "the alarm to be armed")


def log_count(app, text):
    return app.log().count(text)


def mute_record(workdir):
    """Where the program keeps the record of its mute: its home's state folder."""
    return Path(workdir) / "home" / ".local" / "state" / "alarm-clock" / "mute-record"


def position(app):
    info = app.geometry()
    return info["x"], info["y"]


def other_window(display):
    """Another application's window, mapped and managed: a plain 200 x 100 one."""
    screen = display.x.screen()
    window = display.root.create_window(50, 700, 200, 100, 0, screen.root_depth,
                                        background_pixel=screen.white_pixel)
    window.set_wm_name("Another Application")
    window.map()
    display.x.sync()
    poll(lambda: display.xdotool("search", "--onlyvisible", "--name", "^Another Application$",
                                 check=False).strip(), 10, "the other window")
    return window.id


class Desktop(unittest.TestCase):
    def setUp(self):
        require_program()

    # --- 1. never lost without a tray -----------------------------------------------

    def test_no_tray_host_minimises_and_a_later_one_gets_the_icon(self):
        french = {"LANG": "fr_FR.UTF-8", "LC_ALL": "", "LANGUAGE": ""}
        with contextlib.ExitStack() as stack:
            workdir = stack.enter_context(temp_dir())
            display = stack.enter_context(xvfb())
            stack.enter_context(openbox(display, workdir))
            pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
            app = stack.enter_context(alarm_clock(display, pulse, workdir, START,
                                                  extra_env=french))
            window = app.find_window()

            say("checks: the window's class is the desktop entry's StartupWMClass")
            entry = (BUILD_DIR / "data" / (APP_ID + ".desktop")).read_text()
            wm_class = re.search(r"StartupWMClass=(.*)", entry).group(1).strip()
            self.assertEqual(display.prop(window, "WM_CLASS").split(b"\0")[1].decode(), wm_class)

            say("checks: the window's icon comes at every size of the icon set, up to 128")
            sizes = icon_sizes(display, window)
            say("   sizes:", sorted(sizes))
            self.assertTrue({(n, n) for n in (16, 32, 48, 64, 128)} <= sizes, sizes)

            say("checks: Qt's own dialog texts follow the system language (French here)")
            self.assertRegex(app.log(), r"Qt's texts from \S*qtbase_fr\.qm")

            say('checks: no tray host: "-" minimises to the task bar')
            app.click(*MINIMIZE)
            poll(lambda: wm_state(display, window) == "Iconic", 10,
                 "the window to be iconic")
            self.assertIn("_NET_WM_STATE_HIDDEN", net_wm_state(display, window))

            say("checks: a tray host that starts later gets the icon")
            host = stack.enter_context(trayer(display))
            icon = poll(lambda: our_icons(app, host), 15, "the icon in the tray host")[0]
            say("   icon %#x" % icon["id"])

            say("checks: a click on the icon restores the minimised window")
            display.xdotool("mousemove", icon["x"] + icon["width"] // 2,
                            icon["y"] + icon["height"] // 2)
            display.xdotool("click", 1)
            poll(lambda: wm_state(display, window) == "Normal" and app.viewable(), 10,
                 "the window to be restored")

            say('checks: with the icon shown, "-" hides the window to it')
            app.click(*MINIMIZE)
            poll(lambda: not app.viewable(), 10, "the window to be hidden")
            self.assertNotEqual(wm_state(display, window), "Iconic")
            self.assertTrue(our_icons(app, host), "hidden with no icon")

            say("checks: the tray host goes: the hidden window comes back, minimised")
            stop_process(host.proc)
            poll(lambda: wm_state(display, window) == "Iconic", 10,
                 "the window to come back iconic")
            self.assertTrue(app.running())

    # --- 2. one clock at a time -----------------------------------------------------------

    def test_a_second_start_shows_the_first_and_a_stale_socket_is_replaced(self):
        with contextlib.ExitStack() as stack:
            workdir = stack.enter_context(temp_dir())
            display = stack.enter_context(xvfb())
            stack.enter_context(openbox(display, workdir))
            host = stack.enter_context(trayer(display))
            pulse = stack.enter_context(pulseaudio(workdir / "runtime"))

            def start(name):
                folder = workdir / name
                folder.mkdir()
                return stack.enter_context(alarm_clock(display, pulse, folder, START))

            def second_start(name):
                other = start(name)
                poll(lambda: not other.running(), 15, "the second start to end")
                say("   second start ended with status %d" % other.proc.returncode)
                self.assertEqual(other.proc.returncode, 0, other.tail())
                self.assertNotIn("lblTime", other.log(), "the second start ticked")
                self.assertNotIn("output ", other.log(), "the second start touched the mute")
                self.assertEqual(clock_windows(display), [first.window])
                self.assertEqual([w["id"] for w in embedded_icons(display, host)],
                                 [w["id"] for w in our_icons(first, host)],
                                 "not exactly the first clock's tray icon")

            def in_front():
                # The tray host's panel is kept above every window.
                stacking = [w for w in root_prop(display, "_NET_CLIENT_LIST_STACKING")
                            if w != host.window]
                active = root_prop(display, "_NET_ACTIVE_WINDOW")
                return (stacking[-1:] == [first.window] and active[:1] == [first.window]
                        and first.viewable())

            first = start("first")
            first.find_window()
            poll(lambda: our_icons(first, host), 15, "the first clock's tray icon")

            say("checks: hidden to the tray, a second start shows the first clock in front")
            first.click(*MINIMIZE)
            poll(lambda: not first.viewable(), 10, "the window to be hidden")
            second_start("second")
            poll(in_front, 10, "the first window shown, on top and active")

            say("checks: covered by another window, a second start raises the first clock")
            cover = subprocess.Popen(["xmessage", "-geometry", "900x500+500+300", "cover"],
                                     env=display.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
            stack.callback(stop_process, cover)
            poll(lambda: not in_front(), 10, "the cover to come on top")
            second_start("third")
            poll(in_front, 10, "the first window on top and active again")

            say("checks: killed with SIGKILL, its socket stays and the next start runs")
            socket = Path(pulse.runtime_dir) / ("%s-%s" % (APP_ID, display.name.replace(":", "_")))
            self.assertTrue(socket.exists(), socket)
            first.proc.send_signal(signal.SIGKILL)
            first.proc.wait(timeout=10)
            poll(lambda: not host.icons(), 10, "the killed clock's icon to go")
            self.assertTrue(socket.exists(), "the killed clock's socket went")
            fourth = start("fourth")
            fourth.find_window()
            before = len(shown_faces(fourth.log()))
            poll(lambda: len(shown_faces(fourth.log())) >= before + 2, 10,
                 "the new clock to tick")
            poll(lambda: our_icons(fourth, host), 15, "the new clock's tray icon")

    # --- 3. no sleep under an armed alarm --------------------------------------------------

    @contextlib.contextmanager
    def on_buses(self, portal=False, systemd=False, start=START, prefix=(), program=None):
        """Private system and session buses with a mock logind (and the Inhibit
        portal or a systemd user manager if asked), X, PulseAudio and the
        program (started through `prefix`) with its window found. Yields (app,
        logind, the portal or the user manager or None)."""
        with contextlib.ExitStack() as stack:
            workdir = stack.enter_context(temp_dir())
            system = stack.enter_context(message_bus(workdir, "system"))
            session = stack.enter_context(message_bus(workdir, "session"))
            env = {"DBUS_SYSTEM_BUS_ADDRESS": system, "DBUS_SESSION_BUS_ADDRESS": session}
            logind = stack.enter_context(mock_logind(system))
            mock = None
            if portal:
                mock = stack.enter_context(mock_portal(session))
            elif systemd:
                mock = stack.enter_context(mock_systemd_user(session))
            display = stack.enter_context(xvfb())
            pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
            app = stack.enter_context(alarm_clock(display, pulse, workdir, start, extra_env=env,
                                                  prefix=prefix, program=program))
            app.find_window()
            yield app, logind, mock

    def test_an_armed_alarm_holds_one_logind_lock_until_switched_off_or_closed(self):
        with self.on_buses() as (app, logind, _):
            self.assertEqual(inhibitors(logind), [], "a lock before arming")

            say("checks: arming takes exactly one sleep lock")
            arm(app)
            lock = ("sleep:idle", "Alarm Clock", "An alarm is set for 07:00 AM", "block")
            poll(lambda: inhibitors(logind) == [lock], 10, "one lock %s" % (lock,))

            say("checks: switching off lets it go")
            app.click(*BUT_ON_OFF)
            poll(lambda: inhibitors(logind) == [], 10, "the lock to go")

            say("checks: logind's word of waking runs the tick at once")
            arm(app, "07:30 AM")
            poll(lambda: len(inhibitors(logind)) == 1, 10, "the lock of the new arming")
            logind.call("EmitSignal", LOGIND[2], "PrepareForSleep", "b", [False])
            poll(lambda: "woke from sleep" in app.log(), 10, "the clock to hear it")
            lines = app.log().splitlines()
            woke = max(i for i, line in enumerate(lines) if "woke from sleep" in line)
            poll(lambda: len(app.log().splitlines()) > woke + 1, 5, "the next line")
            self.assertIn("lblTime", app.log().splitlines()[woke + 1], "no tick right after")

            say('checks: "X" while armed: the program ends and the lock goes with it')
            app.click(*CLOSE)
            poll(lambda: not app.running(), 15, "the program to end")
            self.assertEqual(app.proc.returncode, 0)
            poll(lambda: inhibitors(logind) == [], 10, "the lock to go")

    def test_a_crash_releases_the_lock(self):
        with self.on_buses() as (app, logind, _):
            arm(app)
            poll(lambda: len(inhibitors(logind)) == 1, 10, "the lock")
            say("checks: SIGKILL while armed: the lock dies with the process")
            app.proc.send_signal(signal.SIGKILL)
            app.proc.wait(timeout=10)
            poll(lambda: inhibitors(logind) == [], 10, "the lock to go")

    def test_the_inhibit_portal_is_used_where_there_is_one(self):
        with self.on_buses(portal=True) as (app, logind, portal):
            say("checks: arming asks the portal (suspend) and not logind")
            arm(app)
            calls = poll(lambda: portal.calls("Inhibit"), 10, "the portal's Inhibit")
            self.assertEqual(len(calls), 1, calls)
            _, flags, options = calls[0]
            self.assertEqual(int(flags), 4, "not the suspend flag")
            self.assertEqual(str(options["reason"]), "An alarm is set for 07:00 AM")
            self.assertEqual(inhibitors(logind), [])
            say("checks: switching off closes the portal's request")
            app.click(*BUT_ON_OFF)
            poll(lambda: portal.calls("Close", path=PORTAL_REQUEST), 10,
                 "the request to be closed")

    # --- 4. the computer woken for the alarm ----------------------------------------------
    # On the real clock (faked at an offset of 0), so the kernel's timer and the
    # clock agree; moved only to ring.

    def real_now(self):
        return datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M:%S")

    def assert_one_wake_timer(self, pid, until_alarm):
        left = poll(lambda: wake_timers(pid), 10, "a wake timer")
        self.assertEqual(len(left), 1, left)
        self.assertAlmostEqual(left[0], until_alarm - WAKE_LEAD, delta=3,
                               msg="not due %d s before the alarm" % WAKE_LEAD)

    def test_a_wake_timer_is_held_from_arming_to_switch_off_the_ring_and_close(self):
        with self.on_buses(start=self.real_now()) as (app, _, _):
            pid = app.proc.pid
            self.assertEqual(wake_timers(pid), [], "a wake timer before arming")
            say("checks: armed 4 minutes ahead, a CLOCK_REALTIME_ALARM timer is due a minute before")
            text, until, _ = alarm_ahead(app, 4)
            arm(app, text)
            self.assert_one_wake_timer(pid, until)
            say("checks: switch-off removes it; re-arming sets it anew, moved")
            app.click(*BUT_ON_OFF)
            poll(lambda: wake_timers(pid) == [], 10, "the timer to go at switch-off")
            text, until, due = alarm_ahead(app, 6)
            arm(app, text)
            self.assert_one_wake_timer(pid, until)
            self.assertNotIn(CANNOT_WAKE, app.log())
            say("checks: the ring removes it")
            app.clock.set(due - datetime.timedelta(seconds=3))
            poll(lambda: "blnAlarm true" in app.log(), 20, "the alarm to ring")
            poll(lambda: wake_timers(pid) == [], 10, "the timer to go at the ring")
            say('checks: armed again, "X" ends the program, the timer removed on the way')
            app.click(*BUT_ON_OFF)
            poll(lambda: "butOnOff 0" in app.log().split("blnAlarm true")[-1], 10, "switch-off")
            text, until, _ = alarm_ahead(app, 5)
            arm(app, text)
            removed = log_count(app, "wake timer removed")
            app.click(*CLOSE)
            poll(lambda: not app.running(), 15, "the program to end")
            self.assertEqual(log_count(app, "wake timer removed"), removed + 1)

    @contextlib.contextmanager
    def program_with_capable_helper(self):
        """The program in a folder of its own whose wake helper has
        CAP_WAKE_ALARM, as the package gives it (the rest linked to the build)."""
        if not shutil.which("setcap"):
            self.skipTest("setcap is not installed (Debian package libcap2-bin)")
        with temp_dir() as folder:
            for entry in APP_DIR.iterdir():
                if entry.name not in ("alarm-clock", "alarm-clock-wake"):
                    (folder / entry.name).symlink_to(entry)
            shutil.copy2(APP_BIN, folder / "alarm-clock")
            shutil.copy2(APP_DIR / "alarm-clock-wake", folder / "alarm-clock-wake")
            subprocess.run(["setcap", "cap_wake_alarm+ep", str(folder / "alarm-clock-wake")],
                           check=True)
            yield folder / "alarm-clock"

    def test_the_helper_holds_the_timer_for_a_clock_without_the_capability(self):
        # As root with SECBIT_NOROOT the clock has no capability at all, while
        # the bounding set still lets the helper's file capability through.
        no_caps = ("setpriv", "--securebits", "+noroot", "--inh-caps=-all", "--")
        with self.program_with_capable_helper() as program, \
                self.on_buses(start=self.real_now(), prefix=no_caps, program=program) as (app, _, _):
            pid = app.proc.pid
            say("checks: armed, the clock has no timer of its own; its helper has one")
            text, until, _ = alarm_ahead(app, 3)
            arm(app, text)
            helper = poll(lambda: helpers(pid), 10, "the wake helper")
            self.assertEqual(len(helper), 1, helper)
            self.assert_one_wake_timer(helper[0], until)
            self.assertEqual(wake_timers(pid), [])
            say("checks: switch-off ends the helper; re-arming starts one, moved")
            app.click(*BUT_ON_OFF)
            poll(lambda: not helpers(pid), 10, "the helper to end")
            text, until, _ = alarm_ahead(app, 5)
            arm(app, text)
            helper = poll(lambda: helpers(pid), 10, "the new helper")
            self.assert_one_wake_timer(helper[0], until)
            self.assertNotIn(CANNOT_WAKE, app.log())
            say("checks: SIGKILL of the clock ends the helper with it")
            app.proc.send_signal(signal.SIGKILL)
            app.proc.wait(timeout=10)
            poll(lambda: not Path("/proc/%d" % helper[0]).exists(), 10, "the helper to end")

    def test_with_no_capability_the_person_is_told_once_and_the_alarm_rings(self):
        no_wake = ("setpriv", "--inh-caps=-wake_alarm", "--bounding-set=-wake_alarm", "--")
        with self.on_buses(start=self.real_now(), prefix=no_wake) as (app, _, _):
            pid = app.proc.pid
            text, _, due = alarm_ahead(app, 3)
            arm(app, text)
            poll(lambda: CANNOT_WAKE in app.log(), 10, "the person to be told")
            self.assertEqual((wake_timers(pid), helpers(pid)), ([], []))
            say("checks: told once, not at every arming")
            app.click(*BUT_ON_OFF)
            arm(app, text)
            self.assertEqual(log_count(app, CANNOT_WAKE), 1)
            say("checks: the alarm still rings")
            app.clock.set(due - datetime.timedelta(seconds=3))
            poll(lambda: "blnAlarm true" in app.log(), 20, "the alarm to ring")

    def test_the_systemd_user_manager_takes_a_transient_wake_timer(self):
        no_wake = ("setpriv", "--inh-caps=-wake_alarm", "--bounding-set=-wake_alarm", "--")
        with self.on_buses(systemd=True, start=self.real_now(), prefix=no_wake) as (app, _,
                                                                                  systemd):
            text, _, due = alarm_ahead(app, 3)
            arm(app, text)
            calls = poll(lambda: systemd.calls("StartTransientUnit"), 10, "StartTransientUnit")
            self.assertEqual(len(calls), 1, calls)
            name, mode, properties, aux = calls[0]
            say("checks: a transient timer that wakes the system a minute before", text)
            self.assertRegex(str(name), r"^alarm-clock-wake-%d-\d+\.timer$" % app.proc.pid)
            self.assertEqual(str(mode), "replace")
            props = {str(k): v for k, v in properties}
            wake_at = due - datetime.timedelta(seconds=WAKE_LEAD)  # the clock runs in UTC
            self.assertEqual([(str(a), str(b)) for a, b in props["TimersCalendar"]],
                             [("OnCalendar", wake_at.strftime("%Y-%m-%d %H:%M:%S UTC"))])
            self.assertIs(bool(props["WakeSystem"]), True)
            self.assertIs(bool(props["RemainAfterElapse"]), False)
            self.assertEqual([str(unit) for unit, _ in aux], [str(name)[:-6] + ".service"])
            self.assertNotIn(CANNOT_WAKE, app.log())
            say("checks: switch-off stops it")
            app.click(*BUT_ON_OFF)
            stops = poll(lambda: systemd.calls("StopUnit"), 10, "StopUnit")
            self.assertEqual([str(unit) for unit, _ in stops], [str(name)])

    # --- 5. the user's own mute ------------------------------------------------------------

    def test_the_users_own_mute_is_kept(self):
        with rig(START) as (app, display, pulse, _, workdir):
            app.find_window()
            say("checks: muted by the user before arming, still muted after switch-off")
            pulse.set_muted(True)
            arm(app)
            poll(lambda: log_count(app, "output muted") == 1, 10, "the clock's mute")
            app.click(*BUT_ON_OFF)
            poll(lambda: "butOnOff 0" in app.log().split("output muted")[-1], 10,
                 "the alarm to be switched off")
            self.assertTrue(pulse.muted(), "switching off cleared the user's mute")

            say("checks: muted by the user, armed, closed: still muted")
            muted = log_count(app, "output muted")
            arm(app)
            poll(lambda: log_count(app, "output muted") > muted, 10, "the clock's mute")
            app.click(*CLOSE)
            poll(lambda: not app.running(), 15, "the program to end")
            self.assertEqual(app.proc.returncode, 0)
            self.assertTrue(pulse.muted(), "closing cleared the user's mute")

    def test_the_mute_follows_each_output(self):
        for own_mute, rings in [(False, True), (True, False)]:
            with self.subTest(own_mute=own_mute, rings=rings), \
                    rig(START) as (app, display, pulse, _, workdir):
                record = mute_record(workdir)
                pulse.add_sink(SECOND)
                pulse.set_muted(own_mute)
                app.find_window()
                say("checks: the person's mute %s; armed, then the default output changes"
                    % ("on" if own_mute else "off"))
                arm(app)
                poll(lambda: "output muted: %s" % SINK in app.log(), 10,
                     "the clock's mute on the first output")
                self.assertTrue(pulse.muted(SINK))
                pulse.set_default(SECOND)
                poll(lambda: pulse.muted(SECOND), 10, "the new default output muted too")
                self.assertTrue(pulse.muted(SINK))
                poll(lambda: SECOND in record.read_text(), 5, "the record of both")
                say("   record: %r" % record.read_text())
                self.assertIn("output %d %s\n" % (own_mute, SINK), record.read_text())
                self.assertIn("output 0 %s\n" % SECOND, record.read_text())
                if rings:
                    app.clock.set("2026-12-08 06:59:59")
                    poll(lambda: re.search(r"blnAlarm\W+true", app.log()), 10,
                         "the alarm to ring")
                    poll(lambda: not pulse.muted(SINK) and not pulse.muted(SECOND), 5,
                         "both outputs unmuted by the ring")
                app.click(*BUT_ON_OFF)
                poll(lambda: "butOnOff 0" in app.log().split("butOnOff 1")[-1], 10,
                     "the alarm to be switched off")
                poll(lambda: not pulse.muted(SECOND), 5, "the second output unmuted")
                self.assertEqual(pulse.muted(SINK), own_mute and not rings,
                                 "the first output's mute")
                self.assertFalse(record.exists(), "the record outlived the mute")

    def test_a_turned_down_output_rings_at_half_and_gets_its_level_back(self):
        for level, end in [(5, "switch-off"), (80, "switch-off"), (5, "SIGKILL")]:
            with self.subTest(level=level, end=end), \
                    rig(START) as (app, display, pulse, _, workdir):
                record = mute_record(workdir)
                pulse.set_volume(level)
                app.find_window()
                say("checks: the output at %d%%, armed, rings at 50%% at least and is heard"
                    % level)
                arm(app)
                poll(lambda: pulse.muted(), 10, "the clock's mute")
                with Recorder(pulse, workdir / "ring.raw") as rec:
                    app.clock.set("2026-12-08 06:59:59")
                    poll(lambda: "blnAlarm true" in app.log(), 20, "the alarm to ring")
                    poll(lambda: not pulse.muted(), 5, "the ring to unmute the output")
                    poll(lambda: rms(rec.samples()[-RATE // 2:]) > 0.01, 10,
                         "the ring to be heard")
                self.assertEqual(pulse.volume(), max(level, 50))
                if level >= 50:
                    self.assertNotIn("level raised", app.log())
                if end == "switch-off":
                    app.click(*BUT_ON_OFF)
                    poll(lambda: "butOnOff 0" in app.log().split("blnAlarm true")[-1], 10,
                         "the alarm to be switched off")
                    poll(lambda: pulse.volume() == level, 5, "the person's level back")
                    self.assertFalse(record.exists(), "the record outlived the level")
                    continue
                say("checks: SIGKILL while ringing raised; the next start puts %d%% back" % level)
                self.assertRegex(record.read_text(), r"\nlevel 49\d\d\d 500000 %s\n" % SINK)
                app.proc.send_signal(signal.SIGKILL)
                app.proc.wait(timeout=10)
                self.assertEqual(pulse.volume(), 50)
                with start_clock(display, pulse, workdir, START) as again:
                    again.find_window()
                    self.assertEqual(pulse.volume(), level, again.log())
                    self.assertIn("level put back after a crash", again.log())
                    self.assertFalse(record.exists())
                    again.click(*CLOSE)
                    poll(lambda: not again.running(), 15, "the program to end")

    def test_a_crash_is_repaired_at_the_next_start(self):
        with rig(START) as (app, display, pulse, _, workdir):
            record = mute_record(workdir)
            app.find_window()
            arm(app)
            poll(lambda: pulse.muted() and record.exists(), 10, "the mute and its record")
            say("checks: SIGKILL while muted: the output stays muted, the record stays")
            app.proc.send_signal(signal.SIGKILL)
            app.proc.wait(timeout=10)
            self.assertTrue(pulse.muted())
            self.assertTrue(record.exists())

            say("checks: the next start unmutes it before its first tick, and drops the record")
            with start_clock(display, pulse, workdir, START) as again:
                again.find_window()
                log = again.log()
                self.assertFalse(pulse.muted(), log)
                self.assertFalse(record.exists())
                repaired = log.find("muted by a clock that did not end")
                self.assertGreaterEqual(repaired, 0, log)
                first_tick = log.find("lblTime")
                self.assertTrue(first_tick < 0 or repaired < first_tick,
                                "repaired after the clock had started ticking")
                again.click(*CLOSE)
                poll(lambda: not again.running(), 15, "the program to end")

            # An output muted by the clock and unplugged while it was not running.
            gone = pulse.add_sink("gone_sink")
            pulse.set_muted(True, "gone_sink")
            pulse.remove_sink(gone)
            for case, text, log_line in [
                    ("an output that is gone",
                     "alarm-clock mute record 1\nsince 1765177170\noutput 0 gone_sink\n",
                     "now gone: gone_sink"),
                    ("a record that cannot be read", "\x00garbage\n",
                     "a mute record that cannot be read was removed")]:
                say("checks: a start with %s goes on, and the record is removed" % case)
                record.parent.mkdir(parents=True, exist_ok=True)
                record.write_text(text)
                with start_clock(display, pulse, workdir, START) as again:
                    again.find_window()
                    poll(lambda: len(set(shown_faces(again.log()))) >= 2, 10, "two seconds shown")
                    self.assertFalse(record.exists(), case)
                    self.assertIn(log_line, again.log())
                    self.assertFalse(pulse.muted(), case)
                    again.click(*CLOSE)
                    poll(lambda: not again.running(), 15, "the program to end")

    # --- 4. Wayland only ---------------------------------------------------------------------

    def test_wayland_only_shows_the_window_and_ticks(self):
        with contextlib.ExitStack() as stack:
            workdir = stack.enter_context(temp_dir())
            runtime = workdir / "runtime"
            socket = stack.enter_context(weston(runtime))
            pulse = stack.enter_context(pulseaudio(runtime))
            wayland = {"WAYLAND_DISPLAY": socket, "QT_QPA_PLATFORM": "", "DISPLAY": ""}
            app = stack.enter_context(alarm_clock(NoX(), pulse, workdir, START,
                                                  extra_env=wayland))
            say("checks: with Wayland alone the clock runs natively")
            poll(lambda: 'display platform "wayland"' in app.log() or not app.running(),
                 15, "the platform line")
            self.assertIn('display platform "wayland"', app.log(), app.tail())

            say("checks: the clock ticks")
            poll(lambda: len(set(shown_faces(app.log()))) >= 2, 10,
                 "two different seconds shown")

            say("checks: the screen shows the 600 x 300 window with the digits")
            shots = workdir / "shots"
            shots.mkdir()
            env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY=socket)
            subprocess.run(["weston-screenshooter"], env=env, cwd=shots, timeout=20, check=True,
                           capture_output=True)
            shot = next(shots.glob("*.png"))
            screen = rgb(shot)
            found = find_background(screen)
            self.assertIsNotNone(found, "no 600 x 300 clock background on the screen")
            left, top, share = found
            say("   window at %d,%d: %.0f %% of its pixels are the background picture"
                % (left, top, share * 100))
            x, y, w, h = TIME_LABEL
            label = screen[top + y: top + y + h, left + x: left + x + w].astype(int)
            cyan = int(np.all(np.abs(label - (0, 255, 255)) < 60, axis=2).sum())
            say("   %d cyan pixels in the time label" % cyan)
            self.assertGreater(cyan, 500, "no digits drawn")
            os.replace(shot, artifact("wayland.png"))

    # --- 7. a lost mouse, and the session's end -------------------------------------------------

    def test_a_lost_mouse_ends_the_drag_and_the_session_end_keeps_the_alarm(self):
        with rig(START, wm=True, session=True) as (app, display, pulse, _, workdir):
            session = app.session
            session.expect("registered", 30)
            app.find_window()
            other = other_window(display)

            say("checks: a drag whose mouse is lost (another window activated) ends there")
            display.xdotool("windowactivate", "--sync", other)
            poll(lambda: log_count(app, "mouse lost") >= 1, 10, "the clock to lose the focus")
            display.xdotool("windowactivate", "--sync", app.window)
            display.xdotool("mousemove", "--window", app.window, *BACKGROUND)
            display.xdotool("mousedown", 1)
            display.xdotool("mousemove", *DRAGGED)
            poll(lambda: position(app) == DRAGGED, 10, "the window to follow the drag")
            lost = log_count(app, "mouse lost")
            display.xdotool("windowactivate", "--sync", other)
            poll(lambda: log_count(app, "mouse lost") > lost, 10, "the clock to lose the mouse")
            display.xdotool("mousemove", 600, 400)
            display.xdotool("mouseup", 1)
            display.xdotool("mousemove", 650, 450)
            # Arming proves the moves were handled: its dialog comes after them.
            app.set_alarm(ALARM_TEXT)
            say("   dragged to %d,%d; after the loss and more moves at %d,%d"
                % (DRAGGED + position(app)))
            self.assertEqual(position(app), DRAGGED, "the window went on following the pointer")

            say("checks: a drag after it still moves the window")
            display.xdotool("mousemove", "--window", app.window, *BACKGROUND)
            display.xdotool("mousedown", 1)
            display.xdotool("mousemove", 200, 150)
            poll(lambda: position(app) == (200, 150), 10, "the window to follow the new drag")
            display.xdotool("mouseup", 1)

            say("checks: a checkpoint changes nothing: armed, ticking, muted")
            poll(pulse.muted, 10, "the clock's mute")
            session.send("checkpoint")
            session.expect("done 1", 20)
            self.assert_armed_ticking_muted(app, pulse)
            say("checks: the session restarts it armed for the same time, in its language")
            session.send("restart")
            restart = session.expect("restart ", 10)[len("restart "):].split("|")
            say("   restart command:", restart)
            self.assertEqual(restart, [str(APP_BIN.resolve()), "--alarm=" + ALARM_TEXT,
                                       "--language=eng"])

            say("checks: a logout asked and cancelled: still armed, ticking, muted")
            session.send("shutdown")
            session.expect("done 1", 20)
            session.send("cancel")
            self.assert_armed_ticking_muted(app, pulse)

            say("checks: it rings at 9:00, heard on the output")
            with Recorder(pulse, workdir / "ring.raw") as rec:
                app.clock.set("2026-12-08 08:59:58")
                poll(lambda: "blnAlarm true" in app.log(), 20, "the alarm to ring")
                poll(lambda: not pulse.muted(), 5, "the ring to unmute the output")
                poll(lambda: rms(rec.samples()[-RATE // 2:]) > 0.01, 10, "the ring to be heard")

            say("checks: armed again, a logout carried out: status 0 and the mute put back")
            app.click(*BUT_ON_OFF)
            poll(lambda: "butOnOff 0" in app.log().split("blnAlarm true")[-1], 10,
                 "the alarm to be switched off")
            app.set_alarm("10:00 AM")
            poll(pulse.muted, 10, "the clock's mute")
            session.send("shutdown")
            session.expect("done 1", 20)
            session.send("restart")
            restart = session.expect("restart ", 10)[len("restart "):].split("|")
            session.send("die")
            poll(lambda: not app.running(), 20, "the program to end")
            self.assertEqual(app.proc.returncode, 0)
            self.assertFalse(pulse.muted(), "the output was left muted")

            say("checks: started by its restart command, it is armed again and mutes")
            self.assertEqual(restart[1:], ["--alarm=10:00 AM", "--language=eng"])
            launcher = workdir / "restart.sh"
            launcher.write_text("#!/bin/sh\nexec %s\n" % " ".join(map(shlex.quote, restart)))
            launcher.chmod(0o755)
            with start_clock(display, pulse, workdir, "2026-12-08 09:30:00",
                             program=launcher) as again:
                again.find_window()
                poll(pulse.muted, 10, "the clock's mute")
                self.assert_armed_ticking_muted(again, pulse)
                self.assertIn("restart line: --alarm=10:00 AM --language=eng", again.log())
                again.click(*CLOSE)
                poll(lambda: not again.running(), 15, "the program to end")
            self.assertFalse(pulse.muted(), "the output was left muted")

    def assert_armed_ticking_muted(self, app, pulse):
        ticks = len(shown_faces(app.log()))
        poll(lambda: len(shown_faces(app.log())) > ticks + 1, 10, "the clock to tick on")
        self.assertTrue(app.running())
        state = [line for line in app.log().splitlines() if "lblTime" in line][-1]
        self.assertRegex(state, r"butOnOff 1 blnAlarm false")
        self.assertTrue(pulse.muted(), "the output is no longer muted")

    # --- 6. the command line -------------------------------------------------------------------

    def test_help_version_and_a_wrong_option_end_at_once(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY") and not k.startswith("QT_")}
        for args, status, pattern in [
                (["--help"], 0, r"Usage: alarm-clock \[options\][\s\S]*--version[\s\S]*"
                 r"--alarm <time>[\s\S]*--track <file>[\s\S]*--language <code>"),
                (["-h"], 0, r"--help"),
                (["--version"], 0, r"^alarm-clock \d+\.\d+\.\d+\n$"),
                (["--bogus"], 1, r"Unknown option 'bogus'"),
                (["file.mp3"], 1, r"unexpected argument 'file.mp3'"),
                (["--alarm=25:00"], 1, r"'25:00' is not a time"),
                (["--language", "de"], 1, r"'de' is not eng or fra")]:
            with self.subTest(args=args):
                # No display at all: answered before any window or sound.
                result = subprocess.run([str(APP_BIN), *args], env=env,
                                        capture_output=True, text=True, timeout=10)
                say("   %s -> %d" % (" ".join(args), result.returncode))
                self.assertEqual(result.returncode, status, result.stderr)
                self.assertRegex(result.stdout if status == 0 else result.stderr, pattern)


def rgb(path):
    """An image file as an array of (height, width, 3) RGB bytes."""
    size = run(["identify", "-format", "%w %h", str(path)], os.environ).stdout.split()
    width, height = int(size[0]), int(size[1])
    out = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], capture_output=True,
                         timeout=30, check=True).stdout
    return np.frombuffer(out, dtype=np.uint8).reshape(height, width, 3)


def find_background(screen):
    """Where the clock's 600 x 300 background picture lies on `screen`: (left,
    top, share of its pixels that match), or None. Found by cross-correlation,
    then checked pixel by pixel (the controls cover part of it)."""
    picture = rgb(APP_DIR / "bg.jpg").astype(float)
    ph, pw = picture.shape[:2]
    grey = screen.astype(float).mean(axis=2)
    template = picture.mean(axis=2)
    template -= template.mean()
    shape = (grey.shape[0] + ph, grey.shape[1] + pw)
    corr = np.fft.irfft2(np.fft.rfft2(grey, shape) * np.conj(np.fft.rfft2(template, shape)),
                         shape)[: grey.shape[0] - ph + 1, : grey.shape[1] - pw + 1]
    top, left = np.unravel_index(int(np.argmax(corr)), corr.shape)
    region = screen[top: top + ph, left: left + pw].astype(float)
    share = float((np.abs(region - picture).max(axis=2) < 24).mean())
    return (int(left), int(top), share) if share > 0.5 else None


if __name__ == "__main__":
    unittest.main(verbosity=2)
