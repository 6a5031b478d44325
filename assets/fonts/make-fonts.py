#!/usr/bin/python3
"""Makes the four DS-DIGITAL font files of the clock display from Debian's
fonts-dseg faces (SIL Open Font License 1.1).

Digits, colon, point and dash come from the seven-segment face; letters come
from the fourteen-segment face, whose M and X read as letters (the window needs
"AM", "PM" and "X"). The glyphs are condensed so that "12:30:00" at 72 pt fits
the 339-pixel time label and "PM" the 105-pixel day-half label, and lowered to
80 % height with a descent below the baseline so the digits sit centred in a
label of the font's own line height. Every name record is replaced: "DSEG" is
a Reserved Font Name of the original and may not name a modified version.

Run with Debian's /usr/bin/python3 (python3-fontforge):
    /usr/bin/python3 make-fonts.py [output-dir]
"""

import math
import os
import sys

# Fixed timestamps in the 'head' table, so that the files are reproducible.
os.environ.setdefault("SOURCE_DATE_EPOCH", "1577836800")

import fontforge  # noqa: E402
import psMat  # noqa: E402

SOURCE_DIR = "/usr/share/fonts/truetype/dseg"
FAMILY = "DS-DIGITAL"
PS_FAMILY = "DSDIGITAL"  # no hyphen: fontconfig would read the part after it as a style

# (output file, source style, style name, PostScript style)
FACES = [
    ("DS-DIGI.TTF", "Regular", "Regular", "Regular"),
    ("DS-DIGIB.TTF", "Bold", "Bold", "Bold"),
    ("DS-DIGII.TTF", "Italic", "Italic", "Italic"),
    ("DS-DIGIT.TTF", "BoldItalic", "Bold Italic", "BoldItalic"),
]

SCALE_X = 0.60
SCALE_Y = 0.80
ASCENT = 900
DESCENT = 100

LETTERS = [ord(c) for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"]

COPYRIGHT = (
    'Copyright (c) 2018, keshikan (http://www.keshikan.net), with Reserved Font Name "DSEG".\n'
    "Modified version: seven-segment digits with fourteen-segment letters, condensed, "
    "renamed DS-DIGITAL for the alarm clock."
)


def licenceText(font):
    for _lang, key, value in font.sfnt_names:
        if key == "License":
            return value
    raise SystemExit("no licence text in the source font")


def takeLetters(target, donor):
    for code in LETTERS:
        if code not in donor:
            continue
        source = donor[code]
        glyph = target.createChar(code)
        glyph.foreground = source.foreground
        glyph.width = source.width


def condense(font):
    matrix = psMat.scale(SCALE_X, SCALE_Y)
    for glyph in font.glyphs():
        width = glyph.width
        glyph.unlinkRef()
        glyph.transform(matrix)
        glyph.width = int(round(width * SCALE_X))
        glyph.ttinstrs = b""
    if font.italicangle:
        slant = math.tan(math.radians(-font.italicangle)) * SCALE_X / SCALE_Y
        font.italicangle = -round(math.degrees(math.atan(slant)), 2)


def redrawX(font):
    """Replaces X and x with two straight bars from corner to corner: the
    fourteen-segment X, once condensed, reads as ")(" at the size of the
    window's close label. Runs on the condensed font."""
    slant = math.radians(-font.italicangle)
    upright = font[ord("8")].foreground.dup()
    upright.transform(psMat.skew(-slant))
    left, bottom, right, top = upright.boundingBox()
    dash = font[ord("-")].boundingBox()
    # As thick as the upright segments: a dash's height, condensed like them.
    bar = (dash[3] - dash[1]) / SCALE_Y * SCALE_X * 1.25
    width = font[ord("8")].width
    for code in (ord("X"), ord("x")):
        glyph = font.createChar(code)
        pen = glyph.glyphPen()
        for contour in (
            [(left, bottom), (left + bar, bottom), (right, top), (right - bar, top)],
            [(right - bar, bottom), (right, bottom), (left + bar, top), (left, top)],
        ):
            pen.moveTo(contour[0])
            for point in contour[1:]:
                pen.lineTo(point)
            pen.closePath()
        pen = None
        glyph.removeOverlap()
        glyph.correctDirection()
        glyph.transform(psMat.skew(slant))
        glyph.width = width


def setMetrics(font):
    font.ascent = ASCENT
    font.descent = DESCENT
    for name in ("hhea_ascent_add", "hhea_descent_add", "os2_winascent_add",
                 "os2_windescent_add", "os2_typoascent_add", "os2_typodescent_add"):
        setattr(font, name, False)
    font.hhea_ascent = ASCENT
    font.hhea_descent = -DESCENT
    font.hhea_linegap = 0
    font.os2_winascent = ASCENT
    font.os2_windescent = DESCENT
    font.os2_typoascent = ASCENT
    font.os2_typodescent = -DESCENT
    font.os2_typolinegap = 0
    font.os2_use_typo_metrics = True


def rename(font, style, psStyle, licence, version):
    font.familyname = FAMILY
    font.fontname = f"{PS_FAMILY}-{psStyle}"
    font.fullname = FAMILY if style == "Regular" else f"{FAMILY} {style}"
    font.copyright = COPYRIGHT
    lang = "English (US)"
    font.sfnt_names = (
        (lang, "Copyright", COPYRIGHT),
        (lang, "Family", FAMILY),
        (lang, "SubFamily", style),
        (lang, "UniqueID", f"{FAMILY} {style} {version}"),
        (lang, "Fullname", font.fullname),
        (lang, "Version", f"Version {version}"),
        (lang, "PostScriptName", font.fontname),
        (lang, "Preferred Family", FAMILY),
        (lang, "Preferred Styles", style),
        (lang, "License", licence),
        (lang, "License URL", "http://scripts.sil.org/OFL"),
        (lang, "Sample Text", "12:30:00 PM"),
    )


def makeFace(outDir, fileName, sourceStyle, style, psStyle):
    font = fontforge.open(f"{SOURCE_DIR}/DSEG7Classic-{sourceStyle}.ttf")
    donor = fontforge.open(f"{SOURCE_DIR}/DSEG14Classic-{sourceStyle}.ttf")
    licence = licenceText(font)
    version = f"{font.version.replace('Version ', '').strip()}.1"
    takeLetters(font, donor)
    donor.close()
    condense(font)
    redrawX(font)
    setMetrics(font)
    rename(font, style, psStyle, licence, version)
    font.version = version
    font.generate(os.path.join(outDir, fileName), flags=("omit-instructions", "no-FFTM-table"))
    font.close()


OFL_HEADER = """DS-DIGITAL: the display font of the alarm clock (files DS-DIGI.TTF,
DS-DIGIB.TTF, DS-DIGII.TTF, DS-DIGIT.TTF).

This is a Modified Version of the DSEG fonts by keshikan, as packaged by
Debian (fonts-dseg 0.46): the seven-segment Classic faces with the letters of
the fourteen-segment Classic faces, condensed, with new vertical metrics and
renamed, since "DSEG" is a Reserved Font Name. It is made by make-fonts.py in
this folder and is licensed under the SIL Open Font License, Version 1.1, as
the original. The original copyright notice and the licence follow.

Copyright (c) 2017-2020, keshikan (http://www.keshikan.net),
with Reserved Font Name "DSEG".

"""


def writeLicence(outDir):
    font = fontforge.open(f"{SOURCE_DIR}/DSEG7Classic-Regular.ttf")
    text = licenceText(font)
    font.close()
    # The licence record starts with its own copyright line; keep the text from the licence title on.
    start = text.index("This Font Software is licensed")
    with open(os.path.join(outDir, "OFL.txt"), "w", encoding="utf-8", newline="\n") as out:
        out.write(OFL_HEADER + text[start:].rstrip() + "\n")


def main():
    outDir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for face in FACES:
        makeFace(outDir, *face)
    writeLicence(outDir)


if __name__ == "__main__":
    main()
