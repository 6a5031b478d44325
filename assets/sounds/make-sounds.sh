#!/bin/sh
# Remakes the voice clips and the alarm beep with Debian tools only:
#   espeak-ng (speech, both languages) and sox (trim, level, format).
# Every clip is trimmed of leading and trailing silence and brought to the same
# peak level, so that clips played back to back sound like one phrase. Output:
# 16-bit PCM mono at 22050 Hz. The outputs are committed; run this after
# changing a word or a setting here. It ends with a table of every clip's
# length and level, and fails if a clip is silent or longer than 1.5 s.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
rate=22050
speed=150 # words per minute
# Repeatable mode: the same dither every run, so the outputs are byte for byte the same.
export SOX_OPTS=-R
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# speak VOICE FOLDER FILE TEXT
speak() {
    espeak-ng -v "$1" -s "$speed" -w "$work/raw.wav" "$4"
    # Trim silence at both ends (below 0.5% of full scale), with a few
    # milliseconds of fade so that no clip starts or stops with a click.
    sox "$work/raw.wav" "$work/trimmed.wav" \
        silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse
    sox "$work/trimmed.wav" -r "$rate" -c 1 -b 16 -e signed-integer "$here/$2/$3" \
        fade t 0.005 -0 0.010 norm -1
}

mkdir -p "$here/en" "$here/fr"
rm -f "$here/en/"*.wav "$here/fr/"*.wav

en() { speak en-us en "$1.wav" "$2"; }
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

fr() { speak fr-fr fr "$1.wav" "$2"; }
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
sox -n -r "$rate" -c 1 -b 16 "$work/beep1.wav" synth 0.08 square 2000 vol 0.5 \
    lowpass 7000 fade t 0.004 -0 0.004
sox -n -r "$rate" -c 1 -b 16 "$work/gap.wav" trim 0 0.07
sox -n -r "$rate" -c 1 -b 16 "$work/pause.wav" trim 0 0.6
sox "$work/beep1.wav" "$work/gap.wav" "$work/beep1.wav" "$work/gap.wav" \
    "$work/beep1.wav" "$work/gap.wav" "$work/beep1.wav" "$work/pause.wav" \
    -b 16 -e signed-integer "$here/beep.wav" norm -3

# The check: every clip has sound and none is longer than 1.5 s.
status=0
printf '%-28s %8s %8s %8s\n' clip seconds peak rms
for clip in "$here"/en/*.wav "$here"/fr/*.wav "$here"/beep.wav; do
    stats=$(sox "$clip" -n stat 2>&1)
    length=$(echo "$stats" | awk '/^Length/ {print $3}')
    peak=$(echo "$stats" | awk '/^Maximum amplitude/ {print $3}')
    rms=$(echo "$stats" | awk '/^RMS +amplitude/ {print $3}')
    name=${clip#"$here/"}
    printf '%-28s %8.3f %8.3f %8.3f\n' "$name" "$length" "$peak" "$rms"
    if awk -v r="$rms" 'BEGIN { exit !(r < 0.01) }'; then
        echo "silent: $name" >&2
        status=1
    fi
    case $name in beep.wav) continue ;; esac
    if awk -v l="$length" 'BEGIN { exit !(l > 1.5) }'; then
        echo "too long: $name" >&2
        status=1
    fi
done
exit $status
