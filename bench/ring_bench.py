#!/usr/bin/python3
"""Times the alarm minute on the real program.

The clock runs on a private X server (Xvfb) and a private PulseAudio with a
null sink, under libfaketime (wall clock only). Each round arms an alarm
through the real dialog, moves the clock to two seconds before the alarm
minute and then measures, from the moment the clock reaches the minute:

  ring      the sink unmuted (the first thing ringing does), seen through
            `pactl subscribe`;
  speech    the first sample of the spoken hour on the sink's monitor, found
            by cross-correlation with the clip (the track is paused for the
            announcement, so the voice is the first thing heard);
  back      the track (the beep) heard again after the wake-up phrase, counted
            from the end of the phrase.

Monitor times include the monitor's own latency (about 10 ms). Then the alarm
is switched off and the next round arms the next alarm.

    bench/ring_bench.py          20 rounds
    bench/ring_bench.py 5

The program is build/release/alarm-clock, or $ALARM_BIN. A benchmark, not a
test: it prints figures and fails only if the program or a round fails.
"""

import argparse
import datetime
import os
import subprocess
import sys
import threading
import time
from pathlib import Path

import numpy as np

SOURCE_DIR = Path(__file__).resolve().parents[1]
os.environ.setdefault("ALARM_SOURCE_DIR", str(SOURCE_DIR))
os.environ.setdefault("ALARM_BIN", str(SOURCE_DIR / "build" / "release" / "alarm-clock"))
sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))

# The end-to-end fixtures: Xvfb, PulseAudio, the program and what it plays.
from app import BUT_ON_OFF, alarm_clock  # noqa: E402
from paths import APP_BIN, APP_DIR  # noqa: E402
from procs import poll, say, stop_process, temp_dir  # noqa: E402
from pulse import SINK, pulseaudio  # noqa: E402
from sound import RATE, Ears  # noqa: E402
from xserver import xvfb  # noqa: E402

START = datetime.datetime(2026, 12, 8, 6, 59, 30)
CLIP_MATCH = 0.6


class TimedMonitor:
    """Records the sink's monitor and notes when each chunk arrived, so that
    every sample has a time on the monotonic clock."""

    def __init__(self, pulse):
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--raw", "--format=s16le",
             "--rate=%d" % RATE, "--channels=1", "--latency-msec=10"],
            env=pulse.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.chunks = []  # (arrival time, samples)
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self.read, daemon=True)
        self.reader.start()

    def read(self):
        pending = b""
        while True:
            data = os.read(self.proc.stdout.fileno(), 4096)
            if not data:
                return
            now = time.monotonic()
            data = pending + data
            whole = len(data) // 2 * 2
            pending = data[whole:]
            samples = np.frombuffer(data[:whole], dtype="<i2").astype(np.float64) / 32768.0
            with self.lock:
                self.chunks.append((now, samples))

    def since(self, start):
        """(times, samples) of everything heard from `start` on."""
        with self.lock:
            chunks = list(self.chunks)
        times, samples = [], []
        for arrived, data in chunks:
            at = arrived - (len(data) - 1 - np.arange(len(data))) / RATE
            keep = at >= start
            times.append(at[keep])
            samples.append(data[keep])
        if not times:
            return np.zeros(0), np.zeros(0)
        return np.concatenate(times), np.concatenate(samples)

    def stop(self):
        stop_process(self.proc)


class SinkChanges:
    """Notes when the server reports a change on a sink."""

    def __init__(self, pulse):
        self.proc = subprocess.Popen(["pactl", "subscribe"], env=pulse.env,
                                     stdout=subprocess.PIPE, text=True)
        self.times = []
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.proc.stdout:
            if "'change' on sink #" in line:
                self.times.append(time.monotonic())

    def first_after(self, start):
        later = [t for t in self.times if t >= start]
        return later[0] if later else None

    def stop(self):
        stop_process(self.proc)


def mono_of_wall(wall_seconds):
    """The monotonic time at which the real wall clock reads `wall_seconds`."""
    return wall_seconds - (time.time() - time.monotonic())


def one_round(app, pulse, monitor, changes, ears, alarm):
    app.clock.set(alarm - datetime.timedelta(seconds=25))
    app.set_alarm(alarm.strftime("%I:%M %p"))
    poll(pulse.muted, 6, "the sink muted after arming")
    app.clock.set(alarm - datetime.timedelta(seconds=2))
    # The fake clock runs at real speed with a whole-second offset from it.
    minute = mono_of_wall((alarm - datetime.datetime(1970, 1, 1)).total_seconds()
                          - app.clock.offset)

    def heard_all():
        if time.monotonic() < minute + 2.0:
            return None
        times, samples = monitor.since(minute)
        # The announcement of an hour is over within 3 s; the track comes after it.
        if len(times) and times[-1] > minute + 5.0:
            return times, samples
        return None

    times, samples = poll(heard_all, 20, "the alarm minute to be heard", interval=0.1)
    ring = changes.first_after(minute)
    at, score = ears.find(samples, "seven.wav")
    speech = times[int(at * RATE)] if at is not None and score > CLIP_MATCH else None
    back = None
    wake_at, wake_score = ears.find(samples, "wake_up.wav")
    if wake_at is not None and wake_score > CLIP_MATCH:
        end = wake_at + ears.length("wake_up.wav")
        frame = 0.01
        share = ears.beep(samples, frame)
        loud = [i for i in range(int(end / frame), len(share)) if share[i] > 0.5]
        if loud:
            back = (times[int(loud[0] * frame * RATE)] - times[int(end * RATE)]) * 1000
    app.click(*BUT_ON_OFF)
    poll(lambda: not pulse.muted(), 5, "the sink to stay unmuted")
    ring, speech = (None if t is None else (t - minute) * 1000 for t in (ring, speech))
    return ring, speech, back


def percentile(values, p):
    return float(np.percentile(np.array(values), p)) if values else float("nan")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("rounds", nargs="?", type=int, default=20)
    args = parser.parse_args()
    if not APP_BIN.exists():
        raise SystemExit("no program at %s (build the release preset or set ALARM_BIN)"
                         % APP_BIN)

    ears = Ears(APP_DIR / "sounds")
    results = []
    with temp_dir("alarm-ring-") as workdir, xvfb() as display, \
            pulseaudio(workdir / "runtime") as pulse:
        monitor = TimedMonitor(pulse)
        changes = SinkChanges(pulse)
        try:
            with alarm_clock(display, pulse, workdir,
                             START.strftime("%Y-%m-%d %H:%M:%S")) as app:
                app.find_window()
                say("%5s %8s %10s %10s %10s" % ("round", "alarm", "ring ms", "speech ms",
                                                  "back ms"))
                for index in range(args.rounds):
                    alarm = datetime.datetime(2026, 12, 8, 7, 0) + datetime.timedelta(
                        minutes=2 * index)
                    ring, speech, back = one_round(app, pulse, monitor, changes, ears, alarm)
                    results.append((ring, speech, back))
                    say("%5d %8s %10s %10s %10s" % (
                        index + 1, alarm.strftime("%H:%M"),
                        *("-" if v is None else "%.1f" % v for v in (ring, speech, back))))
        finally:
            monitor.stop()
            changes.stop()

    say("")
    for name, column in (("minute -> ring (unmute)", 0), ("minute -> first spoken sample", 1),
                         ("ring -> first spoken sample", None),
                         ("wake-up phrase end -> track heard again", 2)):
        if column is None:
            values = [r[1] - r[0] for r in results if r[0] is not None and r[1] is not None]
        else:
            values = [r[column] for r in results if r[column] is not None]
        say("%-40s p50 %7.1f ms  p99 %7.1f ms  (%d of %d rounds)" % (
            name, percentile(values, 50), percentile(values, 99), len(values), len(results)))
    if any(None in r for r in results):
        raise SystemExit("some rounds missed a measurement")


if __name__ == "__main__":
    main()
