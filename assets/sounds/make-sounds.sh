#!/bin/sh
# Remakes the voice clips and the alarm beep with Debian packages only:
#   festival, festvox-us-slt-hts  English: Festival's HTS voice of the CMU ARCTIC
#                                 speaker "slt", a natural American woman's voice
#   espeak-ng                     French: the fr-fr voice, a little slower than
#                                 its default for clarity (no natural French
#                                 voice is in Debian's main archive)
#   sox                           trim, join silence, format, beep
#   ffmpeg                        EBU R128 loudness
# Every clip is trimmed of silence, keeps a short fixed silence at each end (so
# that clips played back to back join like the pauses between spoken words) and
# is brought to one EBU R128 loudness, the same for both languages; the beep to
# its own.
# Output: 16-bit PCM mono at 22050 Hz. The outputs are committed; run this after
# changing a word or a setting here. It ends with a table of every clip's length,
# loudness and peak, and fails if a clip is more than 1 LU from the target, clips,
# is silent or is longer than 1.5 s.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
rate=22050
target=-20     # LUFS, every voice clip of both languages
beep_target=-14  # LUFS, the beep as a loop: as loud as a typical music track
lead=0.04      # seconds of silence kept before a word...
trail=0.06     # ... and after it: 0.1 s between two words, as in a spoken number
fr_speed=140   # words per minute (espeak-ng's default is 175)
# Repeatable mode: the same dither every run, so the outputs are byte for byte the same.
export SOX_OPTS=-R
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# loudness FILE: the EBU R128 integrated loudness of FILE played four times over,
# so that a word shorter than the measure's 0.4 s blocks is measured too.
loudness() {
    ffmpeg -nostdin -nostats -hide_banner -stream_loop 3 -i "$1" -af ebur128 -f null - 2>&1 |
        awk '/Summary:/ { s = 1 } s && $1 == "I:" { print $2; exit }'
}

# level IN OUT [TARGET]: IN brought to the target loudness, as 16-bit mono at $rate.
level() {
    gain=$(awk -v t="${3:-$target}" -v m="$(loudness "$1")" 'BEGIN { print t - m }')
    sox "$1" -r "$rate" -c 1 -b 16 -e signed-integer "$2" gain "$gain"
}

# finish RAW OUT: RAW trimmed of silence (below -45 dB of its peak, so that the
# soft start of "f", "s" and "th" stays), faded in and out over a few
# milliseconds against clicks, given the join silence and levelled.
finish() {
    sox "$1" -c 1 "$work/peak.wav" norm -1
    sox "$work/peak.wav" "$work/trimmed.wav" \
        silence 1 0.01 -45d reverse silence 1 0.01 -45d reverse
    sox "$work/trimmed.wav" -r "$rate" "$work/joined.wav" \
        fade t 0.005 -0 0.010 pad "$lead" "$trail"
    level "$work/joined.wav" "$2"
}

mkdir -p "$here/en" "$here/fr"
rm -f "$here/en/"*.wav "$here/fr/"*.wav

en() {
    printf '%s' "$2" | text2wave -eval "(voice_cmu_us_slt_arctic_hts)" -o "$work/raw.wav"
    finish "$work/raw.wav" "$here/en/$1.wav"
}
en one "one"
en two "two"
en three "three"
en four "four"
en five "five"
en six "six"
en seven "seven"
en eight "eight"
en nine "nine"
en ten "ten"
en eleven "eleven"
en twelve "twelve"
en o_clock "o'clock"
en zero "zero"
en thirteen "thirteen"
en fourteen "fourteen"
en fifteen "fifteen"
en sixteen "sixteen"
en seventeen "seventeen"
en eighteen "eighteen"
en nineteen "nineteen"
en twenty "twenty"
en thirty "thirty"
en fourty "forty"
en fifty "fifty"
en am "A.M."
en pm "P.M."
en alarm_set "alarm set"
en alarm_off "alarm off"
en wake_up "wake up!"

fr() {
    espeak-ng -v fr-fr -s "$fr_speed" -w "$work/raw.wav" "$2"
    finish "$work/raw.wav" "$here/fr/$1.wav"
}
fr une "une"
fr heure "heure"
fr midi "midi"
fr minuit "minuit"
fr deux "deux"
fr trois "trois"
fr quatre "quatre"
fr cinq "cinq"
fr six "six"
fr sept "sept"
fr huit "huit"
fr neuf "neuf"
fr dix "dix"
fr onze "onze"
fr treize "treize"
fr quatorze "quatorze"
fr quinze "quinze"
fr seize "seize"
fr vingt "vingt"
fr et "et"
fr un "un"
fr douze "douze"
fr trente "trente"
fr quarante "quarante"
fr cinquante "cinquante"
# The day half as its letters, the way the clock reads it out in French.
fr am "a.m."
fr pm "p.m."
fr sonnerie_active "sonnerie activée"
fr sonnerie_deactive "sonnerie désactivée"
fr reveille "réveille-toi !"

# The built-in alarm sound: four short beeps and a pause, 1.2 s, that loops
# without a click (it starts and ends at zero, each beep fades in and out).
# A square wave softened above its third harmonic, as a bedside clock sounds.
# Levelled as a loop to the loudness of a typical music track, 6 LU above the
# voice: it wakes as a chosen track would, yet is no jolt next to the spoken
# time, and the beep stays clear under words that overlap it.
sox -n -r "$rate" -c 1 -b 16 "$work/beep1.wav" synth 0.08 square 2000 vol 0.5 \
    lowpass 7000 fade t 0.004 -0 0.004
sox -n -r "$rate" -c 1 -b 16 "$work/gap.wav" trim 0 0.07
sox -n -r "$rate" -c 1 -b 16 "$work/pause.wav" trim 0 0.6
sox "$work/beep1.wav" "$work/gap.wav" "$work/beep1.wav" "$work/gap.wav" \
    "$work/beep1.wav" "$work/gap.wav" "$work/beep1.wav" "$work/pause.wav" \
    "$work/beep.wav"
level "$work/beep.wav" "$here/beep.wav" "$beep_target"

# The check: every clip has sound, is at the target loudness, does not clip,
# and no clip is longer than 1.5 s.
status=0
printf '%-28s %8s %8s %8s\n' clip seconds LUFS peak-dB
for clip in "$here"/en/*.wav "$here"/fr/*.wav "$here"/beep.wav; do
    length=$(soxi -D "$clip")
    lufs=$(loudness "$clip")
    peak=$(sox "$clip" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
    name=${clip#"$here/"}
    printf '%-28s %8.3f %8.1f %8.1f\n' "$name" "$length" "$lufs" "$peak"
    echo "${name%%/*} $lufs" >>"$work/levels"
    want=$target
    case $name in beep.wav) want=$beep_target ;; esac
    if awk -v l="$lufs" -v t="$want" 'BEGIN { d = l - t; exit !(d > 1 || d < -1) }'; then
        echo "not at $want LUFS: $name" >&2
        status=1
    fi
    if awk -v p="$peak" 'BEGIN { exit !(p > -0.1) }'; then
        echo "clips: $name" >&2
        status=1
    fi
    case $name in beep.wav) continue ;; esac
    if awk -v l="$length" 'BEGIN { exit !(l > 1.5) }'; then
        echo "too long: $name" >&2
        status=1
    fi
done
# Each language's mean and range: both at the one target, so within 1 LU of each other.
awk '$1 != "beep.wav" { n[$1]++; s[$1] += $2
        if (!($1 in lo) || $2 < lo[$1]) lo[$1] = $2
        if (!($1 in hi) || $2 > hi[$1]) hi[$1] = $2 }
    END { for (l in n) printf "%s: %d clips, mean %.1f LUFS, from %.1f to %.1f\n", l, n[l], s[l] / n[l], lo[l], hi[l] }' \
    "$work/levels"
exit $status
