#!/usr/bin/env python3
"""Start-up and idle figures of the real program under Xvfb, with a private
PulseAudio server set up as desktops have it (a null sink that suspends when
idle). Prints, never asserts.

  bench/startup_bench.py [path/to/alarm-clock] [idle seconds per phase, default 60]

Prints: start to window mapped (ms), RSS after 10 s (MB), CPU (% of one core)
and wake-ups per second (voluntary context switches of all threads) while idle
with the window shown and again with it hidden by "-", the sink's state while
the clock waits, and how far each displayed second lags behind the wall-clock
second (ms, p50 and p99), read from the program's own tick log.
"""
import glob
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

binary = sys.argv[1] if len(sys.argv) > 1 else "build/release/alarm-clock"
idle = int(sys.argv[2]) if len(sys.argv) > 2 else 60


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x800x24"],
                            pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    return xvfb, ":" + number.decode().strip()


def start_pulse(runtime):
    socket = f"{runtime}/pulse/native"
    server = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         "--disallow-exit", "-L", f"module-native-protocol-unix auth-anonymous=1 socket={socket}",
         "-L", "module-null-sink sink_name=bench_null", "-L", "module-suspend-on-idle"],
        env=dict(os.environ, XDG_RUNTIME_DIR=runtime), stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    while not os.path.exists(socket):
        time.sleep(0.01)
    return server, f"unix:{socket}"


def usage(pid):
    """CPU seconds of the process and voluntary context switches of all its threads."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    switches = 0
    for status in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            with open(status) as f:
                switches += int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", f.read(),
                                          re.M).group(1))
        except (OSError, AttributeError):
            pass  # a thread that ended meanwhile
    return cpu, switches


def idle_phase(pid, seconds):
    cpu0, sw0 = usage(pid)
    t0 = time.monotonic()
    time.sleep(seconds)
    cpu1, sw1 = usage(pid)
    elapsed = time.monotonic() - t0
    return 100 * (cpu1 - cpu0) / elapsed, (sw1 - sw0) / elapsed


runtime = tempfile.mkdtemp(prefix="startup-bench-")
os.chmod(runtime, 0o700)
xvfb, display = start_xvfb()
pulse, pulse_server = start_pulse(runtime)
# A tray host, so that "-" hides the window to the tray (without one it minimises).
tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right"],
                        env=dict(os.environ, DISPLAY=display), stdout=subprocess.DEVNULL,
                        stderr=subprocess.DEVNULL)
log = tempfile.NamedTemporaryFile(prefix="startup-bench-", suffix=".log", delete=False)
env = dict(os.environ, DISPLAY=display, QT_LOGGING_RULES="alarmclock.ui.debug=true",
           QT_MESSAGE_PATTERN="%{time hh:mm:ss.zzz} %{message}", PULSE_SERVER=pulse_server,
           XDG_RUNTIME_DIR=runtime)
try:
    start = time.monotonic()
    app = subprocess.Popen([binary], env=env, stdout=log, stderr=log)
    # xdotool's own --sync waits in steps of half a second: ask every 10 ms instead.
    while True:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Alarm Clock"],
                               env=env, capture_output=True, text=True)
        if found.returncode == 0:
            break
        if app.poll() is not None or time.monotonic() - start > 30:
            sys.exit("the window did not appear")
        time.sleep(0.01)
    mapped_ms = (time.monotonic() - start) * 1000
    window = found.stdout.split()[0]
    time.sleep(10)
    with open(f"/proc/{app.pid}/status") as f:
        rss_mb = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1)) / 1024
    shown = idle_phase(app.pid, idle)
    sink = subprocess.run(["pactl", "list", "short", "sinks"], env=env, capture_output=True,
                          text=True).stdout.split()
    # "-" sits at the top right of the window.
    subprocess.run(["xdotool", "mousemove", "--window", window, "568", "18", "click", "1"],
                   env=env, check=True)
    hidden = idle_phase(app.pid, idle)
    app.terminate()
    app.wait(10)
finally:
    tray.terminate()
    xvfb.terminate()
    pulse.terminate()

with open(log.name) as f:
    lags = [int(m.group(1)) for m in re.finditer(r"\d\d:\d\d:\d\d\.(\d{3}) lblTime", f.read())]
# The first tick runs at start-up, off the second; the rest are aligned.
lags = sorted(lags[1:][-60:])
print(f"start to window mapped: {mapped_ms:.0f} ms")
print(f"RSS after 10 s: {rss_mb:.1f} MB")
print(f"idle {idle} s, window shown: CPU {shown[0]:.3f} % of one core, "
      f"{shown[1]:.2f} wake-ups/s")
print(f"idle {idle} s, window hidden: CPU {hidden[0]:.3f} % of one core, "
      f"{hidden[1]:.2f} wake-ups/s")
print(f"sink while the clock waits: {sink[-1] if sink else 'unknown'}")
if lags:
    p99 = lags[min(len(lags) - 1, int(len(lags) * 0.99))]
    print(f"display lag behind the second: p50 {statistics.median(lags):.0f} ms, p99 {p99} ms "
          f"over {len(lags)} ticks")
