#!/usr/bin/env python3
"""The alarm track in every format the clock plays, from outside. Each case
starts the program afresh, makes a track with Debian's GStreamer encoders
(gst-launch-1.0) from a 1100 Hz tone, far from the beep's bands, chooses it
with the notes, arms the alarm and moves the clock to just before the minute:

- a file that plays: after the spoken time its tone is heard, and the beep
  never is;
- a file that cannot play (text named .mp3, a cut .m4a, a track deleted
  before the alarm): the spoken time is heard whole, the first word to its
  end, with no beep under it; the beep, kept in memory since arming, follows
  within 0.1 s of the words (a deleted track: with both cores kept busy),
  and the log names the file;
- the track dropped with the notes while it rings: the beep within 0.5 s of
  the click, looping until switch-off, then silence.
"""

import contextlib
import subprocess
import unittest

import numpy as np

from app import BUT_ON_OFF, BUT_TRACK
from paths import require_program
from procs import poll, run, say
from sound import RATE, band_share, rms
from test_faults import CLIP_MATCH, arm_muted, choose_track, ears, watched

TONE = 1100  # Hz; the beep sounds at 1.9-2.1, 6 and 10 kHz
TONE_BAND = np.abs(np.linspace(0, RATE / 2, 2049) - TONE) < 40
FRAME = 0.05  # seconds per frame of the detectors
EDGE = 0.2  # seconds at the end of a recording that the detectors read short
TONE_ALONE = 0.8  # share of a frame's energy at TONE: the track sounds
BEEP_UNDER = 0.5  # share in the beep's bands: the beep sounds (words alone stay below 0.35)
AUDIBLE = 0.01  # frame RMS from which a sound counts as heard (-40 dBFS; the beep is near -17)
TONE_WITHIN = 1.0  # seconds after the words by which the track is heard again
TONE_HELD = 1.0  # seconds the tone is heard without a break
# Seconds after the end of the words (the last clip's file, with its 60 ms of
# silence) by which a file that cannot play gives the beep; the detector's
# frames add up to FRAME.
BEEP_AFTER_WORDS = 0.1
DROP_WITHIN = 0.5  # seconds after the click on the notes by which the beep sounds
LOOPING = 3.5  # seconds the beep is listened to after the track is dropped: three turns
BEEP_PAUSE = 0.8  # the beep's own pause between its pips is 0.53 s
SILENCE = 1e-3  # RMS below -60 dBFS
JUST_BEFORE = "2026-12-08 06:59:59"

SOURCE = ("audiotestsrc freq=%d volume=0.4 samplesperbuffer=4410 num-buffers=40 ! "
          "audio/x-raw,rate=44100,channels=2 ! audioconvert ! audioresample" % TONE)
PICTURE = "videotestsrc num-buffers=40 ! video/x-raw,width=64,height=48,framerate=10/1"
AAC = "avenc_aac ! mp4mux"
VORBIS = "vorbisenc ! oggmux"
# (case, file, encoder ending in the muxer) of 4 s of the tone. Debian's
# avmux_asf keeps the video encoder's 1000-hour timestamp offset in a .wmv, so
# the film is an MP4.
PLAYS = [
    ("mp3", "tone.mp3", "lamemp3enc"),
    ("ogg_vorbis", "tone.ogg", VORBIS),
    ("ogg_opus", "tone.opus", "opusenc ! oggmux"),
    ("flac", "tone.flac", "flacenc"),
    ("wav", "tone.wav", "wavenc"),
    ("aac_m4a", "tone.m4a", AAC),
    ("wma", "tone.wma", "avenc_wmav2 ! avmux_asf"),
    ("mp4_film", "film.mp4", "avenc_aac ! mux. %s ! x264enc ! mux. mp4mux name=mux" % PICTURE),
]


def make_track(folder, name, encoder):
    path = folder / name
    run(["gst-launch-1.0", "-q", *SOURCE.split(), "!", *encoder.split(), "!", "filesink",
         "location=%s" % path], None, timeout=60)
    return path


def text_named_mp3(folder):
    path = folder / "words.mp3"
    path.write_text("Just some words, in a file named like a song.\n")
    return path


def cut_m4a(folder):
    """An AAC file cut in half: the index at its end is lost."""
    path = make_track(folder, "cut.m4a", AAC)
    path.write_bytes(path.read_bytes()[: path.stat().st_size // 2])
    return path


# (case, the track made in a folder, what happens to it once armed, whether
# both cores are kept busy from then on).
BEEPS = [
    ("text_named_mp3", text_named_mp3, None, False),
    ("cut_m4a", cut_m4a, None, False),
    ("deleted_before_the_alarm", lambda folder: make_track(folder, "gone.ogg", VORBIS),
     lambda path: path.unlink(), True),
]


@contextlib.contextmanager
def busy_cores(busy):
    """Two processes that keep both cores busy while the block runs."""
    hogs = [subprocess.Popen(["yes"], stdout=subprocess.DEVNULL) for _ in range(2 if busy else 0)]
    try:
        yield
    finally:
        for hog in hogs:
            hog.kill()
            hog.wait()


def first_run(flags, length):
    """The index of the first of `length` true values in a row, or None."""
    count = 0
    for i, flag in enumerate(flags):
        count = count + 1 if flag else 0
        if count == length:
            return i - length + 1
    return None


def heard_share(heard, clip, frame=0.02):
    """How much of a clip's loud frames were heard at least half as loud, the
    recording `heard` starting where the clip does."""
    n = int(frame * RATE)
    count = len(clip) // n
    if len(heard) < count * n:
        return 0.0
    said = np.sqrt((clip[: count * n] ** 2).reshape(count, n).mean(axis=1))
    got = np.sqrt((heard[: count * n] ** 2).reshape(count, n).mean(axis=1))
    loud = said > 0.01
    return float((got[loud] >= 0.5 * said[loud]).mean()) if loud.any() else 0.0


def beep_share(heard):
    """Per frame, the beep's share of a frame a person can hear (above
    AUDIBLE); 0 for fainter frames, whose share says nothing."""
    share = ears().beep(heard, FRAME)
    n = int(FRAME * RATE)
    level = np.sqrt((heard[: len(share) * n] ** 2).reshape(len(share), n).mean(axis=1))
    return np.where(level >= AUDIBLE, share, 0.0)


def tone_share(heard):
    return band_share(heard, TONE_BAND, frame_s=FRAME)


def rang_at(pulse, rec):
    """Waits for the ring to unmute the sink; gives the recording's length at
    the last look that still found it muted: the minute, never late."""
    last = [rec.seconds()]

    def unmuted():
        at = rec.seconds()
        if pulse.muted():
            last[0] = at
            return False
        return True

    poll(unmuted, 5, "the ring to unmute the sink", interval=0.01)
    return last[0]


def since(rec, at):
    """What was heard from `at` s of the recording on."""
    return rec.samples()[int(at * RATE):]


class Formats(unittest.TestCase):
    """One program start per case; the cases are added from the tables below."""

    @classmethod
    def setUpClass(cls):
        require_program()

    def ring(self, make, spoil, check, busy=False):
        with watched() as (app, pulse, _, watch, rec, workdir):
            track = make(workdir)
            choose_track(app, track)
            arm_muted(app, pulse, watch, "07:00 AM")
            if spoil:
                spoil(track)
            with busy_cores(busy):
                app.clock.set(JUST_BEFORE)
                check(app, rec, track, rang_at(pulse, rec))

    def hear_track(self, app, rec, track, minute):
        """After the spoken time the tone is heard for TONE_HELD s, and the
        beep is never heard."""

        def decided():
            heard = since(rec, minute)
            at, score = ears().find(heard, "wake_up.wav")
            if score < CLIP_MATCH:
                return None
            words_end = at + ears().length("wake_up.wav")
            start = first_run(tone_share(heard)[int(words_end / FRAME):] > TONE_ALONE,
                              round(TONE_HELD / FRAME))
            listened = len(heard) / RATE - words_end
            if start is None and listened < TONE_WITHIN + TONE_HELD + EDGE:
                return None
            return heard, words_end, start

        heard, words_end, start = poll(decided, 20, "wake_up.wav and the track after it",
                                       interval=0.2)
        beep = beep_share(heard)
        say("   words end %.2f s after the minute; tone %s; beep share at most %.2f"
            % (words_end, "never heard" if start is None else
               "from %.2f s after them" % (start * FRAME), beep.max(initial=0)))
        self.assertIsNotNone(start, "the track was not heard after the words")
        self.assertLessEqual(start * FRAME, TONE_WITHIN, "the track came late")
        self.assertLessEqual(beep.max(initial=0), BEEP_UNDER,
                             "the beep was heard %.2f s after the minute"
                             % (np.argmax(beep > BEEP_UNDER) * FRAME))
        self.assertNotIn("cannot play", app.log())

    def hear_beep(self, app, rec, track, minute):
        """The words are heard whole, the first word to its end, with no beep
        under them; the beep follows them, within BEEP_AFTER_WORDS s,
        and the log says why."""

        def decided():
            heard = since(rec, minute)
            at, score = ears().find(heard, "wake_up.wav")
            words_end = at + ears().length("wake_up.wav") if score >= CLIP_MATCH else None
            loud = np.flatnonzero(beep_share(heard) > BEEP_UNDER)
            if words_end is None or len(heard) / RATE < words_end + BEEP_AFTER_WORDS + EDGE:
                return None
            return heard, words_end, loud[0] * FRAME if len(loud) else None

        heard, words_end, beep = poll(decided, 15, "the words and the beep after them",
                                      interval=0.1)
        say("   words end %s; beep %s" % (
            "never" if words_end is None else "%.2f s after the minute" % words_end,
            "not heard" if beep is None else "from %.2f s after the minute, %+.0f ms after the words"
            % (beep, (beep - words_end) * 1000)))
        self.assertIsNotNone(beep, "no beep within %.1f s of the words" % BEEP_AFTER_WORDS)
        self.assertGreaterEqual(beep, words_end - FRAME, "the beep was heard under the words")
        self.assertLessEqual(beep, words_end + BEEP_AFTER_WORDS + FRAME, "the beep came late")
        first = "seven.wav"
        at, score = ears().find(heard, first)
        self.assertGreaterEqual(score, CLIP_MATCH, "%s not heard" % first)
        kept = heard_share(ears().without_beep(heard)[int(at * RATE):], ears().clip(first))
        say("   %s heard from %.2f s, %.0f %% of its sound to its end" % (first, at, kept * 100))
        self.assertGreater(kept, 0.9, "%s was cut" % first)
        self.assertIn("GStreamer cannot play %s" % track, app.log())

    def drop_track(self, app, rec, track, minute):
        """Once the track is heard, a click on the notes: the beep within
        DROP_WITHIN s, without the track, looping for LOOPING s; a click on
        the switch: alarm_off.wav over the beep, then silence. The click's
        moment on the recording is taken just before xdotool clicks."""
        self.hear_track(app, rec, track, minute)
        app.display.xdotool("mousemove", "--window", app.window, *BUT_TRACK)
        clicked = rec.seconds()
        app.display.xdotool("click", 1)

        def looped():
            heard = since(rec, clicked)
            loud = np.flatnonzero(beep_share(heard) > BEEP_UNDER) * FRAME
            if len(loud) == 0:
                if len(heard) / RATE < DROP_WITHIN + EDGE:
                    return None
                return heard, None
            return (heard, loud) if len(heard) / RATE >= loud[0] + LOOPING + EDGE else None

        heard, loud = poll(looped, 10, "%.1f s of the beep" % LOOPING, interval=0.2)
        self.assertIsNotNone(loud, "no beep after the click")
        say("   beep %.2f s after the click (to %.2f s)" % (loud[0], FRAME))
        self.assertLessEqual(loud[0], DROP_WITHIN, "the beep came late")
        tone = tone_share(heard)[int((loud[0] + FRAME) / FRAME):]
        self.assertLessEqual(tone.max(initial=0), TONE_ALONE, "the track goes on with the beep")
        loud = loud[loud < loud[0] + LOOPING]
        pauses = np.diff(np.append(loud, loud[0] + LOOPING))
        say("   for %.1f s, at most %.2f s without it" % (LOOPING, pauses.max()))
        self.assertLess(pauses.max(), BEEP_PAUSE, "the beep did not loop")

        switched = rec.seconds()
        app.click(*BUT_ON_OFF)

        def switched_off():
            heard = since(rec, switched)
            at, score = ears().find(heard, "alarm_off.wav")
            if score < CLIP_MATCH:
                return None
            end = at + ears().length("alarm_off.wav")
            return (heard, at, end) if len(heard) / RATE >= end + 1.3 else None

        heard, at, end = poll(switched_off, 10, "alarm_off.wav and a second after it",
                              interval=0.2)
        self.assertGreater(beep_share(heard)[int(at / FRAME): int(end / FRAME)].max(initial=0),
                           BEEP_UNDER, "the beep stopped before the switch-off clip")
        tail = rms(heard[int((end + 0.3) * RATE):])
        say("   after alarm_off.wav: RMS %.5f" % tail)
        self.assertLess(tail, SILENCE, "still sounding after switch-off")


def add_case(name, make, spoil, check, busy=False):
    def test(self):
        self.ring(make, spoil, lambda *args: check(self, *args), busy)
    setattr(Formats, "test_" + name, test)


for _name, _file, _encoder in PLAYS:
    add_case("plays_" + _name, lambda folder, f=_file, e=_encoder: make_track(folder, f, e),
             None, Formats.hear_track)
for _name, _make, _spoil, _busy in BEEPS:
    add_case("beeps_" + _name, _make, _spoil, Formats.hear_beep, _busy)
add_case("dropped_while_ringing", lambda folder: make_track(folder, "tone.mp3", "lamemp3enc"),
         None, Formats.drop_track)


if __name__ == "__main__":
    unittest.main(verbosity=2)
