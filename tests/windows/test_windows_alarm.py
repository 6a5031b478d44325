#!/usr/bin/env python3
"""The Windows program under Wine, from outside: Xvfb with a tray host
(trayer), a PulseAudio null sink behind Wine's audio driver and libfaketime
(which reaches Wine's processes). The window "Alarm Clock" of 600 x 300 shows
the fake clock's time; its icon is docked in the tray host, "-" hides the
window and a click on the icon shows it again, and so does a second start,
which ends at once; arming
through the real dialog plays the switch-on clip and asks Core Audio to mute
1.5 s later and keeps the system awake (SetThreadExecutionState) until
switched off; hidden in the tray, at the alarm minute the mute is cleared and
the beep and the spoken time are heard; shown again from the tray, a screen
reader (the probe, from another process) finds the alert child that tells the
ring; at 7:01 the spoken time is heard in order over the paused beep;
switching off is heard; "X" ends the program with the mute cleared. Wine keeps the mute on its own object and never passes it to the
sink, so the mute is read from the program's log. While muted the program
keeps a record of it in %LOCALAPPDATA%\\Alarm Clock; killed, the next start
unmutes that endpoint before its first tick and removes the record.

The track through Media Foundation: a film chosen with the notes rings with
its sound and no window of its own on the X server; a 5 s track loops across
two announcements, silent for 20 ms at most where it starts over; a track
deleted before the minute rings with the spoken time, no beep under it, and
then the beep, looping; how long after the words the beep's first sample is
heard is printed."""

import os
import re
import signal
import subprocess
import wave
import sys
import unittest
from pathlib import Path

sys.path[:0] = [str(Path(__file__).resolve().parents[1] / "e2e"), str(Path(__file__).parent)]

import numpy as np  # noqa: E402

from app import (BUT_ON_OFF, BUT_TRACK, CLOSE, MINIMIZE, WINDOW_TITLE, alarm_clock,  # noqa: E402
                 program_env, shown_faces)
from paths import APP_DIR  # noqa: E402
from procs import poll, say  # noqa: E402
from pulse import Recorder  # noqa: E402
from rig import rig  # noqa: E402
from sound import RATE, Ears, rms  # noqa: E402
from test_formats import PICTURE, make_track, tone_share  # noqa: E402
from wine import WINE_RUN, WineTestCase  # noqa: E402

START = "2026-12-08 06:59:30"
JUST_BEFORE = "2026-12-08 06:59:57"
BEFORE_HIDING = "2026-12-08 06:59:50"
NEXT_MINUTE = "2026-12-08 07:00:58"
ALARM_TEXT = "07:00 AM"
ANNOUNCEMENT = ["seven.wav", "zero.wav", "one.wav", "am.wav", "wake_up.wav"]
# Normalized cross-correlation that counts as "heard". A word is found at
# 0.95 or more; one broken by a drop of Wine's own sound thread (some tens of
# milliseconds, with the machine's cores busy) at 0.55 or more; a word that is
# not there at 0.4 at most.
CLIP_MATCH = 0.5
PAUSE_GRACE = 0.3  # seconds of the beep that may still sound after it was paused
SILENCE = 1e-3  # RMS below -60 dBFS
FRAME = 0.05  # seconds per frame of the beep detector
BEEP_ALONE = 0.5  # share of a frame's energy in the beep's bands: the beep sounds
BEEP_UNDER = 0.3  # ... the beep sounds under speech
LBL_TIME = (104, 144, 339, 97)
MUTE = re.compile(r"SetMute\((\d)\)")
SLEEP = re.compile(r"sleep (inhibited|allowed again) \(SetThreadExecutionState\)(: .*)?")
WAKE = re.compile(r"wake timer set for (\S+ \S+) UTC \(SetWaitableTimer, resume\)")
RING_LINE = re.compile(r'lblTime "(\d\d:\d\d:\d\d)" lblAMPM "(AM|PM)" butOnOff 1 blnAlarm true')
PROBE = Path(os.environ.get("ALARM_PROBE", APP_DIR / "accessible_probe.exe"))
ALERT = 8  # ROLE_SYSTEM_ALERT
INVISIBLE = 0x8000  # STATE_SYSTEM_INVISIBLE
LOG_LINE = re.compile(r"^\d\d:\d\d:\d\d\.\d{3} \S+: (.*)$", re.M)
# A film whose pictures Wine 8's Media Foundation opens (H.264, baseline profile).
FILM = ("avenc_aac ! mux. %s ! x264enc ! video/x-h264,profile=baseline ! mux. mp4mux name=mux"
        % PICTURE)
TONE_ALONE = 0.8  # share of a frame's energy at the film's tone: the film sounds
TONE_HELD = 1.0  # seconds the film's tone is heard without a break
# The looped track: 4.8 s at LOOP_BODY Hz, then 0.2 s at LOOP_END Hz, so that
# each place it starts over is heard as LOOP_END followed by LOOP_BODY.
LOOP_BODY, LOOP_END = 440, 660
LOOP_GAP = 0.020  # seconds of silence allowed where the track starts over
TURN = 0.02  # seconds per frame of the loop-point finder
LOOPING = 3.5  # seconds the beep is listened to after the words: three turns
# Seconds after the last word is heard by which the beep of a deleted track
# sounds. It is kept in memory from arming and starts as soon as the words are
# reported played, with no decoder to wait for; a wide bound, since on a
# loaded machine Wine's own sound thread falls behind (the figure is printed).
BEEP_AFTER_WORDS = 1.0
HEARD = 0.02  # a sample this loud (-34 dBFS) after the words is the beep's first
BEEP_PAUSE = 0.8  # the beep's own pause between its pips is 0.53 s


def beep_starts(ears, heard, after=0.0):
    """When the beep is first heard alone after `after` s, or None."""
    share = ears.beep(heard, FRAME)
    loud = [i for i in range(int(after / FRAME), len(share)) if share[i] > BEEP_ALONE]
    return loud[0] * FRAME if loud else None


def beep_sounds(ears, heard, start, end):
    """Whether the beep is heard between `start` and `end` s: a frame loud
    enough to hear (a near-silent one can show any share) with the beep's
    share of it. A frame that runs past `end` is left out: the beep may
    start right after."""
    share = ears.beep(heard, FRAME)
    for i in range(int(start / FRAME), min(int(end / FRAME), len(share))):
        chunk = heard[int(i * FRAME * RATE): int((i + 1) * FRAME * RATE)]
        if share[i] > BEEP_UNDER and rms(chunk) > SILENCE:
            return True
    return False


def first_sound(heard, after):
    """The second of the first sample louder than HEARD after `after` s, or None."""
    loud = np.flatnonzero(np.abs(heard[int(after * RATE):]) > HEARD)
    return after + loud[0] / RATE if len(loud) else None


def windows_path(path):
    """A Linux path as Wine's programs see it (drive Z:)."""
    return "Z:" + str(path).replace("/", "\\")


def choose_track(app, path):
    """Chooses `path` with the notes, through the real "Select A File" dialog."""
    app.click(*BUT_TRACK)
    app.type_into(app.dialog("Select A File"), windows_path(path))
    app.dialog_closed("Select A File")


def loop_track(folder):
    """The 5 s track that marks its own end (LOOP_BODY, then LOOP_END), as a WAV file."""
    rate = 44100
    times = np.arange(5 * rate) / rate
    tone = 0.4 * np.sin(2 * np.pi * np.where(times < 4.8, LOOP_BODY, LOOP_END) * times)
    path = folder / "loop.wav"
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes((tone * 32767).astype("<i2").tobytes())
    return path


def loop_points(heard):
    """Each place the looped track starts over, as (second, seconds of silence
    there): at least 0.1 s of LOOP_END, then at least 0.1 s of LOOP_BODY, told
    apart by the zero crossings of TURN-long frames."""
    size = int(TURN * RATE)

    def label(frame):
        if rms(frame) < 0.02:
            return "q"
        hertz = np.count_nonzero(np.diff(np.signbit(frame))) / 2 / TURN
        return "e" if abs(hertz - LOOP_END) < 60 else "b" if abs(hertz - LOOP_BODY) < 50 else "x"

    labels = "".join(label(heard[i: i + size]) for i in range(0, len(heard) - size + 1, size))
    tile = int(0.002 * RATE)
    points = []
    # One or two frames of neither inside the end's 0.2 s are let pass (a drop
    # of Wine's own).
    for turn in re.finditer(r"(?:e|x{1,2}(?=e)){5,}([qx]{0,10})b{5,}", labels):
        # The frames in between and one on each side, in 2 ms tiles.
        around = heard[(turn.start(1) - 1) * size: (turn.end(1) + 1) * size]
        quiet = sum(rms(around[i: i + tile]) < 0.01 for i in range(0, len(around) - tile + 1, tile))
        points.append((turn.start(1) * TURN, quiet * 0.002))
    return points


def visible_windows(display):
    """The ids of the windows shown on the X server that could hold a picture
    (a film's window is 160 x 120); a tooltip, a strip some 20 pixels high that
    comes and goes with the pointer, is left out."""
    ids = display.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split()
    return sorted(wid for wid in ids
                  if (display.window_info(int(wid)) or {}).get("height", 0) >= 60)


def mutes(app):
    return MUTE.findall(app.log())


def sleep_requests(app):
    """What the program asked of SetThreadExecutionState, in order."""
    return [m.group(1) + (m.group(2) or "") for m in SLEEP.finditer(app.log())]


def hiding_is_seen():
    """Whether a window hidden by ShowWindow(SW_HIDE) is unmapped on the rig's
    display: not under Wine 10, whose X11 driver keeps it mapped where no
    window manager runs, as on the rig's."""
    version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
    return not version.startswith("wine-10.")


class WindowsAlarm(WineTestCase):
    def test_window_arm_ring_switch_off_close(self):
        ears = Ears(APP_DIR / "sounds")
        with rig(START, tray=True, program=self.launcher) as (app, display, pulse, host, workdir):
            window = app.find_window(timeout=60)
            info = app.geometry()
            say("window %s: %dx%d" % (window, info["width"], info["height"]))
            self.assertEqual((info["width"], info["height"]), (600, 300))
            poll(lambda: shown_faces(app.log()), 10, "a tick in the log")
            shown = shown_faces(app.log())[-1]
            say("shown:", shown, "fake clock:", app.clock.now())
            self.assertEqual(shown[1], "AM")
            self.assertEqual(shown[0][:5], "06:59")
            x, y, w, h = LBL_TIME

            def cyan_digits():
                """The cyan pixels in lblTime, once there are enough for digits
                (the window paints a moment after the tick)."""
                box = display.pixels()[info["y"] + y: info["y"] + y + h,
                                       info["x"] + x: info["x"] + x + w]
                cyan = ((box[..., 0] < 80) & (box[..., 1] > 180) & (box[..., 2] > 180)).sum()
                return cyan if cyan > 1000 else None

            say("cyan pixels in lblTime:", poll(cyan_digits, 10, "cyan digits in lblTime",
                                                interval=0.2))
            display.screenshot("windows-window.png")
            self.tray_round_trip(app, host)
            self.second_start(app, display, pulse, workdir, host)

            with Recorder(pulse, workdir / "monitor.raw") as rec:
                try:
                    self.journey(app, rec, ears, host)
                finally:
                    rec.keep("windows-monitor.wav")

            say('checks: "X" ends the program and the log shows the mute cleared')
            app.click(*CLOSE)
            poll(lambda: not app.running(), 20, "the program to end")
            self.assertEqual(app.proc.returncode, 0)
            self.assertEqual(mutes(app)[-1], "0")

    def test_a_crash_record_is_written_and_acted_on(self):
        with rig(START, program=self.launcher) as (app, display, pulse, _, workdir):
            app.find_window(timeout=60)
            say("checks: armed and muted, the record names the endpoint muted")
            app.set_alarm("09:00 AM")  # far off: Wine's first start may take half a minute
            muted = poll(lambda: re.search(r"output muted: (\S+)", app.log()), 15,
                         "the mute in the log").group(1)
            record = poll(lambda: next(Path(workdir, "home").glob(
                ".wine-alarm-clock/drive_c/users/*/AppData/Local/Alarm Clock/mute-record"),
                None), 10, "the record in %LOCALAPPDATA%")
            say("   %s: %r" % (record, record.read_text()))
            self.assertIn("output 0 %s\n" % muted, record.read_text())

            say("checks: killed, the next start unmutes that endpoint first and drops the record")
            app.proc.send_signal(signal.SIGKILL)
            app.proc.wait(timeout=20)
            self.assertTrue(record.exists())
            with alarm_clock(display, pulse, workdir, START, program=self.launcher) as again:
                again.find_window(timeout=60)
                poll(lambda: shown_faces(again.log()), 10, "a tick in the log")
                log = again.log()
                repaired = log.find("unmuted %s, muted by a clock that did not end" % muted)
                self.assertGreaterEqual(repaired, 0, log)
                self.assertEqual(MUTE.findall(log[:repaired]), ["0"], log)
                self.assertLess(repaired, log.find("lblTime"))
                self.assertFalse(record.exists())
                again.click(*CLOSE)
                poll(lambda: not again.running(), 20, "the program to end")

    def tray_round_trip(self, app, host):
        if not hiding_is_seen():
            say('skipped under Wine 10: "-" hides the window to the tray')
            return
        say('checks: the icon is docked in the tray host, "-" hides the window, '
            "a click on the icon shows it again")
        # Wine's explorer, not the program, owns the icon's windows in the panel.
        icon = poll(lambda: (host.icons() or [None])[0], 20, "the icon in the tray host")
        say("   tray icon %#x at %d,%d (%dx%d)" % (icon["id"], icon["x"], icon["y"],
                                                  icon["width"], icon["height"]))
        app.click(*MINIMIZE)
        poll(lambda: not app.viewable(), 10, "the window to be hidden")
        app.display.xdotool("mousemove", icon["x"] + icon["width"] // 2,
                            icon["y"] + icon["height"] // 2)
        app.display.xdotool("click", 1)
        poll(app.viewable, 10, "the window to be shown by the tray icon")

    def second_start(self, app, display, pulse, workdir, host):
        say('checks: after "-", a second start shows the window and ends with 0, having '
            "logged nothing but that; one window and one tray icon remain")
        icons = [w["id"] for w in host.icons()]
        if hiding_is_seen():
            app.click(*MINIMIZE)
            poll(lambda: not app.viewable(), 10, "the window to be hidden")
        env = program_env(display, pulse, workdir / "home")
        env.update(app.clock.env())
        second = subprocess.run([str(self.launcher)], cwd=str(workdir), env=env,
                                capture_output=True, text=True, timeout=60)
        logged = LOG_LINE.findall(second.stdout + second.stderr)
        say("   exit status %d, logged %s; tray icons %s" % (second.returncode, logged, icons))
        self.assertEqual(second.returncode, 0)
        # No tick, mute, clip, track or tray icon: any of them would be logged.
        self.assertEqual(logged, ["another clock runs: asked it to show (posted)"])
        poll(app.viewable, 10, "the window to be shown by the second start")
        self.assertTrue(app.running())
        self.assertEqual(len(app.visible(WINDOW_TITLE)), 1)
        self.assertEqual([w["id"] for w in host.icons()], icons)

    def alert_child(self, app):
        """The window's alert child as the probe reads it from another
        process: (name, invisible), or None."""
        # The program's own Wine prefix and server: its home, none of the tests' settings.
        env = {k: v for k, v in app.display.env.items()
               if not k.startswith("ALARM_") and k != "WINEPREFIX"}
        env["HOME"] = str(Path(app.log_path).parent / "home")
        out = subprocess.run([str(WINE_RUN), str(PROBE), "read", WINDOW_TITLE], env=env,
                             capture_output=True, text=True, timeout=60).stdout
        for line in out.splitlines():
            parts = line[len("child "):].split("|") if line.startswith("child ") else []
            if len(parts) > 3 and int(parts[2]) == ALERT:
                return parts[1], bool(int(parts[3], 16) & INVISIBLE)
        return None

    def journey(self, app, rec, ears, host):
        say("click butOnOff and type %r into the dialog" % ALARM_TEXT)
        app.set_alarm(ALARM_TEXT)

        say("checks: alarm_set.wav is heard whole, Core Audio is asked to mute 1.5 s later")
        muted_at = poll(lambda: "1" in mutes(app) and len(rec.samples()), 15,
                        "the mute request in the log") / RATE
        at, score = ears.find(rec.samples(), "alarm_set.wav")
        after_clip = muted_at - (at + ears.length("alarm_set.wav"))
        say("   alarm_set.wav at %.2f s (match %.2f); mute asked %.2f s after it"
            % (at, score, after_clip))
        self.assertGreater(score, CLIP_MATCH, "the switch-on clip was not heard whole")
        self.assertGreater(after_clip, 1.2, "mute asked before 1.5 s had passed")
        self.assertLess(after_clip, 2.5, "mute asked later than 2.5 s after the clip")
        say("checks: armed, the system is kept from sleeping: %s" % sleep_requests(app))
        self.assertEqual(sleep_requests(app), ["inhibited: An alarm is set for " + ALARM_TEXT])
        # Wine takes the resume flag and ignores it: only the call can be shown.
        say("checks: a waitable timer with the resume flag, due a minute before 7:00 (UTC)")
        self.assertEqual(WAKE.findall(app.log()), ["2026-12-08 06:59:00"])
        # Due already, it fires: the system and the display are kept on.
        poll(lambda: "woken for the alarm: system and display kept on" in app.log(), 10,
             "the wake to be handled")

        say("checks: hidden in the tray, the normal night: at 7:00 the mute is cleared and "
            "the beep is heard, the window still hidden")
        app.clock.set(BEFORE_HIDING)
        app.click(*MINIMIZE)
        seen = hiding_is_seen()
        if seen:
            poll(lambda: not app.viewable(), 10, "the window to be hidden")
        else:
            say("   (under Wine 10 the hidden window stays mapped on X: not checked there)")
        self.assertLess(app.clock.now().strftime("%H:%M"), "07:00", "hidden only after 7:00")
        poll(lambda: mutes(app)[-1] == "0", 20, "the mute to be cleared at 7:00")
        ring = poll(lambda: RING_LINE.search(app.log()), 10, "the ring's state line")
        say("   the ring's tick showed %s %s" % ring.groups())
        self.assertEqual(ring.groups(), ("07:00:00", "AM"), "not rung at the minute")
        if seen:
            self.assertFalse(app.viewable(), "the window came up to ring")
        self.assertIn("alert: Alarm 07:00 AM ringing", app.log())
        # Wine's endpoint object keeps a level of its own, full at first: the
        # floor reads it through Core Audio and leaves it.
        poll(lambda: "Core Audio GetMasterVolumeLevelScalar -> 0x00000000 1.000" in app.log(),
             5, "the level read at the ring")
        self.assertNotIn("SetMasterVolumeLevelScalar", app.log())
        ring_from = max(0.0, len(rec.samples()) / RATE - 0.5)
        poll(lambda: beep_starts(ears, rec.samples()[int(ring_from * RATE):]) is not None,
             15, "the beep", interval=0.3)

        def words_over():
            """The time spoken at 7:00 was heard to its end: else its last
            clips would be found among those of 7:01."""
            heard = rec.samples()[int(ring_from * RATE):]
            at, score = ears.find(heard, ANNOUNCEMENT[-1])
            return score > CLIP_MATCH and len(heard) / RATE > at + ears.length(ANNOUNCEMENT[-1])

        poll(words_over, 15, "the words of 7:00 to end", interval=0.3)

        say("checks: the tray icon shows the window again; a screen reader finds the alert "
            "child that tells the ring")
        icon = poll(lambda: (host.icons() or [None])[0], 20, "the icon in the tray host")
        app.display.xdotool("mousemove", icon["x"] + icon["width"] // 2,
                            icon["y"] + icon["height"] // 2)
        app.display.xdotool("click", 1)
        poll(app.viewable, 10, "the window to be shown by the tray icon")
        alert = poll(lambda: self.alert_child(app), 30, "the alert child")
        say("   the alert child:", alert)
        self.assertEqual(alert, ("Alarm 07:00 AM ringing", False))

        # The first announcement may find the player still opening the file,
        # which is then left alone; at 7:01 it plays and is paused.
        say("checks: at 7:01 the beep is paused, %s are heard in order, the beep goes on"
            % ", ".join(ANNOUNCEMENT))
        app.clock.set(NEXT_MINUTE)
        ring_from = len(rec.samples()) / RATE

        def announced():
            heard = rec.samples()[int(ring_from * RATE):]
            found = [ears.find(heard, name) for name in ANNOUNCEMENT]
            return found if all(score > CLIP_MATCH for _, score in found) else None

        found = poll(announced, 30, "the announcement", interval=0.3)
        say("   " + ", ".join("%s at %.2f s (%.2f)" % (name, ring_from + at, score)
                              for name, (at, score) in zip(ANNOUNCEMENT, found)))
        starts = [at for at, _ in found]
        self.assertEqual(starts, sorted(starts), "the announcement's clips out of order")
        end = starts[-1] + ears.length(ANNOUNCEMENT[-1])
        heard = rec.samples()[int(ring_from * RATE):]
        self.assertFalse(beep_sounds(ears, heard, starts[0] + PAUSE_GRACE, end - 0.1),
                         "the beep sounded during the announcement")
        beep = poll(
            lambda: beep_starts(ears, rec.samples()[int(ring_from * RATE):], after=end - 0.5),
            10, "the beep after the announcement", interval=0.3)
        say("   the beep heard at %.2f s" % (ring_from + beep))

        say("checks: a click on butOnOff switches off: alarm_off.wav, then silence")
        clicked_from = len(rec.samples()) / RATE
        app.click(*BUT_ON_OFF)

        def switched_off():
            heard = rec.samples()[int(clicked_from * RATE):]
            at, score = ears.find(heard, "alarm_off.wav")
            if score < CLIP_MATCH:
                return None
            tail = heard[int((at + ears.length("alarm_off.wav") + 0.5) * RATE):]
            return (tail,) if len(tail) >= RATE else None

        tail, = poll(switched_off, 20, "alarm_off.wav and a second after it", interval=0.3)
        say("   after it: RMS %.5f" % rms(tail))
        self.assertLess(rms(tail), SILENCE, "the player still sounds")
        say("checks: switched off, sleep is allowed again: %s" % sleep_requests(app)[1:])
        self.assertEqual(sleep_requests(app)[1:], ["allowed again"])

        say("checks: armed for 9:00, the timer is set for 8:59 UTC; switch-off cancels it")
        app.set_alarm("09:00 AM")
        poll(lambda: WAKE.findall(app.log())[1:] == ["2026-12-08 08:59:00"], 10,
             "the second wake timer")
        app.click(*BUT_ON_OFF)
        poll(lambda: "wake timer removed (CancelWaitableTimer)" in app.log(), 10,
             "the timer cancelled at switch-off")

    def test_film_a_looping_track_and_a_deleted_one(self):
        ears = Ears(APP_DIR / "sounds")
        with rig(START, program=self.launcher) as (app, display, pulse, _, workdir):
            app.find_window(timeout=60)
            film = make_track(workdir, "film.mp4", FILM)
            looped = loop_track(workdir)
            with Recorder(pulse, workdir / "monitor.raw") as rec:
                try:
                    self.film(app, display, rec, film)
                    self.looping(app, rec, looped)
                    self.deleted(app, rec, ears, looped)
                finally:
                    rec.keep("windows-track-monitor.wav")

    def film(self, app, display, rec, film):
        say("checks: a film chosen with the notes rings with its sound, and no window "
            "comes up on the X server")
        choose_track(app, film)
        app.set_alarm(ALARM_TEXT)
        shown = visible_windows(display)
        app.clock.set(JUST_BEFORE)
        ring_from = len(rec.samples()) / RATE

        def film_heard():
            held = int(TONE_HELD / FRAME)
            share = tone_share(rec.samples()[int(ring_from * RATE):])
            if len(share) < held:
                return False
            return np.convolve(share > TONE_ALONE, np.ones(held), "valid").max() >= held

        poll(film_heard, 30, "the film's sound", interval=0.3)
        say("   windows before %s, while the film sounds %s" % (shown, visible_windows(display)))
        self.assertEqual(visible_windows(display), shown, "a window came up with the film")
        self.assertEqual(app.visible(windows_path(film)), [])
        app.click(*BUT_ON_OFF)
        poll(lambda: "blnAlarm false" in app.log().rsplit("butOnOff", 1)[-1], 10, "switched off")

    def looping(self, app, rec, looped):
        say("checks: a 5 s track loops across two announcements, silent for %d ms at most "
            "where it starts over" % (LOOP_GAP * 1000))
        app.click(*BUT_TRACK)  # the film is let go first
        choose_track(app, looped)
        app.set_alarm("07:02 AM")
        app.clock.set("2026-12-08 07:01:58")
        ring_from = len(rec.samples()) / RATE

        # Each announcement takes about 2.5 s; the track sounds the rest of the time.
        def sounded(seconds):
            return lambda: len(rec.samples()) / RATE > ring_from + seconds

        poll(sounded(10), 40, "10 s of sound after 7:02", interval=0.5)
        app.clock.set("2026-12-08 07:02:58")
        poll(sounded(24), 40, "12 s of sound after 7:03", interval=0.5)
        heard = rec.samples()[int(ring_from * RATE):]
        points = loop_points(heard)
        say("   starts over at %s" % ", ".join("%.2f s (%.0f ms silent)" % (ring_from + at,
                                                                          gap * 1000)
                                           for at, gap in points))
        # About 7 s of the track before 7:03 and as much after: a turn's end in each.
        self.assertGreaterEqual(len(points), 2, "the track did not start over twice")
        self.assertLessEqual(max(gap for _, gap in points), LOOP_GAP,
                             "silence where the track starts over")
        app.click(*BUT_ON_OFF)

    def deleted(self, app, rec, ears, looped, minute=5):
        say("checks: a track deleted before the minute: the spoken time with no beep under "
            "it, then the beep within %.1f s, looping" % BEEP_AFTER_WORDS)
        gone = looped.with_name("gone.wav")
        gone.write_bytes(looped.read_bytes())
        app.click(*BUT_TRACK)  # the looped track is let go first
        choose_track(app, gone)
        app.set_alarm("07:%02d AM" % minute)
        gone.unlink()

        def words():
            heard = rec.samples()[int(ring_from * RATE):]
            (start, first), (at, last) = (ears.find(heard, name)
                                          for name in ("seven.wav", "wake_up.wav"))
            if min(first, last) < CLIP_MATCH:
                return None
            end = at + ears.length("wake_up.wav")
            enough = len(heard) >= (end + BEEP_AFTER_WORDS + LOOPING) * RATE
            return (heard, start, end) if enough else None

        app.clock.set("2026-12-08 07:%02d:58" % (minute - 1))
        ring_from = len(rec.samples()) / RATE
        heard, start, end = poll(words, 30, "the spoken time and the beep after it", interval=0.3)
        beep = beep_starts(ears, heard, after=start)
        first = first_sound(heard, end)
        say("   words %.2f-%.2f s after 7:%02d:58, the beep from %s; its first sample %s ms "
            "after the words" % (start, end, minute - 1, beep,
                                 "%.0f" % ((first - end) * 1000) if first else None))
        self.assertFalse(beep_sounds(ears, heard, start, end), "the beep sounded under the words")
        self.assertIsNotNone(beep, "no beep after the words")
        self.assertIsNotNone(first, "nothing heard after the words")
        self.assertLessEqual(first, end + BEEP_AFTER_WORDS, "the beep came late")
        share = ears.beep(heard, FRAME)[int(beep / FRAME): int((beep + LOOPING) / FRAME)]
        gaps = np.diff(np.append(np.flatnonzero(share > BEEP_ALONE) * FRAME, LOOPING))
        say("   for %.1f s, at most %.2f s without it" % (LOOPING, gaps.max()))
        self.assertLess(gaps.max(), BEEP_PAUSE, "the beep did not loop")
        app.click(*BUT_ON_OFF)


if __name__ == "__main__":
    unittest.main(verbosity=2)
