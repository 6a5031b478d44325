#!/usr/bin/env python3
"""Whether a listener understands the English voice: the announcements of 144
times of day (and the switch-on and switch-off phrases), put together from the
committed clips in the order the clock's own tables give (the program
announcement_clips prints them), are heard by Debian's speech recogniser with a
grammar of clock phrases. Prints the word error rate; fails above MAX_WER or
when more than MAX_WRONG_HOURS phrases are heard with a wrong hour."""

import os
import subprocess
import sys
import unittest
from pathlib import Path

import numpy as np

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from recogniser import HOURS, RATE, clip_words, recognise, word_errors  # noqa: E402
from sound import load_wav  # noqa: E402

SOURCE_DIR = Path(os.environ.get("ALARM_SOURCE_DIR", Path(__file__).resolve().parents[2]))
CLIPS = Path(os.environ.get("VOICE_CLIPS", SOURCE_DIR / "assets" / "sounds" / "en"))
LISTER = Path(os.environ.get("ANNOUNCEMENT_CLIPS",
                             SOURCE_DIR / "build" / "dev" / "announcement_clips"))
MAX_WER = 0.02
MAX_WRONG_HOURS = 1
EDGE = 0.3  # seconds of silence before and after each phrase, as in a quiet room


class Intelligibility(unittest.TestCase):
    def test_announcements_are_heard_as_said(self):
        lines = subprocess.run([str(LISTER)], check=True, capture_output=True,
                               text=True).stdout.splitlines()
        phrases = [(label, clips.split()) for label, clips in (l.split("\t") for l in lines)]
        self.assertGreaterEqual(len(phrases), 120)
        sound = {}
        edge = np.zeros(int(EDGE * RATE))
        for _, clips in phrases:
            for clip in clips:
                if clip not in sound:
                    sound[clip] = load_wav(CLIPS / clip, RATE)
        heard = recognise([np.concatenate([edge] + [sound[c] for c in clips] + [edge])
                           for _, clips in phrases], RATE)

        words = errors = wrong_hours = 0
        for (label, clips), got in zip(phrases, heard):
            said = [w for clip in clips for w in clip_words(clip)]
            wrong = word_errors(said, got)
            words += len(said)
            errors += wrong
            hour = label.split(":")[0]
            if hour.isdigit() and got[:1] != [HOURS[int(hour) - 1]]:
                wrong_hours += 1
            if wrong:
                print("%-12s said %-40s heard %s" % (label, " ".join(said), " ".join(got)))
        wer = errors / words
        print("voice %s: %d phrases, %d words, %d word errors: WER %.1f %%, "
              "%d phrases with a wrong hour" % (CLIPS, len(phrases), words, errors,
                                                100 * wer, wrong_hours))
        self.assertLessEqual(wer, MAX_WER, "too many words misheard")
        self.assertLessEqual(wrong_hours, MAX_WRONG_HOURS, "too many hours misheard")


if __name__ == "__main__":
    unittest.main(verbosity=2)
