#!/usr/bin/env python3
"""The installed program.

`cmake --install` into a temporary DESTDIR under the prefix /usr must lay out
a complete program: the executable with its data in a private folder, a
launcher in bin/, a desktop entry, AppStream metainfo, hicolor icons and the
licences. The desktop files must pass the validators, and the program started
through the launcher, from an unrelated working directory, must show its
window, render with the installed fonts and play the installed voice clips.
"""

import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

SOURCE = Path(os.environ.get("ALARM_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ["ALARM_BUILD_DIR"])
BUILD_BIN = Path(os.environ["ALARM_BIN"])
APP_ID = "io.github.alarmclock.AlarmClock"
PRIVATE = Path("usr/lib/alarm-clock")
FONTS = ["DS-DIGI.TTF", "DS-DIGIB.TTF", "DS-DIGII.TTF", "DS-DIGIT.TTF"]
ICON_SIZES = [16, 32, 48, 64, 128]
DATA_FILES = (["bg.jpg", "on.jpg", "off.jpg", "settings.jpg", "track.jpg", "buzz.jpg", "song.jpg",
               "icon.ico", "icon.svg", "OFL.txt"] + FONTS
              + ["icon-%d.png" % size for size in ICON_SIZES])
SINK = "test_null"

ROOT = Path()  # the DESTDIR, set by setUpModule


def project_version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\([^)]*VERSION\s+([0-9.]+)", text).group(1)


def files_under(top):
    return sorted(p.relative_to(top) for p in Path(top).rglob("*") if not p.is_dir())


def png_size(path):
    data = Path(path).read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def setUpModule():
    global ROOT
    ROOT = Path(tempfile.mkdtemp(prefix="alarm-install-"))
    env = dict(os.environ, DESTDIR=str(ROOT))
    result = subprocess.run(
        ["cmake", "--install", str(BUILD), "--prefix", "/usr"],
        env=env, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise RuntimeError("cmake --install failed:\n" + result.stdout + result.stderr)


def tearDownModule():
    shutil.rmtree(ROOT, ignore_errors=True)


class InstallTree(unittest.TestCase):
    def test_private_folder_holds_the_executable(self):
        exe = ROOT / PRIVATE / "alarm-clock"
        self.assertTrue(exe.is_file(), exe)
        self.assertTrue(os.access(exe, os.X_OK), "not executable: %s" % exe)

    def test_private_folder_holds_the_data_of_the_build_tree(self):
        # What the build tree lays flat beside the executable for it to run in
        # place must lie beside the installed executable too, byte for byte.
        built = BUILD_BIN.parent
        for name in DATA_FILES:
            with self.subTest(name=name):
                installed = ROOT / PRIVATE / name
                self.assertTrue(installed.is_file(), installed)
                self.assertEqual(installed.read_bytes(), (built / name).read_bytes(), name)

    def test_private_folder_holds_the_sounds_of_the_build_tree(self):
        built = BUILD_BIN.parent / "sounds"
        want = files_under(built)
        self.assertTrue(want, "the build tree has no sounds/ beside the executable")
        self.assertEqual(files_under(ROOT / PRIVATE / "sounds"), want)
        for rel in want:
            self.assertEqual((built / rel).read_bytes(),
                             (ROOT / PRIVATE / "sounds" / rel).read_bytes(), rel)

    def test_sounds_have_both_languages_and_the_beep(self):
        sounds = ROOT / PRIVATE / "sounds"
        self.assertTrue((sounds / "beep.wav").is_file())
        for lang in ["en", "fr"]:
            with self.subTest(lang=lang):
                clips = list((sounds / lang).glob("*.wav"))
                self.assertTrue(clips, "no clips in sounds/%s" % lang)
                for clip in clips + [sounds / "beep.wav"]:
                    self.assertEqual(clip.read_bytes()[:4], b"RIFF", clip)
        self.assertEqual(sorted(p.name for p in (sounds / "en").glob("*.wav")),
                         sorted(p.name for p in (sounds / "fr").glob("*.wav")))

    def test_launcher_is_a_relative_link_to_the_private_executable(self):
        launcher = ROOT / "usr/bin/alarm-clock"
        self.assertTrue(launcher.is_symlink(), launcher)
        self.assertEqual(os.readlink(launcher), "../lib/alarm-clock/alarm-clock")
        self.assertEqual(launcher.resolve(), (ROOT / PRIVATE / "alarm-clock").resolve())

    def test_icons_in_hicolor_at_each_size(self):
        hicolor = ROOT / "usr/share/icons/hicolor"
        for size in ICON_SIZES:
            with self.subTest(size=size):
                path = hicolor / ("%dx%d/apps/%s.png" % (size, size, APP_ID))
                self.assertTrue(path.is_file(), path)
                self.assertEqual(png_size(path), (size, size), path)
        svg = hicolor / "scalable/apps" / (APP_ID + ".svg")
        self.assertTrue(svg.is_file(), svg)
        self.assertEqual(ET.parse(svg).getroot().tag, "{http://www.w3.org/2000/svg}svg")

    def test_licences(self):
        doc = ROOT / "usr/share/doc/alarm-clock"
        self.assertIn("MIT License", (doc / "LICENSE").read_text())
        self.assertIn("SIL OPEN FONT LICENSE", (doc / "OFL.txt").read_text().upper())
        self.assertEqual((doc / "OFL.txt").read_bytes(),
                         (ROOT / PRIVATE / "OFL.txt").read_bytes())

    def test_nothing_outside_the_program_tree(self):
        # No test binaries, headers or static libraries may ride along.
        allowed = ("usr/bin/alarm-clock", "usr/lib/alarm-clock/", "usr/share/applications/",
                   "usr/share/metainfo/", "usr/share/icons/hicolor/", "usr/share/doc/alarm-clock/")
        stray = [str(p) for p in files_under(ROOT) if not str(p).startswith(allowed)]
        self.assertEqual(stray, [])


class DesktopIntegration(unittest.TestCase):
    def desktop_entry(self):
        return ROOT / "usr/share/applications" / (APP_ID + ".desktop")

    def metainfo(self):
        return ROOT / "usr/share/metainfo" / (APP_ID + ".metainfo.xml")

    def test_desktop_entry_validates(self):
        result = subprocess.run(["desktop-file-validate", str(self.desktop_entry())],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout.strip(), "", "warnings: " + result.stdout)

    def test_desktop_entry_launches_the_installed_program_with_its_icon(self):
        entry = dict(line.split("=", 1) for line in self.desktop_entry().read_text().splitlines()
                     if "=" in line and not line.startswith("#"))
        self.assertEqual(entry["Name"], "Alarm Clock")
        self.assertEqual(entry["Type"], "Application")
        self.assertTrue((ROOT / "usr/bin" / entry["Exec"].split()[0]).exists(), entry["Exec"])
        self.assertEqual(entry["Icon"], APP_ID)
        self.assertIn("Utility;", entry["Categories"])

    def test_metainfo_validates(self):
        result = subprocess.run(["appstreamcli", "validate", "--no-net", str(self.metainfo())],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_metainfo_names_the_desktop_entry_binary_and_version(self):
        root = ET.parse(self.metainfo()).getroot()
        self.assertEqual(root.get("type"), "desktop-application")
        self.assertEqual(root.findtext("id"), APP_ID)
        self.assertEqual(root.findtext("name"), "Alarm Clock")
        self.assertEqual(root.findtext("metadata_license"), "CC0-1.0")
        self.assertEqual(root.findtext("launchable"), self.desktop_entry().name)
        binary = root.findtext("provides/binary")
        self.assertTrue((ROOT / "usr/bin" / binary).exists(), binary)
        self.assertEqual(root.find("releases/release").get("version"), project_version())


# --- The installed program running on a private X server and sound server. ---

def start_xvfb():
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=[write_end],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                raise RuntimeError("Xvfb did not report a display")
            number += chunk
    return proc, ":" + number.decode().strip()


def start_pulse(runtime_dir):
    socket = os.path.join(runtime_dir, "pulse", "native")
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir, HOME=runtime_dir)
    proc = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         "--disallow-exit", "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
         "-L", "module-null-sink sink_name=" + SINK],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    server = "unix:" + socket
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        sinks = subprocess.run(["pactl", "list", "short", "sinks"], capture_output=True, text=True,
                               env=dict(env, PULSE_SERVER=server))
        if SINK in sinks.stdout:
            return proc, server
        time.sleep(0.02)
    proc.kill()
    raise RuntimeError("PulseAudio did not come up")


def stop(proc):
    if proc and proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class MonitorRecorder:
    """Records the null sink's monitor and notes when sound first appears."""

    def __init__(self, env):
        self.heard = threading.Event()
        self.peak = 0
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--raw", "--format=s16le", "--rate=44100",
             "--channels=2", "--latency-msec=20"], env=env, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        self.thread = threading.Thread(target=self.read, daemon=True)
        self.thread.start()

    def read(self):
        while True:
            chunk = self.proc.stdout.read(4410)
            if not chunk:
                return
            samples = struct.unpack("<%dh" % (len(chunk) // 2), chunk[: len(chunk) // 2 * 2])
            peak = max((abs(s) for s in samples), default=0)
            self.peak = max(self.peak, peak)
            if peak > 500:
                self.heard.set()

    def stop(self):
        stop(self.proc)


class InstalledProgramRuns(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = Path(tempfile.mkdtemp(prefix="alarm-run-"))
        runtime = cls.tmp / "runtime"
        runtime.mkdir(mode=0o700)
        cls.xvfb = cls.pulse = cls.app = None
        try:
            cls.xvfb, display = start_xvfb()
            cls.pulse, server = start_pulse(str(runtime))
            env = {k: v for k, v in os.environ.items()
                   if not k.startswith(("ALARM_", "QT_", "PULSE_"))}
            env.update(DISPLAY=display, PULSE_SERVER=server, XDG_RUNTIME_DIR=str(runtime),
                       HOME=str(cls.tmp), QT_LOGGING_RULES="alarmclock.*=true")
            cls.env = env
            # Started through the launcher from a folder that holds nothing: the
            # program must find its data through its own resolved path.
            workdir = cls.tmp / "elsewhere"
            workdir.mkdir()
            cls.log = open(cls.tmp / "app.log", "w+")
            cls.app = subprocess.Popen([str(ROOT / "usr/bin/alarm-clock")], cwd=workdir, env=env,
                                       stdout=cls.log, stderr=subprocess.STDOUT)
            found = cls.xdotool("search", "--sync", "--onlyvisible", "--name", "^Alarm Clock$",
                                timeout=30)
            cls.window = found.split()[0]
        except Exception:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        stop(cls.app)
        stop(cls.pulse)
        stop(cls.xvfb)
        if hasattr(cls, "log"):
            cls.log.close()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    @classmethod
    def xdotool(cls, *args, timeout=10):
        result = subprocess.run(["xdotool", *args], env=cls.env, capture_output=True, text=True,
                                timeout=timeout)
        if result.returncode != 0:
            raise RuntimeError("xdotool %s: %s" % (" ".join(args), result.stderr))
        return result.stdout

    def app_log(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def mapped_files(self):
        try:
            maps = Path("/proc/%d/maps" % self.app.pid).read_text()
        except OSError:
            return set()
        return {line.split(None, 5)[5].strip() for line in maps.splitlines()
                if len(line.split(None, 5)) == 6}

    def test_window_is_shown_by_the_running_program(self):
        self.assertIsNone(self.app.poll(), "the program exited:\n" + self.app_log())
        self.assertTrue(self.window)

    def test_time_label_uses_the_installed_fonts(self):
        # The font engine maps the font file that it draws the digits with.
        installed = {str(ROOT / PRIVATE / name) for name in FONTS}
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and not (installed & self.mapped_files()):
            time.sleep(0.1)
        self.assertTrue(installed & self.mapped_files(),
                        "no installed font file is in use; log:\n" + self.app_log())

    def test_arming_plays_the_installed_switch_on_clip(self):
        recorder = MonitorRecorder(self.env)
        try:
            self.xdotool("mousemove", "--window", self.window, "49", "76", "click", "1")
            dialog = self.xdotool("search", "--sync", "--onlyvisible", "--name", "^Set Alarm$",
                                  timeout=10).split()[0]
            self.xdotool("windowfocus", "--sync", dialog)
            self.xdotool("type", "--delay", "30", "07:00 AM")
            self.xdotool("key", "Return")
            heard = recorder.heard.wait(timeout=10)
        finally:
            recorder.stop()
        self.assertTrue(heard, "the sink stayed silent (peak %d); log:\n%s"
                        % (recorder.peak, self.app_log()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
