#!/usr/bin/python3
"""Start-up, memory and idle figures of this clock, and of other clock
programs where they are installed, side by side in one run. Prints a table
of min / median / max over the runs; asserts nothing.

Each run of each program gets a fresh X server (Xvfb 1024x768 with a tray
host, so that a window can hide to the tray), a fresh PulseAudio with a null
sink and module-suspend-on-idle, and a fresh D-Bus session; its home folder
stays from run to run, as a user's does (GStreamer's plugin registry is made
in it before the first run). Measured:

  start      exec to the program's first top-level window mapped (MapNotify
             seen on the root window, ms), and the CPU time its threads had
             used by then (ms; steadier than the first on a busy machine)
  RSS, PSS, private   10 s after the start (/proc/PID/status, smaps_rollup)
  CPU        share of one core while idle (/proc/PID/task/*/schedstat: time
             on a CPU, all threads), window shown and then hidden
  wake-ups   voluntary context switches per second of all threads, same phases

This clock hides through its "-" label; another program's window is
unmapped. Then, for this clock only, the alarm rings an MP3 chosen through
its dialog, armed for a real minute 15 to 75 s ahead (a faked clock would
add its own cost to every poll and clock read):
RSS, CPU and context switches per second while it rings, between two
announcements.

    bench/compare_bench.py                       this clock, 4 runs + a warm-up
    bench/compare_bench.py --runs 6 --idle 60
    bench/compare_bench.py --clock before=/tmp/old/alarm-clock --clock after=build/release/alarm-clock
    bench/compare_bench.py --peer alarm-clock-applet --peer gnome-clocks

A peer is measured only when its command is installed; the benchmark installs
nothing.
"""

import argparse
import contextlib
import datetime
import glob
import os
import re
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from Xlib import X
from Xlib import display as xdisplay

SOURCE_DIR = Path(__file__).resolve().parents[1]
SCREEN = "1024x768x24"
SETTLE = 10  # seconds from the start to the memory reading
MINIMIZE = (560 + 8, 3 + 15)  # this clock's "-" label, in window pixels
BUT_ON_OFF = (24 + 25, 64 + 12)
BUT_TRACK = (80 + 12, 64 + 12)
ARMING = 15  # seconds at least from the start of a ring run to its alarm minute
RING_FROM, RING_TO = 6, 36  # seconds into the alarm minute measured while ringing


def say(*parts):
    print(*parts, file=sys.stderr, flush=True)


def stop(proc, timeout=5):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


@contextlib.contextmanager
def desktop(workdir, home):
    """A fresh X server with a tray host, PulseAudio and D-Bus session; gives
    the environment that reaches them, with `home` as the home folder."""
    procs = []
    try:
        read_end, write_end = os.pipe()
        procs.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            display = ":" + pipe.readline().decode().strip()
        runtime = workdir / "runtime"
        runtime.mkdir(mode=0o700)
        socket = runtime / "pulse" / "native"
        env = {"PATH": os.environ["PATH"], "HOME": str(home), "LANG": "C.UTF-8",
               "DISPLAY": display, "XDG_RUNTIME_DIR": str(runtime),
               "PULSE_SERVER": "unix:%s" % socket}
        procs.append(subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--disallow-exit", "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=%s" % socket,
             "-L", "module-null-sink sink_name=bench_null", "-L", "module-suspend-on-idle"],
            env=dict(env, PULSE_SERVER=""), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL))
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
        procs.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        deadline = time.monotonic() + 10
        while subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode:
            if time.monotonic() > deadline:
                raise RuntimeError("PulseAudio did not start")
            time.sleep(0.02)
        procs.append(subprocess.Popen(["trayer", "--edge", "top", "--align", "right"], env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(0.5)  # the tray host maps its window and takes the tray selection
        yield env
    finally:
        for proc in reversed(procs):
            stop(proc)


class MapWatch:
    """MapNotify of top-level windows, from the benchmark's own X connection."""

    def __init__(self, display_name):
        self.display = xdisplay.Display(display_name)
        self.root = self.display.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.sync()
        self.drain()

    def drain(self):
        while self.display.pending_events():
            self.display.next_event()

    def first_window(self, proc, timeout=30):
        """(monotonic time, window) of the first window of 100x100 or more mapped."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                raise RuntimeError("the program exited with %s" % proc.returncode)
            if not self.display.pending_events():
                select.select([self.display.fileno()], [], [], 0.05)
                continue
            event = self.display.next_event()
            now = time.monotonic()
            if event.type != X.MapNotify:
                continue
            try:
                geometry = event.window.get_geometry()
            except Exception:
                continue  # gone already
            if geometry.width >= 100 and geometry.height >= 100:
                return now, event.window.id
        raise RuntimeError("no window within %d s" % timeout)

    def close(self):
        self.display.close()


def threads(pid):
    return glob.glob("/proc/%d/task/*" % pid)


def usage(pid):
    """(ns on a CPU, voluntary context switches, all switches) of all threads."""
    ns = voluntary = involuntary = 0
    for task in threads(pid):
        try:
            with open(task + "/schedstat") as f:
                ns += int(f.read().split()[0])
            with open(task + "/status") as f:
                text = f.read()
            voluntary += int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", text, re.M)[1])
            involuntary += int(re.search(r"^nonvoluntary_ctxt_switches:\s+(\d+)", text, re.M)[1])
        except (OSError, TypeError):
            pass  # a thread that ended meanwhile
    return ns, voluntary, voluntary + involuntary


def over(pid, seconds):
    """CPU share of one core (%), voluntary and all context switches per second."""
    ns0, vol0, all0 = usage(pid)
    t0 = time.monotonic()
    time.sleep(seconds)
    ns1, vol1, all1 = usage(pid)
    elapsed = time.monotonic() - t0
    return 100 * (ns1 - ns0) / 1e9 / elapsed, (vol1 - vol0) / elapsed, (all1 - all0) / elapsed


def memory(pid):
    """RSS, PSS and private memory in MB."""
    with open("/proc/%d/status" % pid) as f:
        rss = int(re.search(r"VmRSS:\s+(\d+)", f.read())[1])
    with open("/proc/%d/smaps_rollup" % pid) as f:
        text = f.read()
    pss = int(re.search(r"^Pss:\s+(\d+)", text, re.M)[1])
    private = sum(int(v) for v in re.findall(r"^Private_(?:Clean|Dirty):\s+(\d+)", text, re.M))
    return rss / 1024, pss / 1024, private / 1024


def xdotool(env, *args):
    return subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True, text=True,
                          timeout=15)


def click(env, window, at):
    xdotool(env, "mousemove", "--window", window, *at)
    xdotool(env, "click", 1)


def start(command, env, log):
    """Starts `command` and gives (process, ms to its window, ms on a CPU by
    then, window). On a busy machine the second tells more than the first."""
    watch = MapWatch(env["DISPLAY"])
    try:
        t0 = time.monotonic()
        proc = subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT,
                                start_new_session=True)
        mapped, window = watch.first_window(proc)
        cpu = usage(proc.pid)[0] / 1e6
    finally:
        watch.close()
    return proc, (mapped - t0) * 1000, cpu, window


def end(proc):
    with contextlib.suppress(ProcessLookupError):
        os.killpg(proc.pid, signal.SIGTERM)
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()


def idle_run(subject, idle, warm_up):
    """One start of a program: its figures, or only its start-up for a warm-up."""
    with tempfile.TemporaryDirectory(prefix="compare-bench-") as tmp, \
            desktop(Path(tmp), subject["home"]) as env:
        env.update(subject.get("env", {}))
        with open(Path(tmp) / "program.log", "w") as log:
            proc, ms, cpu, window = start(subject["command"], env, log)
            try:
                if warm_up:
                    return None
                time.sleep(max(0, SETTLE - ms / 1000))
                rss, pss, private = memory(proc.pid)
                shown = over(proc.pid, idle)
                if subject["own"]:
                    click(env, window, MINIMIZE)
                else:
                    xdotool(env, "windowunmap", window)
                time.sleep(1)
                hidden = over(proc.pid, idle)
            finally:
                end(proc)
    return {"start ms": ms, "start CPU ms": cpu, "RSS MB": rss, "PSS MB": pss, "private MB": private,
            "CPU % shown": shown[0], "wake-ups/s shown": shown[1],
            "CPU % hidden": hidden[0], "wake-ups/s hidden": hidden[1]}


def make_mp3(path):
    """Three minutes of a chord that changes every second, 44.1 kHz stereo."""
    subprocess.run(
        ["gst-launch-1.0", "-q", "audiotestsrc", "wave=sine", "freq=330", "volume=0.3",
         "num-buffers=%d" % (180 * 44100 // 1024), "samplesperbuffer=1024", "!",
         "audio/x-raw,rate=44100,channels=2", "!", "audioconvert", "!", "lamemp3enc",
         "bitrate=192", "!", "id3v2mux", "!", "filesink", "location=%s" % path],
        check=True, capture_output=True)


def poll(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise RuntimeError("waited %d s for %s" % (timeout, what))


def visible(env, title):
    return xdotool(env, "search", "--onlyvisible", "--name", "^%s$" % title).stdout.split()


def answer_dialog(env, title, text):
    dialog = poll(lambda: visible(env, title), 30, "the dialog %r" % title)[0]
    xdotool(env, "windowfocus", "--sync", dialog)
    xdotool(env, "type", "--delay", "40", text)
    xdotool(env, "key", "Return")
    poll(lambda: not visible(env, title), 20, "the dialog %r to close" % title)


def muted(env):
    out = subprocess.run(["pactl", "get-sink-mute", "bench_null"], env=env,
                         capture_output=True, text=True).stdout
    return "yes" in out


def ring_run(subject, track):
    """This clock ringing `track` (the beep when None), between the minute's
    announcement and the next: RSS, CPU, context switches per second."""
    # The real clock, not a faked one: a fake wraps every clock read and poll
    # of the program, and its own cost would be measured with the program's.
    with tempfile.TemporaryDirectory(prefix="compare-bench-") as tmp, \
            desktop(Path(tmp), subject["home"]) as env:
        env.update(subject.get("env", {}))
        env.update(TZ="UTC")
        now = datetime.datetime.now(datetime.timezone.utc)
        started = time.monotonic()
        alarm = (now + datetime.timedelta(seconds=ARMING + 60)).replace(second=0, microsecond=0)
        minute = started + (alarm - now).total_seconds()
        with open(Path(tmp) / "program.log", "w") as log:
            proc, _, _, window = start(subject["command"], env, log)
            try:
                if track:
                    click(env, window, BUT_TRACK)
                    answer_dialog(env, "Select A File", str(track))
                click(env, window, BUT_ON_OFF)
                answer_dialog(env, "Set Alarm", alarm.strftime("%I:%M %p"))
                poll(lambda: muted(env), 10, "the mute after arming")
                if time.monotonic() > minute:
                    raise RuntimeError("armed too late for the alarm minute")
                poll(lambda: not muted(env), 90, "the alarm to ring")
                time.sleep(max(0, minute + RING_FROM - time.monotonic()))
                cpu, _, switches = over(proc.pid, RING_TO - RING_FROM)
                rss, pss, private = memory(proc.pid)
            finally:
                end(proc)
    return {"RSS MB": rss, "PSS MB": pss, "private MB": private, "CPU %": cpu,
            "switches/s": switches}


def spread(values, digits):
    values = sorted(values)
    f = "%%.%df" % digits
    return "%s (%s-%s)" % (f % statistics.median(values), f % values[0], f % values[-1])


DIGITS = {"start ms": 0, "start CPU ms": 0, "RSS MB": 1, "PSS MB": 1, "private MB": 1, "CPU % shown": 3,
          "wake-ups/s shown": 2, "CPU % hidden": 3, "wake-ups/s hidden": 2, "CPU %": 2,
          "switches/s": 1}


def table(title, names, results):
    """Markdown: a row per figure, a column per program, median (min-max)."""
    figures = [k for k in DIGITS if any(k in r[0] for r in results.values() if r)]
    print("\n%s\n" % title)
    print("| figure | " + " | ".join(names) + " |")
    print("|---|" + "---|" * len(names))
    for figure in figures:
        cells = []
        for name in names:
            runs = results.get(name) or []
            values = [r[figure] for r in runs if figure in r]
            cells.append(spread(values, DIGITS[figure]) if values else "-")
        print("| %s | %s |" % (figure, " | ".join(cells)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=4)
    parser.add_argument("--idle", type=float, default=30, help="seconds per idle phase")
    parser.add_argument("--clock", action="append", metavar="[NAME=]PATH",
                        help="this clock's program (default build/release/alarm-clock)")
    parser.add_argument("--peer", action="append", default=[], metavar="COMMAND",
                        help="another clock program, measured if installed")
    parser.add_argument("--no-ring", action="store_true", help="skip the ringing figures")
    parser.add_argument("--no-idle", action="store_true", help="only the ringing figures")
    parser.add_argument("--beep", action="store_true", help="also ring the beep")
    args = parser.parse_args()

    subjects = {}
    for item in args.clock or [str(SOURCE_DIR / "build" / "release" / "alarm-clock")]:
        name, _, path = item.rpartition("=")
        subjects[name or "this clock"] = {
            "command": [str(Path(path).resolve())], "own": True,
            "env": {"QT_QPA_PLATFORM": "xcb"}}
    for peer in args.peer:
        found = shutil.which(peer.split()[0])
        if not found:
            say("%s is not installed: skipped" % peer)
            continue
        subjects[peer] = {"command": peer.split(), "own": False}

    # A home of each program's own, kept from run to run as a user's is: the
    # caches in it (fonts, GStreamer's plugin registry) are made once.
    homes = tempfile.TemporaryDirectory(prefix="compare-bench-homes-")
    for index, subject in enumerate(subjects.values()):
        subject["home"] = Path(homes.name) / str(index)
        subject["home"].mkdir()
        subprocess.run(["gst-inspect-1.0", "coreelements"], env=dict(os.environ, HOME=str(subject["home"])),
                       capture_output=True)
    names = list(subjects)
    idle = {name: [] for name in names}
    for run in range(0 if args.no_idle else args.runs + 1):
        for name in names:
            say("run %d%s: %s" % (run, " (warm-up)" if run == 0 else "", name))
            result = idle_run(subjects[name], args.idle, warm_up=run == 0)
            if result:
                idle[name].append(result)
                say("   " + ", ".join("%s %.4g" % item for item in result.items()))
    if not args.no_idle:
        table("Start and idle, median (min-max) of %d runs, %g s per idle phase"
              % (args.runs, args.idle), names, idle)

    if args.no_ring:
        return
    own = [name for name in names if subjects[name]["own"]]
    with tempfile.TemporaryDirectory(prefix="compare-bench-track-") as tmp:
        mp3 = Path(tmp) / "track.mp3"
        make_mp3(mp3)
        for label, track in [("MP3", mp3)] + ([("beep", None)] if args.beep else []):
            ringing = {name: [] for name in own}
            for run in range(args.runs):
                for name in own:
                    say("ringing %s, run %d: %s" % (label, run + 1, name))
                    try:
                        result = ring_run(subjects[name], track)
                    except RuntimeError as failure:
                        say("   run left out: %s" % failure)  # a busy machine
                        continue
                    ringing[name].append(result)
                    say("   " + ", ".join("%s %.4g" % item for item in result.items()))
            table("Ringing %s, %d s between two announcements, median (min-max) of %d runs"
                  % (label, RING_TO - RING_FROM, args.runs), own, ringing)


if __name__ == "__main__":
    main()
