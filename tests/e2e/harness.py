"""Fixtures for the end-to-end tests: the real program on a private X server
(Xvfb), a private PulseAudio with a null sink, an optional tray host (trayer)
and a fake wall clock (libfaketime) that the test moves.

Every fixture is a context manager that always stops what it started. Waits
are polls against a deadline; nothing here sleeps to let the program's time
pass: the fake clock is moved instead.
"""

import contextlib
import datetime
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import wave
import zoneinfo
from pathlib import Path

import numpy as np

SINK = "test_null"
RATE = 22050  # sample rate of the sink monitor's recording, mono
LIBFAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
WINDOW_TITLE = "Alarm Clock"
SCREEN = (1920, 1080)

# Absolute, so that they hold in the program's own working folder too.
SOURCE_DIR = Path(os.environ.get("ALARM_SOURCE_DIR",
                                 Path(__file__).resolve().parents[2])).absolute()
BUILD_DIR = Path(os.environ.get("ALARM_BUILD_DIR", SOURCE_DIR / "build" / "dev")).absolute()
APP_BIN = Path(os.environ.get("ALARM_BIN", BUILD_DIR / "alarm-clock")).absolute()
APP_DIR = APP_BIN.parent
ARTIFACTS = BUILD_DIR / "artifacts"


def say(*parts):
    """Prints one line of the test's narrative at once."""
    print(*parts, flush=True)


# --- waiting -----------------------------------------------------------------

class Timeout(AssertionError):
    pass


def poll(condition, timeout, what, interval=0.05):
    """Calls condition() until it returns a true value, which is returned;
    raises Timeout naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Timeout("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def stop_process(proc, sig=signal.SIGTERM, timeout=5):
    """Stops one process that this harness started, by its own id."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.send_signal(sig)
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=timeout)
    except ProcessLookupError:
        pass


def run(args, env, timeout=10, check=True):
    result = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                   result.stderr.strip()))
    return result


# --- temporary folder -----------------------------------------------------------

@contextlib.contextmanager
def temp_dir(prefix="alarm-e2e-"):
    path = Path(tempfile.mkdtemp(prefix=prefix))
    try:
        yield path
    finally:
        shutil.rmtree(path, ignore_errors=True)


# --- X server --------------------------------------------------------------------

class Display:
    def __init__(self, name):
        self.name = name
        self.env = dict(os.environ, DISPLAY=name)

    def xdotool(self, *args, timeout=15, check=True):
        return run(["xdotool", *map(str, args)], self.env, timeout=timeout, check=check).stdout

    def window_info(self, window):
        """Geometry and map state of a window as xwininfo reports them, or None
        when the window is gone."""
        result = run(["xwininfo", "-id", str(window)], self.env, check=False)
        if result.returncode != 0:
            return None
        info = {}
        for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                           ("rel_x", "Relative upper-left X"), ("rel_y", "Relative upper-left Y"),
                           ("width", "Width"), ("height", "Height"),
                           ("border", "Border width")):
            match = re.search(r"^\s*%s:\s*(-?\d+)" % label, result.stdout, re.M)
            info[key] = int(match.group(1)) if match else None
        match = re.search(r"Map State:\s*(\w+)", result.stdout)
        info["map_state"] = match.group(1) if match else None
        return info

    def tree(self, window="-root"):
        """(id, name, width, height, x, y) of every window under `window`, recursively."""
        args = ["xwininfo", "-tree"] + (["-root"] if window == "-root" else ["-id", str(window)])
        out = run(args, self.env, check=False).stdout
        rows = []
        for line in out.splitlines():
            match = re.match(r'\s*(0x[0-9a-f]+) (\(has no name\)|"(.*)")?.*?'
                             r'(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)', line)
            if match:
                rows.append(dict(id=int(match.group(1), 16), name=match.group(3),
                                 width=int(match.group(4)), height=int(match.group(5)),
                                 x=int(match.group(8)), y=int(match.group(9))))
        return rows

    def prop(self, window, name):
        return run(["xprop", "-id", str(window), name], self.env, check=False).stdout.strip()

    def screenshot(self, name):
        """Saves the whole screen as an artefact; returns its path."""
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        path = ARTIFACTS / name
        run(["import", "-window", "root", str(path)], self.env, timeout=30)
        say("  screenshot kept:", path)
        return path

    def pixels(self):
        """The screen as an array of (height, width, 3) RGB bytes."""
        out = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             env=self.env, capture_output=True, timeout=30, check=True).stdout
        return np.frombuffer(out, dtype=np.uint8).reshape(SCREEN[1], SCREEN[0], 3)


@contextlib.contextmanager
def xvfb(width=SCREEN[0], height=SCREEN[1]):
    """A private X server on a display number that it picks itself."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "%dx%dx24" % (width, height), "-nolisten", "tcp"],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not report a display")
                number += chunk
        display = Display(":" + number.decode().strip())
        say("X server on", display.name)
        yield display
    finally:
        stop_process(proc)


# --- tray host ---------------------------------------------------------------------

class Trayer:
    def __init__(self, display, proc):
        self.display = display
        self.proc = proc
        self.window = None

    def icons(self):
        """Windows embedded in the tray host's panel (its descendants with a size)."""
        if self.window is None:
            return []
        return [w for w in self.display.tree(self.window)
                if w["id"] != self.window and w["width"] > 1 and w["height"] > 1]

    def find_panel(self):
        """trayer's panel: the window of class "trayer" named "panel"."""
        for wid in self.display.xdotool("search", "--class", "trayer", check=False).split():
            if self.display.prop(wid, "WM_NAME").endswith('"panel"'):
                self.window = int(wid)
                return self.window
        return None


@contextlib.contextmanager
def trayer(display):
    """trayer docked at the top right of the screen, 200 x 32 pixels."""
    proc = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                             "pixel", "--width", "200", "--heighttype", "pixel", "--height",
                             "32"], env=display.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    host = Trayer(display, proc)
    try:
        poll(host.find_panel, 10, "trayer's panel window")
        yield host
    finally:
        stop_process(proc)


# --- sound server --------------------------------------------------------------------

class Pulse:
    def __init__(self, runtime_dir):
        self.runtime_dir = runtime_dir
        self.proc = None  # the server process, while the fixture runs one
        self.server = "unix:%s/pulse/native" % runtime_dir
        self.env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime_dir), PULSE_SERVER=self.server)

    def pactl(self, *args):
        return run(["pactl", *args], self.env).stdout

    def muted(self):
        out = self.pactl("get-sink-mute", SINK)
        match = re.search(r"Mute:\s*(yes|no)", out)
        if not match:
            raise RuntimeError("unexpected pactl output: %r" % out)
        return match.group(1) == "yes"

    def set_muted(self, muted):
        self.pactl("set-sink-mute", SINK, "1" if muted else "0")


@contextlib.contextmanager
def pulseaudio(runtime_dir):
    """A private PulseAudio whose only (default) sink is the null sink "test_null"."""
    runtime_dir = Path(runtime_dir)
    runtime_dir.mkdir(mode=0o700, parents=True, exist_ok=True)
    pulse = Pulse(runtime_dir)
    log = open(runtime_dir / "pulseaudio.log", "w")
    env = dict(pulse.env, HOME=str(runtime_dir))
    env.pop("PULSE_SERVER")
    proc = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         "--disallow-exit", "-L",
         "module-native-protocol-unix auth-anonymous=1 socket=%s/pulse/native" % runtime_dir,
         "-L", "module-null-sink sink_name=%s" % SINK],
        env=env, stdout=log, stderr=subprocess.STDOUT)
    pulse.proc = proc
    try:
        def ready():
            result = run(["pactl", "list", "short", "sinks"], pulse.env, check=False)
            return result.returncode == 0 and SINK in result.stdout
        poll(ready, 15, "PulseAudio with the null sink")
        pulse.pactl("set-default-sink", SINK)
        yield pulse
    finally:
        stop_process(proc)
        log.close()


# --- recording the sink -----------------------------------------------------------------

class Recorder:
    """Records the null sink's monitor (what the program played) as 16-bit mono
    at RATE into a file; samples() reads what has arrived so far."""

    def __init__(self, pulse, path):
        self.path = Path(path)
        self.file = open(self.path, "wb")
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--raw", "--format=s16le", "--rate=%d" % RATE,
             "--channels=1", "--latency-msec=20"],
            env=pulse.env, stdout=self.file, stderr=subprocess.DEVNULL)
        self.started = time.monotonic()

    def samples(self):
        """Everything recorded so far, as floats in [-1, 1]."""
        self.file.flush()
        data = self.path.read_bytes()
        data = data[: len(data) // 2 * 2]
        return np.frombuffer(data, dtype="<i2").astype(np.float64) / 32768.0

    def seconds(self):
        return len(self.samples()) / RATE

    def stop(self):
        stop_process(self.proc)
        self.file.close()

    def keep(self, name):
        """Saves what was recorded as a WAV artefact; returns its path."""
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        path = ARTIFACTS / name
        data = (np.clip(self.samples(), -1, 1 - 1 / 32768) * 32768).astype("<i2")
        with wave.open(str(path), "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(data.tobytes())
        say("  recording kept:", path)
        return path

    def __enter__(self):
        # The monitor delivers samples as soon as it is connected.
        poll(lambda: self.path.stat().st_size > 0 or self.proc.poll() is not None, 10,
             "the first samples from the monitor")
        if self.proc.poll() is not None:
            raise RuntimeError("parec exited with %d" % self.proc.returncode)
        return self

    def __exit__(self, *exc):
        self.stop()


def load_wav(path, rate=RATE):
    """A WAV file as mono floats in [-1, 1] resampled to `rate`."""
    with wave.open(str(path), "rb") as wav:
        channels, width, source_rate = wav.getnchannels(), wav.getsampwidth(), wav.getframerate()
        raw = wav.readframes(wav.getnframes())
    if width == 1:
        data = (np.frombuffer(raw, dtype=np.uint8).astype(np.float64) - 128.0) / 128.0
    elif width == 2:
        data = np.frombuffer(raw, dtype="<i2").astype(np.float64) / 32768.0
    elif width == 3:
        b = np.frombuffer(raw, dtype=np.uint8).reshape(-1, 3).astype(np.int32)
        value = b[:, 0] | (b[:, 1] << 8) | (b[:, 2] << 16)
        data = np.where(value >= 1 << 23, value - (1 << 24), value).astype(np.float64) / 2 ** 23
    elif width == 4:
        data = np.frombuffer(raw, dtype="<i4").astype(np.float64) / 2 ** 31
    else:
        raise ValueError("unsupported sample width %d in %s" % (width, path))
    data = data.reshape(-1, channels).mean(axis=1)
    if source_rate != rate:
        count = int(round(len(data) * rate / source_rate))
        data = np.interp(np.arange(count) * source_rate / rate, np.arange(len(data)), data)
    return data


def trim_silence(data, level=0.01):
    loud = np.nonzero(np.abs(data) > level)[0]
    return data[loud[0]: loud[-1] + 1] if len(loud) else data


def loud_bands(noise, rate=RATE, below_peak_db=30.0, frame=4096):
    """Where a sound such as the beep has its energy: a boolean per bin of a
    `frame`-point spectrum, true within `below_peak_db` of its strongest bin
    (widened by a few bins)."""
    noise = np.asarray(noise, dtype=np.float64)
    if len(noise) < frame:
        noise = np.concatenate((noise, np.zeros(frame - len(noise))))
    window = np.hanning(frame)
    hop = frame // 2
    power = np.zeros(frame // 2 + 1)
    for start in range(0, len(noise) - frame + 1, hop):
        power += np.abs(np.fft.rfft(noise[start: start + frame] * window)) ** 2
    loud = power > power.max() * 10 ** (-below_peak_db / 10)
    widened = loud.copy()
    for shift in range(1, 4):
        widened[shift:] |= loud[:-shift]
        widened[:-shift] |= loud[shift:]
    return widened


def band_stop(signal, bands, rate=RATE):
    """`signal` with the frequencies marked in `bands` (from loud_bands) removed."""
    if len(signal) == 0:
        return signal
    grid = np.linspace(0, rate / 2, len(bands))
    spectrum = np.fft.rfft(signal)
    freqs = np.fft.rfftfreq(len(signal), 1.0 / rate)
    spectrum[np.interp(freqs, grid, bands.astype(np.float64)) > 0.0] = 0
    return np.fft.irfft(spectrum, len(signal))


def band_share(signal, bands, rate=RATE, frame_s=0.05):
    """Per frame of `frame_s` seconds: the share of the frame's energy that lies
    in `bands` (0 for quiet frames). A frame of the beep alone scores near 1."""
    inside = band_stop(signal, ~bands, rate)
    n = int(frame_s * rate)
    count = len(signal) // n
    if count == 0:
        return np.zeros(0)
    total = (signal[: count * n] ** 2).reshape(count, n).sum(axis=1)
    part = (inside[: count * n] ** 2).reshape(count, n).sum(axis=1)
    quiet = total < n * 1e-6  # frame RMS below -60 dBFS
    return np.where(quiet, 0.0, part / np.where(quiet, 1.0, total))


def normalized_xcorr(signal, template):
    """Normalized cross-correlation of `template` at every offset of `signal`:
    1.0 where the signal holds an exact (scaled) copy. Quiet stretches score 0."""
    n = len(template)
    if len(signal) < n or n == 0:
        return np.zeros(0)
    t = template - template.mean()
    t = t / (np.linalg.norm(t) or 1.0)
    size = 1 << int(np.ceil(np.log2(len(signal) + n)))
    corr = np.fft.irfft(np.fft.rfft(signal, size) * np.conj(np.fft.rfft(t, size)), size)
    corr = corr[: len(signal) - n + 1]
    cs = np.concatenate(([0.0], np.cumsum(signal)))
    cs2 = np.concatenate(([0.0], np.cumsum(signal * signal)))
    s = cs[n:] - cs[:-n]
    s2 = cs2[n:] - cs2[:-n]
    energy = np.sqrt(np.maximum(s2 - s * s / n, 0.0))
    quiet = energy < np.sqrt(n) * 1e-3  # window RMS below -60 dBFS
    return np.where(quiet, 0.0, corr / np.where(quiet, 1.0, energy))


def find_onsets(signal, template, threshold, rate=RATE):
    """Start times (s) and scores of the places where `template` occurs in
    `signal`, strongest per template length, in time order."""
    score = normalized_xcorr(signal, template)
    found = []
    n = len(template)
    order = np.argsort(score)[::-1]
    taken = np.zeros(len(score), dtype=bool)
    for i in order:
        if score[i] < threshold:
            break
        if taken[i]:
            continue
        found.append((i / rate, float(score[i])))
        taken[max(0, i - n): i + n] = True
    return sorted(found)


def best_match(signal, template, rate=RATE):
    score = normalized_xcorr(signal, template)
    if len(score) == 0:
        return None, 0.0
    i = int(np.argmax(score))
    return i / rate, float(score[i])


def rms(data):
    return float(np.sqrt(np.mean(data * data))) if len(data) else 0.0


# --- fake wall clock -------------------------------------------------------------

class FakeClock:
    """The program's wall clock, as an offset from the real one in a file that
    libfaketime re-reads on every call. Times are naive local times of `zone`
    (a tz database name), in which the program runs; UTC unless told."""

    def __init__(self, path, start, zone=None):
        self.path = Path(path)
        self.zone = zoneinfo.ZoneInfo(zone or "UTC")
        self.offset = 0
        self.set(start)

    @staticmethod
    def parse(text):
        return datetime.datetime.strptime(text, "%Y-%m-%d %H:%M:%S")

    def set(self, when, fold=0):
        """Moves the clock so that it reads `when` now (to the real clock's
        fraction of a second) and then runs on. In an hour that a zone's clock
        shows twice, fold=1 picks the second time."""
        if isinstance(when, str):
            when = self.parse(when)
        target = int(when.replace(tzinfo=self.zone, fold=fold).timestamp())
        self.offset = target - int(time.time())
        tmp = self.path.with_suffix(".new")
        tmp.write_text("%+d\n" % self.offset)
        os.replace(tmp, self.path)

    def now(self):
        return datetime.datetime.fromtimestamp(time.time() + self.offset,
                                               self.zone).replace(tzinfo=None)

    def env(self):
        return {"LD_PRELOAD": LIBFAKETIME, "FAKETIME_TIMESTAMP_FILE": str(self.path),
                "FAKETIME_NO_CACHE": "1",
                # Timers, the sound server client and the media pipeline keep
                # the real monotonic clock; only the wall clock is faked.
                "FAKETIME_DONT_FAKE_MONOTONIC": "1", "TZ": self.zone.key}


# The front end logs what it shows each second, e.g.
# `alarmclock.ui: lblTime "06:59:41" lblAMPM "AM" butOnOff 1 blnAlarm false`.
SHOWN = re.compile(r'lblTime\W+(\d{1,2}:\d{2}:\d{2})\W+lblAMPM\W+(AM|PM)')


def shown_faces(log_text):
    """Every (time, day half) that the program logged as shown, in order."""
    return SHOWN.findall(log_text)


def clock_text(when):
    """The clock face for a time: "hh:mm:ss" in 12-hour form and the day half."""
    return when.strftime("%I:%M:%S"), when.strftime("%p")


# --- the program ---------------------------------------------------------------------

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
            ids = self.display.xdotool("search", "--onlyvisible", "--name",
                                       "^%s$" % WINDOW_TITLE, check=False).split()
            for wid in ids:
                info = self.display.window_info(wid)
                if info and info["width"] >= 100 and info["height"] >= 100:
                    return int(wid)
            return None
        self.window = poll(found, timeout, 'the window "%s"' % WINDOW_TITLE, interval=0.1)
        return self.window

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
            ids = self.display.xdotool("search", "--onlyvisible", "--name", "^%s$" % title,
                                       check=False).split()
            return int(ids[0]) if ids else None
        return poll(found, timeout, 'the dialog "%s"' % title, interval=0.1)

    def type_into(self, window, text):
        self.display.xdotool("windowfocus", "--sync", window)
        self.display.xdotool("type", "--delay", "40", text)
        self.display.xdotool("key", "Return")

    def stop(self, sig=signal.SIGTERM, timeout=10):
        stop_process(self.proc, sig, timeout)


@contextlib.contextmanager
def alarm_clock(display, pulse, workdir, start, extra_env=None, zone=None, program=None):
    """The program (APP_BIN unless told) under a fake clock starting at
    `start` in `zone`, its debug categories on and its output captured to a
    file. On failure the output's tail is printed."""
    workdir = Path(workdir)
    program = Path(program or APP_BIN)
    clock = FakeClock(workdir / "faketime.rc", start, zone)
    home = workdir / "home"
    home.mkdir(exist_ok=True)
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QT_", "PULSE_", "FAKETIME", "LD_PRELOAD", "ALARM_"))}
    env.update(DISPLAY=display.name, PULSE_SERVER=pulse.server,
               XDG_RUNTIME_DIR=str(pulse.runtime_dir))
    env.update(clock.env())
    env.update(HOME=str(home), LANG="C.UTF-8", LC_ALL="C.UTF-8",
               QT_LOGGING_RULES="alarmclock.*=true", QT_QPA_PLATFORM="xcb",
               QT_ACCESSIBILITY="0", NO_AT_BRIDGE="1",
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
    proc = subprocess.Popen([str(program)], cwd=str(workdir), env=env, stdout=log,
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


@contextlib.contextmanager
def rig(start, tray=False, zone=None, program=None):
    """Everything a test needs: a temp folder, X, PulseAudio, optionally the
    tray host, and the program. Yields (app, display, pulse, tray host or None, workdir)."""
    with contextlib.ExitStack() as stack:
        workdir = stack.enter_context(temp_dir())
        display = stack.enter_context(xvfb())
        host = stack.enter_context(trayer(display)) if tray else None
        pulse = stack.enter_context(pulseaudio(workdir / "runtime"))
        app = stack.enter_context(alarm_clock(display, pulse, workdir, start, zone=zone,
                                              program=program))
        yield app, display, pulse, host, workdir


def require_program():
    if not APP_BIN.exists():
        raise SystemExit("no program at %s (set ALARM_BIN)" % APP_BIN)
