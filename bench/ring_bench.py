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

The clock then goes on to two seconds before the next minute, and a click on
the ON/OFF switch during that minute's announcement switches the alarm off:

  seen      the switch shown "OFF" on the screen, counted from the click
            (XTEST, from the benchmark's own X connection; the screen is read
            all the time);
  logged    the window's state line showing butOnOff 0, counted from the
            click. The line is written only at each tick, so this is the wait
            for the next second (up to 1 s), not the handling of the click.

Throughout, a process of its own pings the window (_NET_WM_PING) one ping at
a time, and the answers to the pings sent while the clock speaks are timed;
the window's log lines carry their wall-clock time, which gives how far each
shown second lags behind the wall-clock second while ringing.

Monitor times include the monitor's own latency (about 10 ms). The next round
arms the next alarm.

    bench/ring_bench.py          20 rounds
    bench/ring_bench.py 5
    bench/ring_bench.py 5 --track   a chosen track (a copy of the beep, so that
                                    the same ears find it) instead of the beep

The program is build/release/alarm-clock, or $ALARM_BIN. A benchmark, not a
test: it prints figures and fails only if the program or a round fails.
"""

import argparse
import datetime
import multiprocessing
import os
import shutil
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
from app import alarm_clock  # noqa: E402
from paths import APP_BIN, APP_DIR  # noqa: E402
from procs import poll, say, stop_process, temp_dir  # noqa: E402
from pulse import SINK, pulseaudio  # noqa: E402
from sound import RATE, Ears  # noqa: E402
# The alarm test's view of the window: its stamped state lines and the switch.
from test_alarm import STAMPED, Switch, state_rows  # noqa: E402
from test_faults import choose_track  # noqa: E402
from xserver import PingWatch, xvfb  # noqa: E402

START = datetime.datetime(2026, 12, 8, 6, 59, 30)
CLIP_MATCH = 0.6
LEAD = 0.2  # seconds of sound taken before the minute
# Seconds into the minute of each round's click: during the words "seven zero
# ... am wake up" (about 2.6 s), a different word in each round.
CLICK_AFTER = (0.3, 0.5, 0.7, 0.9, 1.1, 1.3, 1.5, 1.7, 1.9, 2.1)


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
            if arrived < start:
                continue  # its last sample came before `start`
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


def pinging(display_name, window, control):
    """Pings the window until told to stop on `control`, then sends back
    (sent, answered) of every ping. Runs in a process of its own, so that the
    benchmark's own work never delays the reading of an answer."""
    watch = PingWatch(display_name, window)
    control.recv()
    watch.stop()
    control.send(list(watch.waits))


class Pings:
    """The window's answers to pings, timed in a process of its own."""

    def __init__(self, display, window):
        context = multiprocessing.get_context("spawn")
        self.control, theirs = context.Pipe()
        self.proc = context.Process(
            target=pinging, args=(display.name, window, theirs), daemon=True)
        self.proc.start()

    def stop(self):
        """Stops pinging; gives (sent, answered) of every ping answered."""
        self.control.send("stop")
        waits = self.control.recv() if self.control.poll(10) else []
        self.proc.join(5)
        return waits


def mono_of_wall(wall_seconds):
    """The monotonic time at which the real wall clock reads `wall_seconds`."""
    return wall_seconds - (time.time() - time.monotonic())


def minute_mono(app, minute):
    """The monotonic time at which the program's clock reaches `minute`: the
    fake clock runs at real speed with a whole-second offset from it."""
    return mono_of_wall((minute - datetime.datetime(1970, 1, 1)).total_seconds()
                        - app.clock.offset)


def heard_after(monitor, start, seconds):
    """(times, samples) heard from LEAD s before `start` (monotonic) on, once
    `seconds` after `start` have arrived. The times of the samples are
    estimated from the arrival of their chunks, good to a few milliseconds, so
    a clip found in them may start a little before `start`."""

    def arrived():
        if time.monotonic() < start + seconds:
            return None
        times, samples = monitor.since(start - LEAD)
        return (times, samples) if len(times) and times[-1] > start + seconds else None

    return poll(arrived, seconds + 15, "%.0f s of sound" % seconds, interval=0.1)


def clip_at(ears, samples, name):
    """Where clip `name` starts in `samples` (s), or None if it was not heard."""
    at, score = ears.find(samples, name)
    return at if at is not None and score > CLIP_MATCH else None


def words(ears, times, samples):
    """Monotonic (first spoken sample, end of the wake-up phrase), each None if
    not heard. The hour is looked for within LEAD s of the minute: at 7:07 the
    minutes say "seven" too."""
    first = clip_at(ears, samples[: int((2 * LEAD + ears.length("seven.wav")) * RATE)],
                    "seven.wav")
    wake = clip_at(ears, samples, "wake_up.wav")
    end = None if wake is None else wake + ears.length("wake_up.wav")
    return tuple(None if at is None or int(at * RATE) >= len(times) else times[int(at * RATE)]
                 for at in (first, end))


def one_round(app, pulse, monitor, changes, ears, switch, alarm, click_after):
    """Gives the round's figures (ms, None where one was missed) and the
    monotonic spans of its two announcements."""
    app.clock.set(alarm - datetime.timedelta(seconds=25))
    app.set_alarm(alarm.strftime("%I:%M %p"))
    poll(pulse.muted, 10, "the sink muted after arming")
    app.clock.set(alarm - datetime.timedelta(seconds=2))
    rung = minute_mono(app, alarm)
    # The announcement of an hour is over within 3 s; the track comes after it.
    times, samples = heard_after(monitor, rung, 5.0)
    ring = changes.first_after(rung)
    speech, wake_end = words(ears, times, samples)
    spans = [(speech, wake_end)]
    back = None
    if wake_end is not None:
        frame = 0.01
        share = ears.beep(samples, frame)
        end = int(np.searchsorted(times, wake_end))
        loud = [i for i in range(int(end / RATE / frame), len(share)) if share[i] > 0.5]
        if loud:
            back = (times[int(loud[0] * frame * RATE)] - wake_end) * 1000

    # The next minute's announcement, switched off by a click while it speaks.
    following = alarm + datetime.timedelta(minutes=1)
    app.clock.set(following - datetime.timedelta(seconds=2))
    minute = minute_mono(app, following)
    poll(lambda: time.monotonic() >= minute + click_after, 5, "the moment to click",
         interval=0.005)
    clicked = switch.click()
    clicked_fake = app.clock.now()
    seen = (switch.seen_off() - clicked) * 1000
    shown = poll(lambda: [row for row in state_rows(app.log()) if row[0] > clicked_fake], 3,
                 "the second after the click")[0]
    logged = None if shown[2] else (shown[0] - clicked_fake).total_seconds() * 1000
    times, samples = heard_after(monitor, minute, 4.0)
    start, end = words(ears, times, samples)
    spans.append((start, end))
    if start is None or end is None or not start < clicked < end:
        say("      the click at %.2f s missed the words heard from %s to %s s" % (
            clicked - minute, *("-" if t is None else "%.2f" % (t - minute) for t in (start, end))))
        seen = logged = None
    ring, speech = (None if t is None else (t - rung) * 1000 for t in (ring, speech))
    return (ring, speech, back, seen, logged), spans


def percentile(values, p):
    return float(np.percentile(np.array(values), p)) if values else float("nan")


def figure(name, values, count, unit="rounds"):
    say("%-50s p50 %7.1f ms  p99 %7.1f ms  (%d of %d %s)" % (
        name, percentile(values, 50), percentile(values, 99), len(values), count, unit))


FIGURES = ("ring", "speech", "back", "seen", "logged")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("rounds", nargs="?", type=int, default=20)
    parser.add_argument("--track", action="store_true",
                        help="ring a chosen track file instead of the built-in beep")
    args = parser.parse_args()
    if not APP_BIN.exists():
        raise SystemExit("no program at %s (build the release preset or set ALARM_BIN)"
                         % APP_BIN)

    ears = Ears(APP_DIR / "sounds")
    results, spans = [], []
    with temp_dir("alarm-ring-") as workdir, xvfb() as display, \
            pulseaudio(workdir / "runtime") as pulse:
        monitor = TimedMonitor(pulse)
        changes = SinkChanges(pulse)
        try:
            with alarm_clock(display, pulse, workdir, START.strftime("%Y-%m-%d %H:%M:%S"),
                             extra_env=STAMPED) as app:
                pings = Pings(display, app.find_window())
                if args.track:
                    track = workdir / "track.wav"
                    shutil.copy(APP_DIR / "sounds" / "beep.wav", track)
                    choose_track(app, track)
                switch = Switch(app)
                try:
                    say("%5s %8s" % ("round", "alarm")
                        + "".join(" %9s" % (name + " ms") for name in FIGURES))
                    for index in range(args.rounds):
                        alarm = datetime.datetime(2026, 12, 8, 7, 0) + datetime.timedelta(
                            minutes=2 * index)
                        figures, spoken = one_round(
                            app, pulse, monitor, changes, ears, switch, alarm,
                            CLICK_AFTER[index % len(CLICK_AFTER)])
                        results.append(figures)
                        spans += spoken
                        say("%5d %8s" % (index + 1, alarm.strftime("%H:%M")) + "".join(
                            " %9s" % ("-" if v is None else "%.1f" % v) for v in figures))
                finally:
                    waits = pings.stop()
                    switch.close()
                rows = state_rows(app.log())
        finally:
            monitor.stop()
            changes.stop()

    say("")
    rounds = len(results)
    column = {name: [r[i] for r in results if r[i] is not None] for i, name in enumerate(FIGURES)}
    figure("minute -> ring (unmute)", column["ring"], rounds)
    figure("minute -> first spoken sample", column["speech"], rounds)
    figure("ring -> first spoken sample", [r[1] - r[0] for r in results
                                           if r[0] is not None and r[1] is not None], rounds)
    figure("wake-up phrase end -> track heard again", column["back"], rounds)
    spoken = [(a, b) for a, b in spans if a is not None and b is not None]
    speaking = [(answered - sent) * 1000 for sent, answered in waits
                if any(a <= sent <= b for a, b in spoken)]
    figure("ping answered, while speaking", speaking, len(speaking), "pings")
    say("%-50s max %7.1f ms" % ("", max(speaking, default=float("nan"))))
    figure("click while speaking -> switch seen OFF", column["seen"], rounds)
    figure("click while speaking -> state line butOnOff 0", column["logged"], rounds)
    ringing = [row for row in rows if row[3]]
    lags = [(logged - shown).total_seconds() * 1000 for logged, shown, _, _ in ringing]
    figure("display lag behind the second, ringing", lags, len(lags), "ticks")
    starts = [lag for lag, row in zip(lags, ringing) if row[1].second == 0]
    figure("... at the ticks that start an announcement", starts, len(starts), "ticks")
    if any(None in r for r in results):
        raise SystemExit("some rounds missed a measurement")


if __name__ == "__main__":
    main()
