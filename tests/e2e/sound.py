"""What was heard: sound files, the beep's frequencies, and voice clips found
in a recording by cross-correlation (numpy, scipy, soundfile)."""

from pathlib import Path

import numpy as np
import scipy.ndimage
import scipy.signal
import soundfile

RATE = 22050  # sample rate of every sound analysed here, mono


def load_wav(path, rate=RATE):
    """A sound file as mono floats in [-1, 1] resampled to `rate`."""
    data, source_rate = soundfile.read(str(path), dtype="float64", always_2d=True)
    data = data.mean(axis=1)
    if source_rate != rate:
        gcd = np.gcd(rate, source_rate)
        data = scipy.signal.resample_poly(data, rate // gcd, source_rate // gcd)
    return data


def write_tone(path, seconds=2.0, hertz=660.0, rate=RATE):
    """A 16-bit WAV file of a sine tone at 40 % of full scale."""
    t = np.arange(int(seconds * rate)) / rate
    soundfile.write(str(path), 0.4 * np.sin(2 * np.pi * hertz * t), rate, subtype="PCM_16")


def loud_bands(noise, rate=RATE, below_peak_db=30.0, frame=4096):
    """Where a sound such as the beep has its energy: a boolean per bin of a
    `frame`-point spectrum, true within `below_peak_db` of its strongest bin
    (widened by a few bins)."""
    noise = np.asarray(noise, dtype=np.float64)
    noise = np.pad(noise, (0, max(0, frame - len(noise))))
    _, power = scipy.signal.welch(noise, rate, window="hann", nperseg=frame,
                                  noverlap=frame // 2, detrend=False)
    loud = power > power.max() * 10 ** (-below_peak_db / 10)
    return scipy.ndimage.binary_dilation(loud, iterations=3)


def band_filter(signal, gains, rate=RATE):
    """`signal` through a linear-phase FIR filter with the gain `gains` (one per
    bin of an evenly spaced spectrum up to rate / 2), without delay."""
    if len(signal) == 0:
        return signal
    taps = scipy.signal.firwin2(2 * len(gains) - 1, np.linspace(0, rate / 2, len(gains)),
                                np.asarray(gains, dtype=np.float64), fs=rate)
    return scipy.signal.oaconvolve(signal, taps, mode="same")


def band_stop(signal, bands, rate=RATE):
    """`signal` with the frequencies marked in `bands` (from loud_bands) removed."""
    return band_filter(signal, ~bands, rate)


def band_share(signal, bands, rate=RATE, frame_s=0.05):
    """Per frame of `frame_s` seconds: the share of the frame's energy that lies
    in `bands` (0 for quiet frames). A frame of the beep alone scores near 1."""
    inside = band_filter(signal, bands, rate)
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
    corr = scipy.signal.correlate(signal, t, mode="valid")
    ones = np.ones(n)
    s = scipy.signal.correlate(signal, ones, mode="valid")
    s2 = scipy.signal.correlate(signal * signal, ones, mode="valid")
    energy = np.sqrt(np.maximum(s2 - s * s / n, 0.0))
    quiet = energy < np.sqrt(n) * 1e-3  # window RMS below -60 dBFS
    return np.where(quiet, 0.0, corr / np.where(quiet, 1.0, energy))


def best_match(signal, template, rate=RATE):
    """(start in s, score) of the place where `template` matches `signal` best."""
    score = normalized_xcorr(signal, template)
    if len(score) == 0:
        return None, 0.0
    i = int(np.argmax(score))
    return i / rate, float(score[i])


def rms(data):
    return float(np.sqrt(np.mean(data * data))) if len(data) else 0.0


class Ears:
    """Listens for the program's own sounds (its sounds/ folder) in a recording.
    Spoken clips are found by cross-correlation after the beep's frequencies
    are cut from both the recording and the clip, so that a clip is found over
    the beep too; the beep is found by the share of energy in its own
    frequencies."""

    def __init__(self, sounds):
        self.sounds = Path(sounds)
        self.bands = loud_bands(load_wav(self.sounds / "beep.wav"))
        self.clips = {}

    def clip(self, name, folder="en"):
        """A voice clip with the beep's frequencies cut."""
        if (folder, name) not in self.clips:
            data = load_wav(self.sounds / folder / name)
            self.clips[folder, name] = band_stop(data, self.bands)
        return self.clips[folder, name]

    def length(self, name, folder="en"):
        return len(self.clip(name, folder)) / RATE

    def without_beep(self, heard):
        return band_stop(heard, self.bands)

    def find(self, heard, name, folder="en"):
        """(start in s, match) of the best place of clip `name` in `heard`."""
        return best_match(self.without_beep(heard), self.clip(name, folder))

    def beep(self, heard, frame_s):
        """Per frame of `frame_s` seconds, the share of energy in the beep's bands."""
        return band_share(heard, self.bands, frame_s=frame_s)
