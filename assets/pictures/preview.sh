#!/bin/sh
# Draws the whole window as the program lays it out, for a look at the
# pictures together: the background, the small pictures at their places and
# the labels with sample captions. Usage: preview.sh OUT.png [on|off] [buzz|song]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
fonts="$here/../fonts"
out=$1
switch=${2:-off}
sound=${3:-buzz}
if [ "$sound" = buzz ]; then sx=60 sy=129; else sx=33 sy=128; fi
/usr/bin/convert "$here/bg.jpg" \
    "$here/$switch.jpg" -geometry +24+64 -composite \
    "$here/settings.jpg" -geometry +48+37 -composite \
    "$here/track.jpg" -geometry +80+64 -composite \
    "$here/$sound.jpg" -geometry +$sx+$sy -composite \
    -fill black -draw 'rectangle 96,112 184,136' \
    -draw 'rectangle 104,144 442,240' -draw 'rectangle 456,144 560,240' \
    -draw 'rectangle 560,3 575,33' -draw 'rectangle 580,3 595,33' \
    -fill '#a2a2a2' -draw 'rectangle 112,72 544,88' \
    -density 96 \
    -fill cyan -font "$fonts/DS-DIGIB.TTF" -pointsize 72 \
    -gravity NorthWest -annotate +117+144 '12:30:00' -annotate +461+144 'PM' \
    -pointsize 24 -fill '#d0d0d0' -annotate +561+4 '-' -annotate +581+4 'X' \
    -font DejaVu-Sans-Bold -pointsize 8.25 -fill cyan -annotate +98+114 '06:45' \
    -pointsize 9 -fill black -annotate +114+73 'No Track Selected' \
    "$out"
