#!/usr/bin/env python3
"""Figures of the Windows program under Wine (Xvfb, a PulseAudio null sink),
the README's Windows table. Prints, never asserts.

  bench/wine_bench.py [build dir, default build/windows] [starts, default 10]
                      [idle seconds, default 30] [densities, default 96,144,192]

Prints the sizes of the stripped .exe, the zip and the installer (made by
scripts/package-windows); the time from the start to the window shown, with a
Wine server already running (the first start on a new display, while Wine
makes its desktop there, apart from the rest); the program's resident memory
10 s after its start (which Wine also reports as its working set); its CPU
while idle with the window shown; and that CPU again at each screen density
(Wine's LogPixels, in a Wine prefix of the benchmark's own, so that other
programs of the machine's prefix keep theirs). It runs the stripped program
of the packages (stage/), which ends through its "X" each time.
"""
import contextlib
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[1]
sys.path[:0] = [str(SOURCE_DIR / "tests" / "e2e"), str(SOURCE_DIR / "tests" / "windows")]

from app import CLOSE, WINDOW_TITLE, program_env  # noqa: E402
from procs import poll, stop_process, temp_dir  # noqa: E402
from pulse import pulseaudio  # noqa: E402
from wine import WINE_RUN, warm_wine  # noqa: E402
from xserver import xvfb  # noqa: E402

build = Path(sys.argv[1] if len(sys.argv) > 1 else SOURCE_DIR / "build" / "windows").resolve()
starts = int(sys.argv[2]) if len(sys.argv) > 2 else 10
idle = int(sys.argv[3]) if len(sys.argv) > 3 else 30
densities = [int(d) for d in (sys.argv[4] if len(sys.argv) > 4 else "96,144,192").split(",") if d]


def idle_cpu(pid):
    """The share of one core the process `pid` uses over `idle` seconds."""
    before = cpu_seconds(pid)
    time.sleep(idle)
    return (cpu_seconds(pid) - before) / idle * 100


def close(display, wid, proc, dpi=96):
    """Ends the program through its "X", at its place at `dpi`."""
    display.xdotool("mousemove", "--window", wid, *[round(v * dpi / 96) for v in CLOSE])
    display.xdotool("click", 1)
    proc.wait(timeout=30)


def size(pattern):
    found = sorted(build.glob(pattern))
    return "%s %d bytes" % (found[0].name, found[0].stat().st_size) if found else "-"


def window(display):
    """The clock's window once it is shown at its size, else None."""
    for wid in display.xdotool("search", "--onlyvisible", "--name", "^%s$" % WINDOW_TITLE,
                               check=False).split():
        info = display.window_info(wid)
        if info and info["width"] >= 100 and info["height"] >= 100:
            return wid
    return None


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        kb = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
    return kb / 1024


print("alarm-clock.exe (stripped):", size("stage/*/alarm-clock.exe"))
print("zip:", size("alarm-clock-*-win64.zip"))
print("installer:", size("alarm-clock-*-setup.exe"))

# The Wine prefix the build and the tests use, whatever HOME the program gets;
# its server is started before the first start is timed.
os.environ["WINEPREFIX"] = os.environ.get("WINEPREFIX") or os.environ.get(
    "ALARM_WINEPREFIX", str(Path.home() / ".wine-alarm-clock"))
warm_wine()
# The stripped program with its data, as the zip and the installer lay it out.
program = next(build.glob("stage/*/alarm-clock.exe"))
shown = []
with contextlib.ExitStack() as stack:
    workdir = stack.enter_context(temp_dir(prefix="alarm-bench-"))
    display = stack.enter_context(xvfb())
    pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
    (workdir / "home").mkdir()
    env = dict(program_env(display, pulse, workdir / "home"), WINEPREFIX=os.environ["WINEPREFIX"])
    for run in range(starts):
        began = time.monotonic()
        # wine-run.sh and wine exec the program's loader: one process throughout.
        proc = subprocess.Popen([str(WINE_RUN), str(program)], env=env,
                                cwd=str(workdir), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            wid = poll(lambda: window(display), 120, "the window", interval=0.01)
            shown.append((time.monotonic() - began) * 1000)
            if run == starts - 1:
                time.sleep(max(0.0, 10 - (time.monotonic() - began)))
                print("resident memory 10 s after start: %.1f MB" % rss_mb(proc.pid))
                print("CPU over %d s idle, window shown: %.2f %% of one core"
                      % (idle, idle_cpu(proc.pid)))
            close(display, wid, proc)
        finally:
            stop_process(proc)

    # Each density in a prefix of its own making, which Wine applies at the
    # next start of the prefix's server.
    prefix = workdir / "prefix"
    env_at = dict(env, WINEPREFIX=str(prefix))
    for dpi in densities:
        subprocess.run([str(WINE_RUN), "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                        "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=env_at,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=300)
        subprocess.run(["wineserver", "-k"], env=env_at, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env_at, timeout=60)
        proc = subprocess.Popen([str(WINE_RUN), str(program)], env=env_at, cwd=str(workdir),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wid = poll(lambda: window(display), 120, "the window", interval=0.1)
            time.sleep(5)  # past the start's own work
            print("CPU over %d s idle, window shown, at %d dpi: %.2f %% of one core"
                  % (idle, dpi, idle_cpu(proc.pid)))
            close(display, wid, proc, dpi)
        finally:
            stop_process(proc)
    subprocess.run(["wineserver", "-k"], env=env_at, stderr=subprocess.DEVNULL)

print("start to window shown: first on a new display %.0f ms; then median %.0f ms, "
      "range %.0f-%.0f ms (%d starts)" % (shown[0], statistics.median(shown[1:]),
                                          min(shown[1:]), max(shown[1:]), len(shown) - 1))
