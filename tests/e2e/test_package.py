#!/usr/bin/env python3
"""The Debian package.

Packs the current build directory with `cpack -G DEB` into a temporary folder
and checks the control fields and the file list of the .deb. Skipped (exit 0,
with a message) only when dpkg-deb is not installed.
"""

import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

SOURCE = Path(os.environ.get("ALARM_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ["ALARM_BUILD_DIR"])
APP_ID = "io.github.alarmclock.AlarmClock"

DEB = None
WORK = None


def project_version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\([^)]*VERSION\s+([0-9.]+)", text).group(1)


def setUpModule():
    global DEB, WORK
    if not shutil.which("dpkg-deb"):
        raise unittest.SkipTest("dpkg-deb is not installed (Debian package dpkg)")
    WORK = Path(tempfile.mkdtemp(prefix="alarm-deb-"))
    result = subprocess.run(
        ["cpack", "-G", "DEB", "-B", str(WORK), "--config", str(BUILD / "CPackConfig.cmake")],
        cwd=BUILD, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        raise RuntimeError("cpack failed:\n" + result.stdout + result.stderr)
    debs = list(WORK.glob("alarm-clock_*.deb"))
    if len(debs) != 1:
        raise RuntimeError("expected one alarm-clock_*.deb, found %s:\n%s" % (debs, result.stdout))
    DEB = debs[0]


def tearDownModule():
    if WORK:
        shutil.rmtree(WORK, ignore_errors=True)


def field(name):
    return subprocess.run(["dpkg-deb", "-f", str(DEB), name], capture_output=True, text=True,
                          check=True).stdout.strip()


def dependency_names(text):
    """Package names of a Depends-style field, alternatives included."""
    return {re.split(r"[\s(:]", alt.strip())[0] for clause in text.split(",")
            for alt in clause.split("|") if alt.strip()}


def listing():
    """Maps each path in the package (without ./) to its `dpkg-deb -c` line."""
    out = subprocess.run(["dpkg-deb", "-c", str(DEB)], capture_output=True, text=True,
                         check=True).stdout
    entries = {}
    for line in out.splitlines():
        path = line.split(None, 5)[5].split(" -> ")[0]
        entries[path.removeprefix("./").rstrip("/")] = line
    return entries


class ControlFields(unittest.TestCase):
    def test_file_name_carries_version_and_architecture(self):
        arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                              check=True).stdout.strip()
        self.assertEqual(DEB.name, "alarm-clock_%s_%s.deb" % (project_version(), arch))

    def test_identity_fields(self):
        for name, want in [("Package", "alarm-clock"), ("Version", project_version()),
                           ("Section", "utils"), ("Priority", "optional")]:
            with self.subTest(field=name):
                self.assertEqual(field(name), want)

    def test_maintainer_is_a_name_and_address(self):
        self.assertRegex(field("Maintainer"), r"^[^<>]+ <[^<>@\s]+@[^<>@\s]+>$")

    def test_description_has_summary_and_body(self):
        lines = field("Description").splitlines()
        self.assertIn("alarm clock", lines[0].lower())
        self.assertGreater(len(lines), 1, "no long description")

    def test_depends_covers_linked_libraries_and_player_plugins(self):
        depends = dependency_names(field("Depends"))
        for name in ["libqt6widgets6", "libqt6dbus6", "libpulse0", "libsndfile1",
                     "libgstreamer1.0-0", "gstreamer1.0-plugins-base",
                     "gstreamer1.0-plugins-good", "gstreamer1.0-libav"]:
            with self.subTest(package=name):
                self.assertIn(name, depends)

    def test_recommends_wma_decoder_and_sound_server(self):
        recommends = field("Recommends")
        self.assertIn("gstreamer1.0-plugins-ugly", dependency_names(recommends))
        self.assertRegex(recommends, r"pulseaudio\s*\|\s*pipewire-pulse")


    def test_apt_can_resolve_every_dependency(self):
        if not shutil.which("apt-get"):
            self.skipTest("apt-get is not installed")
        result = subprocess.run(["apt-get", "install", "--simulate", "--no-install-recommends",
                                 str(DEB)], capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


class FileList(unittest.TestCase):
    def test_program_data_and_desktop_files_under_usr(self):
        entries = listing()
        wanted = ["usr/bin/alarm-clock", "usr/lib/alarm-clock/alarm-clock",
                  "usr/lib/alarm-clock/sounds/beep.wav", "usr/lib/alarm-clock/OFL.txt",
                  "usr/share/applications/%s.desktop" % APP_ID,
                  "usr/share/metainfo/%s.metainfo.xml" % APP_ID,
                  "usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
                  "usr/share/doc/alarm-clock/LICENSE", "usr/share/doc/alarm-clock/OFL.txt",
                  "usr/share/doc/alarm-clock/copyright", "usr/share/doc/alarm-clock/changelog.gz",
                  "usr/share/man/man1/alarm-clock.1.gz"]
        wanted += ["usr/lib/alarm-clock/%s" % f
                   for f in ["DS-DIGI.TTF", "DS-DIGIB.TTF", "DS-DIGII.TTF", "DS-DIGIT.TTF"]]
        wanted += ["usr/share/icons/hicolor/%dx%d/apps/%s.png" % (s, s, APP_ID)
                   for s in [16, 32, 48, 64, 128]]
        for path in wanted:
            with self.subTest(path=path):
                self.assertIn(path, entries)
        for lang in ["en", "fr"]:
            with self.subTest(lang=lang):
                clips = [p for p in entries
                         if p.startswith("usr/lib/alarm-clock/sounds/%s/" % lang)
                         and p.endswith(".wav")]
                self.assertTrue(clips, "no %s clips" % lang)

    def test_launcher_is_a_symlink_into_the_private_folder(self):
        line = listing()["usr/bin/alarm-clock"]
        self.assertTrue(line.startswith("l"), line)
        self.assertTrue(line.endswith("-> ../lib/alarm-clock/alarm-clock"), line)

    def test_executable_is_stripped_and_executable(self):
        """The program and its wake helper, beside it."""
        with tempfile.TemporaryDirectory() as tree:
            subprocess.run(["dpkg-deb", "-x", str(DEB), tree], check=True)
            for name in ("alarm-clock", "alarm-clock-wake"):
                line = listing()["usr/lib/alarm-clock/" + name]
                self.assertTrue(line.startswith("-rwxr-xr-x"), line)
                kind = subprocess.run(["file", "-b", tree + "/usr/lib/alarm-clock/" + name],
                                      capture_output=True, text=True, check=True).stdout
                self.assertIn("ELF", kind, name)
                self.assertIn("stripped", kind, name)
                self.assertNotIn("not stripped", kind, name)

    def test_postinst_gives_the_helper_its_capability_and_never_fails_for_it(self):
        """postinst configure runs setcap on the helper; a setcap that fails,
        or none at all, still lets the package install."""
        self.assertIn("libcap2-bin", dependency_names(field("Recommends")))
        with tempfile.TemporaryDirectory() as tmp:
            control = Path(tmp) / "control"
            subprocess.run(["dpkg-deb", "-e", str(DEB), str(control)], check=True)
            postinst = control / "postinst"
            self.assertTrue(os.access(postinst, os.X_OK), "postinst is not executable")
            fake = Path(tmp) / "bin"
            fake.mkdir()
            calls = Path(tmp) / "calls"
            for status, path in ((0, str(fake)), (1, str(fake)), (0, "/nonexistent")):
                (fake / "setcap").write_text('#!/bin/sh\necho "$@" >> %s\nexit %d\n'
                                             % (calls, status))
                (fake / "setcap").chmod(0o755)
                result = subprocess.run(["/bin/sh", str(postinst), "configure"],
                                        env={"PATH": path + ":/usr/bin:/bin"}
                                        if path != "/nonexistent" else {"PATH": path},
                                        capture_output=True, text=True)
                self.assertEqual(result.returncode, 0, (status, path, result.stderr))
            self.assertEqual(calls.read_text().splitlines(),
                             ["cap_wake_alarm+ep /usr/lib/alarm-clock/alarm-clock-wake"] * 2)

    def test_everything_lies_under_usr(self):
        stray = [p for p in listing() if p not in (".", "") and not p.startswith("usr")]
        self.assertEqual(stray, [])


class Lintian(unittest.TestCase):
    # Warnings left, with the reason for each:
    # - truetype-font-prohibits-installable-embedding: the DSEG fonts that the
    #   clock's display font is made from carry the "editable embedding" flag;
    #   it governs embedding the font in documents, which the clock never does.
    LEFT = {"truetype-font-prohibits-installable-embedding"}

    def test_no_errors_and_no_unexplained_warnings(self):
        if not shutil.which("lintian"):
            self.skipTest("lintian is not installed")
        result = subprocess.run(["lintian", "--tag-display-limit", "0", str(DEB)],
                                capture_output=True, text=True, timeout=300)
        tags = [line for line in result.stdout.splitlines() if re.match(r"[EW]: ", line)]
        for line in tags:
            print("  ", line)
        self.assertEqual([t for t in tags if t.startswith("E: ")], [], result.stderr)
        warnings = {t.split()[2] for t in tags if t.startswith("W: ")}
        self.assertLessEqual(warnings, self.LEFT, "new lintian warnings")

    def test_no_hardening_tag(self):
        """Built as Debian builds packages (stack protector, fortified calls,
        PIE, full RELRO, -z now): lintian, info tags included, names none of
        the hardening tags. Only an optimised build without sanitizers can be
        fortified, so others are not judged."""
        if not shutil.which("lintian"):
            self.skipTest("lintian is not installed")
        cache = (BUILD / "CMakeCache.txt").read_text()
        if (re.search(r"^CMAKE_BUILD_TYPE:\w+=(Debug)?$", cache, re.M)
                or re.search(r"^ALARM_SANITIZE:\w+=ON$", cache, re.M)):
            self.skipTest("a debug or sanitizer build is not hardened (the release preset is)")
        result = subprocess.run(["lintian", "-I", "--tag-display-limit", "0", str(DEB)],
                                capture_output=True, text=True, timeout=300)
        tags = [line for line in result.stdout.splitlines() if ": hardening-" in line]
        self.assertEqual(tags, [], result.stdout)

    def test_copyright_is_machine_readable_and_changelog_compressed(self):
        with tempfile.TemporaryDirectory() as tree:
            subprocess.run(["dpkg-deb", "-x", str(DEB), tree], check=True)
            doc = Path(tree) / "usr/share/doc/alarm-clock"
            copyright_text = (doc / "copyright").read_text()
            changelog = subprocess.run(["gzip", "-dc", str(doc / "changelog.gz")],
                                       capture_output=True, text=True, check=True).stdout
        self.assertTrue(copyright_text.startswith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"))
        for licence in ["License: Expat", "License: OFL-1.1"]:
            self.assertIn(licence, copyright_text)
        self.assertTrue(changelog.startswith("alarm-clock (%s) " % project_version()), changelog)


if __name__ == "__main__":
    unittest.main(verbosity=2)
