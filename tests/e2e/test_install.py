#!/usr/bin/env python3
"""The installed program.

`cmake --install` into a temporary DESTDIR under the prefix /usr must lay out
a complete program: the executable with its data in a private folder, a
launcher in bin/, a desktop entry, AppStream metainfo, hicolor icons and the
licences. The desktop files must pass the validators, and the program started
through the launcher, from an unrelated working directory, must show its
window, render with the installed fonts and play the installed voice clips.
"""

import contextlib
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

from app import BUT_ON_OFF, App, program_env
from procs import poll, say, temp_dir
from pulse import Recorder, pulseaudio
from sound import best_match, load_wav
from xserver import xvfb

SOURCE = Path(os.environ.get("ALARM_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ["ALARM_BUILD_DIR"])
BUILD_BIN = Path(os.environ["ALARM_BIN"])
APP_ID = "io.github.alarmclock.AlarmClock"
PRIVATE = Path("usr/lib/alarm-clock")
# The build's one list of the data laid beside the program (cmake/DataFiles.cmake).
DATA_FILES = os.environ["ALARM_DATA_NAMES"].split(":")
FONTS = [name for name in DATA_FILES if name.endswith(".TTF")]
ICON_SIZES = [int(name[5:-4]) for name in DATA_FILES if re.fullmatch(r"icon-\d+\.png", name)]

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
        """The program, and beside it the wake helper it starts."""
        for name in ("alarm-clock", "alarm-clock-wake"):
            exe = ROOT / PRIVATE / name
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
        # The two languages share the day-half clips but not their words.
        for lang in ["en", "fr"]:
            names = {p.name for p in (sounds / lang).glob("*.wav")}
            self.assertTrue({"am.wav", "pm.wav"} <= names, lang)

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
                   "usr/share/metainfo/", "usr/share/icons/hicolor/", "usr/share/doc/alarm-clock/",
                   "usr/share/man/man1/alarm-clock.1.gz",
                   "usr/share/lintian/overrides/alarm-clock")
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
        # Debian 12's desktop-file-utils (0.26) predates the entry format 1.5 and
        # its SingleMainWindow key; anything else it reports is a fault.
        problems = [line for line in result.stdout.splitlines()
                    if '"SingleMainWindow"' not in line]
        self.assertEqual(problems, [], result.stdout + result.stderr)
        self.assertEqual(result.stderr.strip(), "")

    def test_desktop_entry_launches_the_installed_program_with_its_icon(self):
        entry = dict(line.split("=", 1) for line in self.desktop_entry().read_text().splitlines()
                     if "=" in line and not line.startswith("#"))
        self.assertEqual(entry["Name"], "Alarm Clock")
        self.assertEqual(entry["Type"], "Application")
        self.assertTrue((ROOT / "usr/bin" / entry["Exec"].split()[0]).exists(), entry["Exec"])
        self.assertEqual(entry["Icon"], APP_ID)
        self.assertIn("Utility;", entry["Categories"])
        # One clock window, matched to this entry by its class.
        self.assertEqual(entry["SingleMainWindow"], "true")
        self.assertEqual(entry["StartupWMClass"], "alarm-clock")

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


# --- The installed program, on a private X server and sound server. ---

CLIP_MATCH = 0.6  # normalized cross-correlation that counts as "heard"


class InstalledProgramRuns(unittest.TestCase):
    def setUp(self):
        self.stack = contextlib.ExitStack()
        self.addCleanup(self.stack.close)
        self.workdir = self.stack.enter_context(temp_dir("alarm-installed-"))
        self.display = self.stack.enter_context(xvfb())
        self.pulse = self.stack.enter_context(pulseaudio(self.workdir / "runtime"))
        self.app = self.start()

    def start(self):
        """The installed program, started through the launcher from a folder
        that holds nothing of it: it must find its data through its own
        resolved path. No variable of the build tree reaches it."""
        elsewhere = self.workdir / "elsewhere"
        elsewhere.mkdir()
        env = program_env(self.display, self.pulse, elsewhere)
        env.update(QT_LOGGING_RULES="alarmclock.*=true")
        log_path = self.workdir / "alarm-clock.log"
        log = self.stack.enter_context(open(log_path, "w"))
        proc = subprocess.Popen([str(ROOT / "usr/bin/alarm-clock")], cwd=str(elsewhere),
                                env=env, stdout=log, stderr=subprocess.STDOUT)
        app = App(self.display, proc, log_path, clock=None)
        self.stack.callback(app.stop)
        return app

    def mapped_files(self):
        try:
            maps = Path("/proc/%d/maps" % self.app.proc.pid).read_text()
        except OSError:
            return set()
        return {fields[5].strip() for fields in (line.split(None, 5) for line in maps.splitlines())
                if len(fields) == 6}

    def test_window_fonts_and_switch_on_clip(self):
        try:
            self.check_window_fonts_and_switch_on_clip()
        except BaseException:
            say("---- installed program output (tail) ----")
            say(self.app.tail())
            raise

    def check_window_fonts_and_switch_on_clip(self):
        window = self.app.find_window()
        say("window %#x of the installed program" % window)

        say("checks: the time label is drawn with a font file of the private folder")
        installed_fonts = {str(ROOT / PRIVATE / name) for name in FONTS}
        in_use = poll(lambda: installed_fonts & self.mapped_files(), 10,
                              "an installed font file mapped by the program")
        say("   in use:", ", ".join(sorted(Path(f).name for f in in_use)))

        say("checks: arming plays the installed switch-on clip")
        clip = load_wav(ROOT / PRIVATE / "sounds/en/alarm_set.wav")
        with Recorder(self.pulse, self.workdir / "monitor.raw") as rec:
            self.app.click(*BUT_ON_OFF)
            self.app.type_into(self.app.dialog("Set Alarm"), "07:00 AM")

            def heard():
                at, score = best_match(rec.samples(), clip)
                return (at, score) if score > CLIP_MATCH else None
            at, score = poll(heard, 15, "alarm_set.wav on the sink's monitor",
                                     interval=0.3)
        say("   alarm_set.wav at %.2f s (match %.2f)" % (at, score))
        self.assertTrue(self.app.running(), "the program exited")


if __name__ == "__main__":
    unittest.main(verbosity=2)
