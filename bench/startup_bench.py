#!/usr/bin/env python3
"""Start-up and idle figures of the real program under Xvfb (prints, never asserts).

  bench/startup_bench.py [path/to/alarm-clock] [idle seconds, default 60]

Prints: start to window mapped (ms), RSS after 10 s (MB), CPU over the idle
period (% of one core), and how far each displayed second lags behind the
wall-clock second (ms, p50 and p99), read from the program's own tick log.
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

binary = sys.argv[1] if len(sys.argv) > 1 else "build/release/alarm-clock"
idle = int(sys.argv[2]) if len(sys.argv) > 2 else 60

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
display = ":" + number.decode().strip()
os.close(read_fd)
log = tempfile.NamedTemporaryFile(prefix="startup-bench-", suffix=".log", delete=False)
env = dict(os.environ, DISPLAY=display, QT_LOGGING_RULES="alarmclock.ui=true",
           QT_MESSAGE_PATTERN="%{time hh:mm:ss.zzz} %{message}",
           PULSE_SERVER="unix:/nonexistent/native")
try:
    start = time.monotonic()
    app = subprocess.Popen([binary], env=env, stdout=log, stderr=log)
    # xdotool's own --sync waits in steps of half a second: ask every 10 ms instead.
    while subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Alarm Clock"],
                         env=env, stdout=subprocess.DEVNULL).returncode != 0:
        if app.poll() is not None or time.monotonic() - start > 30:
            sys.exit("the window did not appear")
        time.sleep(0.01)
    mapped_ms = (time.monotonic() - start) * 1000
    time.sleep(10)
    with open(f"/proc/{app.pid}/status") as f:
        rss_mb = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1)) / 1024
    ticks = os.sysconf("SC_CLK_TCK")

    def cpu_seconds():
        with open(f"/proc/{app.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / ticks

    before, t0 = cpu_seconds(), time.monotonic()
    time.sleep(idle)
    cpu_pct = 100 * (cpu_seconds() - before) / (time.monotonic() - t0)
    app.terminate()
    app.wait(10)
finally:
    xvfb.terminate()

with open(log.name) as f:
    lags = [int(m.group(1)) for m in re.finditer(r"\d\d:\d\d:\d\d\.(\d{3}) lblTime", f.read())]
# The first tick runs at start-up, off the second; the rest are aligned.
lags = sorted(lags[1:][-60:])
print(f"start to window mapped: {mapped_ms:.0f} ms")
print(f"RSS after 10 s: {rss_mb:.1f} MB")
print(f"CPU over {idle} s idle: {cpu_pct:.2f} % of one core")
if lags:
    p99 = lags[min(len(lags) - 1, int(len(lags) * 0.99))]
    print(f"display lag behind the second: p50 {statistics.median(lags):.0f} ms, p99 {p99} ms "
          f"over {len(lags)} ticks")
