"""A private PulseAudio server with a null sink, and recordings of what was
played on it (the sink's monitor)."""

import contextlib
import os
import re
import subprocess
import time
from pathlib import Path

import numpy as np
import soundfile

from paths import artifact
from procs import poll, run, say, stop_process
from sound import RATE

SINK = "test_null"
SECOND = "test_second"  # a second output, added by the tests that need one


class Pulse:
    def __init__(self, runtime_dir):
        self.runtime_dir = runtime_dir
        self.proc = None  # the server process, while the fixture runs one
        self.server = "unix:%s/pulse/native" % runtime_dir
        self.env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime_dir), PULSE_SERVER=self.server)

    def pactl(self, *args):
        return run(["pactl", *args], self.env).stdout

    def muted(self, sink=SINK):
        out = self.pactl("get-sink-mute", sink)
        match = re.search(r"Mute:\s*(yes|no)", out)
        if not match:
            raise RuntimeError("unexpected pactl output: %r" % out)
        return match.group(1) == "yes"

    def set_muted(self, muted, sink=SINK):
        self.pactl("set-sink-mute", sink, "1" if muted else "0")

    def volume(self, sink=SINK):
        """The sink's level in percent, as the sound settings show it (its first channel)."""
        out = self.pactl("get-sink-volume", sink)
        match = re.search(r"/\s*(\d+)%", out)
        if not match:
            raise RuntimeError("unexpected pactl output: %r" % out)
        return int(match.group(1))

    def set_volume(self, percent, sink=SINK):
        self.pactl("set-sink-volume", sink, "%d%%" % percent)

    def add_sink(self, name=SECOND):
        """Another null sink (headphones plugged in); gives its module's index."""
        return int(self.pactl("load-module", "module-null-sink", "sink_name=%s" % name))

    def remove_sink(self, module):
        self.pactl("unload-module", str(module))

    def set_default(self, sink):
        self.pactl("set-default-sink", sink)


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


class Recorder:
    """Records the null sink's monitor (what the program played) as 16-bit mono
    at RATE into a raw file; samples() reads what has arrived so far."""

    def __init__(self, pulse, path):
        self.path = Path(path)
        self.file = open(self.path, "wb")
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--raw", "--format=s16le", "--rate=%d" % RATE,
             "--channels=1", "--latency-msec=20"],
            env=pulse.env, stdout=self.file, stderr=subprocess.DEVNULL)
        self.started = time.monotonic()

    def raw(self):
        """Everything recorded so far, as 16-bit samples."""
        self.file.flush()
        data = self.path.read_bytes()
        return np.frombuffer(data[: len(data) // 2 * 2], dtype="<i2")

    def samples(self):
        """Everything recorded so far, as floats in [-1, 1]."""
        return self.raw() / 32768.0

    def seconds(self):
        return len(self.raw()) / RATE

    def stop(self):
        stop_process(self.proc)
        self.file.close()

    def keep(self, name):
        """Saves what was recorded as a WAV artefact; returns its path."""
        path = artifact(name)
        soundfile.write(path, self.raw(), RATE, subtype="PCM_16")
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
