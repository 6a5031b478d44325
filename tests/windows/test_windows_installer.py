#!/usr/bin/env python3
"""The installer under Wine, over a running clock as a user meets it. A
silent install (/S) lays the program, its data, the Start-menu shortcut, the
uninstaller and a full uninstall entry; the installed clock starts, shows its
window, and holds none of its pictures and fonts open (a Windows program can
delete them). Then, each time over a clock that is armed and has muted the
output: a silent reinstall and one through the installer's pages replace
every file of an older version in place, and the silent uninstaller leaves
nothing behind; each time the clock ended by itself with status 0 and put
the mute back. An update starts the clock it closed again, set as it was: a
clock started by hand with a restart command line (alarm, track, French)
comes up armed and muted and registers that same line; the silent update
over it starts a clock that registers it again, mutes, and at the minute
rings with the track, heard on the monitor; the update through the pages
starts again a clock armed through the switch. The uninstaller also removes
the empty state folder. A clock that does not answer (stopped) makes the
silent installer give up with status 2 before it changes anything. The installed
program carries its version resource and its manifest (DPI awareness, common
controls 6, Windows 10 and 11). The installer and
the clock share one Wine server, as they share one session on Windows."""

import contextlib
import filecmp
import shlex
import struct
import wave
import os
import re
import signal
import subprocess
import sys
import unittest
from pathlib import Path
from xml.etree import ElementTree

sys.path[:0] = [str(Path(__file__).resolve().parents[1] / "e2e"), str(Path(__file__).parent)]

import numpy as np  # noqa: E402

from app import alarm_clock, program_env  # noqa: E402
from procs import poll, run, say, temp_dir  # noqa: E402
from pulse import Recorder, pulseaudio  # noqa: E402
from sound import RATE  # noqa: E402
from test_formats import TONE, TONE_ALONE, tone_share  # noqa: E402
from test_windows_alarm import MUTE, mutes, windows_path  # noqa: E402
from wine import WINE_RUN, warm_wine  # noqa: E402
from xserver import xvfb  # noqa: E402

SETUP = Path(os.environ.get("ALARM_SETUP", ""))
STAGE = Path(os.environ.get("ALARM_STAGE", ""))
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\%s" % os.environ.get(
    "ALARM_APP_ID", "io.github.alarmclock.AlarmClock")
PREFIX = os.environ.get("WINEPREFIX") or os.environ.get(
    "ALARM_WINEPREFIX", str(Path.home() / ".wine-alarm-clock"))
# Files an update must replace: the program, a picture and a font it has
# loaded, and a file it never opens.
REPLACED = ["alarm-clock.exe", "bg.jpg", "DS-DIGI.TTF", "LICENSE.txt"]
OLD = b"\0an older version"
SETUP_TITLE = "Alarm Clock Setup"
# The line the clock registers for its restart, as it logs it.
RESTART = re.compile(r"restart registered \(RegisterApplicationRestart \w+\): (.*)")
TONE_HELD = 1.0  # seconds the track's tone is heard without a break: it rings


def tone_track(folder):
    """A 5 s WAV track at TONE Hz."""
    rate = 44100
    samples = (0.4 * 32767 * np.sin(2 * np.pi * TONE * np.arange(5 * rate) / rate))
    path = folder / "tone.wav"
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(samples.astype("<i2").tobytes())
    return path


ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
RT_ICON, RT_GROUP_ICON = 3, 14


def resources(data):
    """The resources of a PE image: {(type, name): bytes}, first language of each."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from(
        "<H", data, pe + 20)[0]
    rsrc_rva = struct.unpack_from("<I", data, pe + 24 + optional - 16 * 8 + 2 * 8)[0]
    for i in range(sections):
        at = pe + 24 + optional + 40 * i
        size, rva, _, raw = struct.unpack_from("<IIII", data, at + 8)
        if rva <= rsrc_rva < rva + size:
            base = raw + rsrc_rva - rva
            delta = rva - raw
            break
    else:
        return {}

    def entries(offset):
        named, ids = struct.unpack_from("<HH", data, base + offset + 12)
        for n in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * n)
            yield name, target

    found = {}
    for kind, types in entries(0):
        for name, langs in entries(types & 0x7FFFFFFF):
            _, leaf = next(entries(langs & 0x7FFFFFFF))
            rva, size = struct.unpack_from("<II", data, base + leaf)
            found[(kind, name)] = data[rva - delta: rva - delta + size]
    return found


def tone_held(heard):
    """Whether the track's tone is heard alone for TONE_HELD s without a break."""
    held = int(TONE_HELD / 0.05)  # frames of test_formats' detector
    share = tone_share(heard)
    return len(share) >= held and np.convolve(share > TONE_ALONE, np.ones(held),
                                              "valid").max() >= held


def windows_split(line):
    """A Windows command line's arguments, as CommandLineToArgvW reads them."""
    args, arg, quoted, started, i = [], "", False, False, 0
    while i < len(line):
        c = line[i]
        if c == "\\":
            n = len(line[i:]) - len(line[i:].lstrip("\\"))
            i += n
            if line[i:i + 1] == '"':
                arg += "\\" * (n // 2)
                if n % 2:
                    arg, i = arg + '"', i + 1
            else:
                arg += "\\" * n
            continue
        if c == '"':
            quoted, started = not quoted, True
        elif c in " \t" and not quoted:
            if arg or started:
                args.append(arg)
            arg, started = "", False
        else:
            arg += c
        i += 1
    if arg or started:
        args.append(arg)
    return args


def registered(log_text):
    """The arguments of the last restart line the clock registered, or None."""
    lines = RESTART.findall(log_text)
    return windows_split(lines[-1]) if lines else None


class Installer(unittest.TestCase):
    def setUp(self):
        self.assertTrue(SETUP.is_file(), "no installer at %s (set ALARM_SETUP)" % SETUP)
        self.assertTrue((STAGE / "alarm-clock.exe").is_file(),
                        "no staged program in %s (set ALARM_STAGE)" % STAGE)
        warm_wine()

    def wine(self, *args, timeout=120, check=True):
        return run([str(WINE_RUN), *map(str, args)], self.env, timeout=timeout, check=check)

    def test_install_update_and_uninstall_over_a_running_clock(self):
        with contextlib.ExitStack() as stack:
            self.workdir = stack.enter_context(temp_dir())
            self.display = stack.enter_context(xvfb())
            self.pulse = stack.enter_context(pulseaudio(self.workdir / "runtime"))
            (self.workdir / "home").mkdir()
            self.env = dict(program_env(self.display, self.pulse, self.workdir / "home"),
                            WINEPREFIX=PREFIX)
            self.folder = Path(self.wine("winepath", "-u", self.expand("LOCALAPPDATA") +
                                         r"\Programs\Alarm Clock").stdout.strip())
            self.shortcut = Path(self.wine("winepath", "-u", self.expand("APPDATA") +
                                           r"\Microsoft\Windows\Start Menu\Programs"
                                           r"\Alarm Clock.lnk").stdout.strip())
            launcher = self.workdir / "alarm-clock"
            launcher.write_text('#!/bin/sh\nexec "%s" "%s"\n'
                                % (WINE_RUN, self.folder / "alarm-clock.exe"))
            launcher.chmod(0o755)
            self.launcher = launcher
            # What an earlier run may have left.
            if (self.folder / "uninstall.exe").exists():
                self.wine(self.folder / "uninstall.exe", "/S", "_?=" + str(self.folder),
                          check=False)

            say("silent install")
            self.wine(SETUP, "/S")
            for path in (self.folder / "uninstall.exe", self.folder / "sounds" / "en" /
                         "seven.wav", self.shortcut):
                self.assertTrue(path.exists(), "not installed: %s" % path)
            self.assertNewFiles()
            entry = self.entry()
            say("uninstall entry:", entry)
            installed = self.wine("winepath", "-w", self.folder).stdout.strip()
            self.assertEqual(entry.get("DisplayIcon"), installed + r"\alarm-clock.exe")
            self.assertEqual(entry.get("InstallLocation"), installed)
            self.assertEqual(entry.get("DisplayVersion"), os.environ.get("ALARM_VERSION", "0.1.0"))
            self.assertEqual(entry.get("Publisher"), "The Alarm Clock developers")
            self.assertEqual((entry.get("NoModify"), entry.get("NoRepair")), ("0x1", "0x1"))
            size_kb = sum(f.stat().st_size for f in self.folder.rglob("*") if f.is_file()) // 1024
            self.assertAlmostEqual(int(entry.get("EstimatedSize", "0"), 16), size_kb,
                                   delta=size_kb // 10)

            self.assertResources(self.folder / "alarm-clock.exe")

            with self.running_clock() as app:
                say("checks: the clock holds no picture or font open: Windows can delete them")
                deleted = self.wine("cmd", "/c", "del", installed + r"\bg.jpg",
                                    installed + r"\DS-DIGI.TTF", check=False)
                self.assertFalse((self.folder / "bg.jpg").exists(),
                                 "bg.jpg is held open: %s" % deleted.stdout.strip())
                self.assertFalse((self.folder / "DS-DIGI.TTF").exists(),
                                 "DS-DIGI.TTF is held open: %s" % deleted.stdout.strip())
                say("silent update over a clock that does not answer (stopped): it gives up, "
                    "changes nothing, and the clock closes once it runs again")
                self.make_old()
                os.kill(app.proc.pid, signal.SIGSTOP)
                try:
                    gave_up = self.wine(SETUP, "/S", timeout=180, check=False)
                finally:
                    os.kill(app.proc.pid, signal.SIGCONT)
                self.assertEqual(gave_up.returncode, 2)
                for name in REPLACED:
                    self.assertTrue((self.folder / name).read_bytes().endswith(OLD),
                                    "%s was changed" % name)
                self.assertEndedCleanly(app)

            track = tone_track(self.workdir)
            line = ["--alarm=07:00 AM", "--track=" + windows_path(track), "--language=fra"]
            with self.running_clock(line) as app:
                say("the restart line given by hand: armed and muted, with its track and "
                    "language, and registered again as it was given")
                self.assertEqual(registered(app.log()), line)
                say("silent update over the armed clock: closed, then started again as it was")
                self.make_old()
                with self.restarted_clock(app) as restarted:
                    self.install("/S")
                    self.assertEndedCleanly(app)
                    self.assertNewFiles()
                    poll(lambda: registered(restarted()) == line, 60,
                         "the clock to run again with the same line")
                    poll(lambda: MUTE.findall(restarted())[-1:] == ["1"], 30,
                         "the clock started again to mute")
                    say("checks: it rings at 7:00 with the track, heard")
                    with Recorder(self.pulse, self.workdir / "ring.raw") as rec:
                        app.clock.set("2026-12-08 06:59:58")
                        poll(lambda: tone_held(rec.samples()), 40, "the track to ring",
                             interval=0.5)
                    self.assertIn("blnAlarm true", restarted())

            with self.running_clock() as app, self.restarted_clock(app) as restarted:
                say("update through the installer's pages over the armed clock")
                self.make_old()
                setup = subprocess.Popen([str(WINE_RUN), str(SETUP)], env=self.setup_env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    self.press_return(SETUP_TITLE + ": Installation Folder", "the directory page")
                    self.assertEndedCleanly(app)
                    # "Close" once the files are in.
                    self.press_return(SETUP_TITLE + ": Completed", "the installer to finish")
                    self.assertEqual(setup.wait(timeout=60), 0)
                finally:
                    if setup.poll() is None:
                        setup.kill()
                self.assertNewFiles()
                poll(lambda: registered(restarted()) == ["--alarm=07:00 AM", "--language=eng"],
                     60, "the clock armed with the switch to run again, armed")
                poll(lambda: MUTE.findall(restarted())[-1:] == ["1"], 30,
                     "the clock started again to mute")

            with self.running_clock() as app:
                say("silent uninstall over the armed clock")
                state = Path(self.wine("winepath", "-u", self.expand("LOCALAPPDATA") +
                                       r"\Alarm Clock").stdout.strip())
                self.assertTrue(state.is_dir(), "no state folder: %s" % state)
                self.wine(self.folder / "uninstall.exe", "/S")
                # The uninstaller runs from a copy of itself and returns at once.
                poll(lambda: not self.folder.exists() and not self.shortcut.exists(), 60,
                     "the program's folder and shortcut to go")
                self.assertEndedCleanly(app)
                self.assertEqual(self.entry(), {}, "the uninstall entry is left")
                poll(lambda: not state.exists(), 30, "the empty state folder to go")

    def install(self, *args):
        """Runs the installer to its end, its output not read: the clock it
        starts again keeps what it inherits open."""
        setup = subprocess.run([str(WINE_RUN), str(SETUP), *args], env=self.setup_env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        self.assertEqual(setup.returncode, 0)

    @contextlib.contextmanager
    def restarted_clock(self, app):
        """Installers run with self.setup_env start their clock again on
        `app`'s fake clock, logging to a file; yields a function that reads the
        log. The clock is closed at the end, as a Windows program is."""
        log = self.workdir / ("restarted-%d.log" % app.proc.pid)
        self.setup_env = dict(self.env, **app.clock.env(), ALARM_LOG=windows_path(log))
        text = lambda: log.read_text(errors="replace") if log.exists() else ""  # noqa: E731
        try:
            yield text
        finally:
            # taskkill without /f asks the windows to close (WM_CLOSE).
            self.wine("taskkill", "/im", "alarm-clock.exe", check=False)
            poll(lambda: not self.clock_processes(), 30, "the clock started again to end")
            say("   the clock started again said:\n" + "\n".join(text().splitlines()[-5:]))

    def clock_processes(self):
        """The clocks that installers of this test started again (they log
        into its folder)."""
        logging_here = b"\0ALARM_LOG=" + windows_path(self.workdir).encode() + b"\\"
        found = []
        for process in Path("/proc").glob("[0-9]*"):
            with contextlib.suppress(OSError):
                if (b"alarm-clock.exe" in (process / "cmdline").read_bytes() and
                        logging_here in b"\0" + (process / "environ").read_bytes()):
                    found.append(int(process.name))
        return found

    def expand(self, variable):
        return self.wine("cmd", "/c", "echo %" + variable + "%").stdout.strip()

    def entry(self):
        """The uninstall entry's values as text, {} when there is none."""
        found = self.wine("reg", "query", UNINSTALL_KEY, check=False)
        values = {}
        for line in found.stdout.splitlines() if found.returncode == 0 else []:
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def assertResources(self, exe):
        """The version resource's texts and the manifest's settings are in the program."""
        data = exe.read_bytes()
        version = os.environ.get("ALARM_VERSION", "0.1.0")
        for key, value in (("ProductName", "Alarm Clock"), ("FileDescription", "Alarm Clock"),
                           ("FileVersion", version), ("ProductVersion", version),
                           ("CompanyName", "The Alarm Clock developers"),
                           ("LegalCopyright", "Copyright 2026 The Alarm Clock developers")):
            # A String of VS_VERSION_INFO: its UTF-16 key, padding, its UTF-16 value.
            pattern = (re.escape(key.encode("utf-16-le")) + b"(?:\0\0)+" +
                       re.escape(value.encode("utf-16-le")) + b"\0\0")
            self.assertTrue(re.search(pattern, data),
                            "no %s %r in the version resource" % (key, value))
        start, end = data.index(b"<assembly"), data.index(b"</assembly>") + len(b"</assembly>")
        manifest = ElementTree.fromstring(data[start:end])
        found = {element.tag.split("}")[1]: (element.text or "", element.attrib)
                 for element in manifest.iter()}
        say("manifest:", {tag: found[tag] for tag in
                          ("dpiAwareness", "dpiAware", "activeCodePage", "supportedOS")})
        self.assertEqual(found["dpiAwareness"][0], "PerMonitorV2, PerMonitor")
        self.assertEqual(found["dpiAware"][0], "true/pm")
        self.assertIn("Microsoft.Windows.Common-Controls", data[start:end].decode())
        self.assertEqual(found["supportedOS"][1]["Id"], "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")

        # The icon group: every size from 16 to 256 px, in 32-bit colour.
        found = resources(data)
        groups = [value for (kind, _), value in found.items() if kind == RT_GROUP_ICON]
        self.assertEqual(len(groups), 1, "not one icon group")
        count = struct.unpack_from("<H", groups[0], 4)[0]
        images = [struct.unpack_from("<BBBBHHIH", groups[0], 6 + 14 * i) for i in range(count)]
        say("icon images (side, bits):", [(w or 256, bits) for w, _, _, _, _, bits, _, _ in images])
        self.assertEqual(sorted(w or 256 for w, *_ in images), ICON_SIZES)
        self.assertEqual({bits for _, _, _, _, _, bits, _, _ in images}, {32})
        for image in images:
            self.assertIn((RT_ICON, image[7]), found, "an icon image is missing")

    @contextlib.contextmanager
    def running_clock(self, arguments=()):
        """The installed clock, armed for 07:00 AM and past its mute (1.5 s
        later): through the switch, or by the restart `arguments` it is given."""
        self.launcher.write_text('#!/bin/sh\nexec "%s" "%s" %s\n'
                                 % (WINE_RUN, self.folder / "alarm-clock.exe",
                                    " ".join(shlex.quote(a) for a in arguments)))
        with alarm_clock(self.display, self.pulse, self.workdir, "2026-12-08 06:30:00",
                         extra_env={"WINEPREFIX": PREFIX}, program=self.launcher) as app:
            info = self.display.window_info(app.find_window(timeout=120))
            self.assertEqual((info["width"], info["height"]), (600, 300))
            if not arguments:
                app.set_alarm("07:00 AM")
            poll(lambda: mutes(app) == ["1"], 15, "the clock to mute the output")
            yield app

    def make_old(self):
        """Makes the installed files those of an older version."""
        for name in REPLACED:
            with open(self.folder / name, "ab") as file:
                file.write(OLD)

    def assertNewFiles(self):
        for name in REPLACED:
            path = self.folder / name
            self.assertTrue(path.exists(), "not installed: %s" % path)
            self.assertTrue(filecmp.cmp(path, STAGE / name, shallow=False),
                            "%s is not the new version's" % name)

    def assertEndedCleanly(self, app):
        poll(lambda: not app.running(), 60, "the installer to end the clock")
        say("   the clock ended with %d; mute requests %s" % (app.proc.returncode, mutes(app)))
        self.assertEqual(app.proc.returncode, 0)
        self.assertEqual(mutes(app)[-1], "0", "the mute was not put back")

    def press_return(self, title, what):
        """Presses Return (the default button) in the visible window titled `title`."""
        window = poll(lambda: (self.visible(title) or [None])[0], 60, what)
        self.display.xdotool("windowfocus", "--sync", window)
        self.display.xdotool("key", "Return")

    def visible(self, title):
        return [int(w) for w in self.display.xdotool(
            "search", "--onlyvisible", "--name", "^%s$" % title, check=False).split()]


if __name__ == "__main__":
    unittest.main(verbosity=2)
