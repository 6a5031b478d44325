#!/usr/bin/python3
"""Soaks the real program and prints its resident memory over time.

The clock runs on a private X server (Xvfb) and a private PulseAudio with a
null sink, under libfaketime at 100 times real speed from 2026-12-08 06:59:00,
so 30 minutes of real time are 50 hours of the clock's time. Unless told not
to, it arms an alarm a few minutes of clock time ahead through the real dialog
(xdotool), so that most of the run is spent ringing and announcing. VmRSS, the
count of open files, the playback streams on the server and the processor time
used are sampled every 10 s (a program that stops using processor time is hung,
and its flat memory means nothing).

    bench/rss_soak.py            30 minutes
    bench/rss_soak.py 2          2 minutes
    bench/rss_soak.py 2 --no-arm --real-monotonic

The program is build/release/alarm-clock, or $ALARM_BIN. A benchmark, not a
test: it prints figures and fails only if the program dies.
"""

import argparse
import datetime
import os
import subprocess
import sys
import time
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[1]
os.environ.setdefault("ALARM_SOURCE_DIR", str(SOURCE_DIR))
os.environ.setdefault("ALARM_BIN", str(SOURCE_DIR / "build" / "release" / "alarm-clock"))
sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))

# The end-to-end fixtures: Xvfb, PulseAudio, the program.
from app import App, program_env  # noqa: E402
from fakeclock import LIBFAKETIME  # noqa: E402
from paths import APP_BIN  # noqa: E402
from procs import run, say, temp_dir  # noqa: E402
from pulse import pulseaudio  # noqa: E402
from xserver import xvfb  # noqa: E402

START = "2026-12-08 06:59:00"


def status_kb(pid, field):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    """User and system time the program has used so far."""
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def open_files(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


def streams(pulse):
    """Playback streams on the sound server: 1 or more while the alarm sounds."""
    result = run(["pactl", "list", "short", "sink-inputs"], pulse.env, check=False)
    return len(result.stdout.splitlines()) if result.returncode == 0 else -1


class FastClock:
    """The clock the program sees: START, running `speed` times as fast as
    real time from the moment the program was started."""

    def __init__(self, start, speed):
        self.start = datetime.datetime.strptime(start, "%Y-%m-%d %H:%M:%S")
        self.speed = speed
        self.started = time.monotonic()

    def now(self):
        elapsed = (time.monotonic() - self.started) * self.speed
        return self.start + datetime.timedelta(seconds=elapsed)

    def env(self, real_monotonic):
        env = {"LD_PRELOAD": LIBFAKETIME,
               "FAKETIME": "@%s x%g" % (self.start.strftime("%Y-%m-%d %H:%M:%S"), self.speed),
               "TZ": "UTC"}
        if real_monotonic:
            env.update(FAKETIME_DONT_FAKE_MONOTONIC="1", DONT_FAKE_MONOTONIC="1")
        return env


def start_program(display, pulse, workdir, clock, real_monotonic):
    env = program_env(display, pulse, workdir)
    env.update(clock.env(real_monotonic))
    log = open(workdir / "alarm-clock.log", "w")
    proc = subprocess.Popen([str(APP_BIN)], cwd=str(workdir), env=env, stdout=log,
                            stderr=subprocess.STDOUT)
    clock.started = time.monotonic()
    return App(display, proc, workdir / "alarm-clock.log", None), log


def arm(app, clock, ahead_minutes):
    """Types an alarm `ahead_minutes` of clock time from now into the real dialog."""
    app.find_window()
    # The dialog takes real seconds to type into: aim past them.
    when = clock.now() + datetime.timedelta(minutes=ahead_minutes)
    text = when.strftime("%I:%M %p")
    app.set_alarm(text)
    say("armed for %s (clock time now %s)" % (text, clock.now().strftime("%H:%M:%S")))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("minutes", nargs="?", type=float, default=30.0,
                        help="real minutes to run (default 30)")
    parser.add_argument("--interval", type=float, default=10.0,
                        help="seconds between samples (default 10)")
    parser.add_argument("--speed", type=float, default=100.0,
                        help="clock speed against real time (default 100)")
    parser.add_argument("--no-arm", action="store_true", help="leave the alarm off")
    parser.add_argument("--real-monotonic", action="store_true",
                        help="fake only the wall clock: timers keep real time")
    args = parser.parse_args()

    if not APP_BIN.exists():
        raise SystemExit("no program at %s (build the release preset or set ALARM_BIN)"
                         % APP_BIN)

    samples = []  # (real seconds, clock time, VmRSS kB, open files, streams, cpu seconds)
    with temp_dir("alarm-rss-") as workdir, xvfb() as display, \
            pulseaudio(workdir / "runtime") as pulse:
        clock = FastClock(START, args.speed)
        say("running %s for %g min at %gx from %s" % (APP_BIN, args.minutes,
                                                        args.speed, START))
        app, log = start_program(display, pulse, workdir, clock, args.real_monotonic)
        try:
            app.find_window()
            if not args.no_arm:
                arm(app, clock, ahead_minutes=5)
            started = time.monotonic()
            end = started + args.minutes * 60
            say("%8s %19s %10s %6s %8s %8s" % ("real s", "clock time", "VmRSS kB", "files",
                                                "streams", "cpu s"))
            while True:
                if not app.running():
                    raise SystemExit("the program exited with %s; output tail:\n%s"
                                     % (app.proc.returncode, app.tail()))
                now = time.monotonic()
                sample = (now - started, clock.now(), status_kb(app.proc.pid, "VmRSS"),
                          open_files(app.proc.pid), streams(pulse), cpu_seconds(app.proc.pid))
                samples.append(sample)
                say("%8.0f %19s %10d %6d %8d %8.1f" % (sample[0],
                                                      sample[1].strftime("%Y-%m-%d %H:%M:%S"),
                                                      sample[2], sample[3], sample[4], sample[5]))
                if now >= end:
                    break
                time.sleep(min(args.interval, max(0.0, end - now)))
            peak = status_kb(app.proc.pid, "VmHWM")
        finally:
            app.stop()
            log.close()

    first, last = samples[0], samples[-1]
    top = max(samples, key=lambda s: s[2])
    say("")
    say("first sample: %d kB at %.0f s" % (first[2], first[0]))
    say("last sample:  %d kB at %.0f s (%+d kB, %+.1f%%)" % (
        last[2], last[0], last[2] - first[2], 100.0 * (last[2] - first[2]) / first[2]))
    say("max sample:   %d kB at %.0f s; peak (VmHWM) %d kB" % (top[2], top[0], peak))
    half = samples[len(samples) // 2:]
    if len(half) >= 2:
        slope = (half[-1][2] - half[0][2]) / max(1e-9, (half[-1][0] - half[0][0]) / 3600.0)
        say("second half: %+.0f kB per real hour" % slope)
    say("open files: first %d, last %d" % (first[3], last[3]))
    # A program that ticks uses some processor time in every interval.
    still = 0
    for before, after in zip(samples, samples[1:]):
        still = still + 1 if after[5] - before[5] < 0.01 else 0
    if still >= 3:
        say("WARNING: no processor time used in the last %d samples: the program looks hung"
            % still)
    say("clock time covered: %s to %s" % (first[1].strftime("%Y-%m-%d %H:%M"),
                                         last[1].strftime("%Y-%m-%d %H:%M")))


if __name__ == "__main__":
    main()
