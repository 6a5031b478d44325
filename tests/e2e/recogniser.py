"""Hears the clock's English phrases with Debian's speech recogniser
(pocketsphinx, its US English model), held to a grammar of what the clock
says: an hour, maybe minutes, the day half and "wake up", or "alarm set" and
"alarm off". Used by the voice test on the committed clips and by the alarm
test on the sink's monitor."""

import subprocess
import tempfile
from pathlib import Path

import numpy as np
import scipy.signal
import soundfile

MODEL = Path("/usr/share/pocketsphinx/model/en-us")
RATE = 16000  # what the model was trained on
HOURS = ["one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
         "eleven", "twelve"]
GRAMMAR = """#JSGF V1.0;
grammar clock;
public <phrase> = <time> | alarm set | alarm off;
<time> = <hour> [<minute>] <half> wake up;
<hour> = %s;
<unit> = one | two | three | four | five | six | seven | eight | nine;
<minute> = o'clock | zero <unit> | ten | eleven | twelve | thirteen | fourteen | fifteen
         | sixteen | seventeen | eighteen | nineteen | (twenty | thirty | forty | fifty) [<unit>];
<half> = a.m. | p.m.;
""" % " | ".join(HOURS)
# The words of a clip whose name does not spell them.
CLIP_WORDS = {"o_clock": "o'clock", "am": "a.m.", "pm": "p.m.", "fourty": "forty"}


def clip_words(name):
    """The words a person hears in a clip, from its file name: "wake_up.wav" ->
    ["wake", "up"]."""
    stem = Path(name).stem
    return CLIP_WORDS.get(stem, stem.replace("_", " ")).split()


def to_model_rate(data, rate):
    """Mono floats at `rate` resampled to the recogniser's rate."""
    if rate == RATE:
        return np.asarray(data, dtype=np.float64)
    gcd = np.gcd(RATE, rate)
    return scipy.signal.resample_poly(data, RATE // gcd, rate // gcd)


def recognise(sounds, rate):
    """The words heard in each of `sounds` (mono float arrays at `rate`), one
    list per sound, all in one run of the recogniser."""
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        names = []
        for i, data in enumerate(sounds):
            names.append("u%04d" % i)
            samples = np.clip(to_model_rate(data, rate), -1.0, 1.0)
            soundfile.write(str(tmp / (names[-1] + ".wav")), samples, RATE, subtype="PCM_16")
        (tmp / "clock.gram").write_text(GRAMMAR)
        (tmp / "list.ctl").write_text("".join(n + "\n" for n in names))
        subprocess.run(
            ["pocketsphinx_batch", "-hmm", str(MODEL / "en-us"),
             "-dict", str(MODEL / "cmudict-en-us.dict"), "-jsgf", str(tmp / "clock.gram"),
             "-ctl", str(tmp / "list.ctl"), "-cepdir", str(tmp), "-cepext", ".wav",
             "-adcin", "yes", "-adchdr", "44", "-hyp", str(tmp / "out.hyp"),
             "-logfn", str(tmp / "log")],
            check=True)
        heard = {}
        for line in (tmp / "out.hyp").read_text().splitlines():
            words, _, rest = line.rpartition(" (")
            heard[rest.split()[0]] = words.split()
        return [heard.get(n, []) for n in names]


NUMBERS = {word: n for n, word in enumerate(
    ["zero"] + HOURS + ["thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen",
                        "nineteen"])}
TENS = {"twenty": 20, "thirty": 30, "forty": 40, "fifty": 50}


def heard_time(words):
    """(hour, minute, "a.m." or "p.m.") of an announcement heard as `words`,
    minute 0 when no minute was said; None for any other phrase."""
    if len(words) < 4 or words[-2:] != ["wake", "up"] or words[0] not in HOURS:
        return None
    minute = sum(TENS.get(word, NUMBERS.get(word, 0)) for word in words[1:-3])
    return NUMBERS[words[0]], minute, words[-3]


def word_errors(said, heard):
    """Substitutions, deletions and insertions that turn `said` into `heard`
    (word lists): their edit distance."""
    row = list(range(len(heard) + 1))
    for i, word in enumerate(said, 1):
        prev, row[0] = row[0], i
        for j, other in enumerate(heard, 1):
            prev, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, prev + (word != other))
    return row[-1]
