#!/usr/bin/python3
"""Writes the SVG sources of the window's pictures and of the program icon.

The background and the small pictures laid over it share the geometry below,
so that each picture lies exactly over its spot on the background: the lit
RADIO and BUZZER switches are drawn by the same code as the dark switches of
the background, only lit; the buttons sit on the housing's flat grey.

    /usr/bin/python3 make-pictures.py PICTURES_DIR

writes PICTURES_DIR/icon.svg (installed as the scalable icon) and the other
sources in PICTURES_DIR/svg/: bg, on, off, settings, track, buzz, song and
icon-32 (the icon with bolder lines for 32 pixels) and
icon-small (the icon drawn pixel by pixel for 16 pixels). make-assets.sh renders them at
their exact pixel sizes.
"""

import math
import os
import sys

# The housing grey: also the background colour of the track label.
GREY = "#a2a2a2"
FONT = "font-family:'DejaVu Sans';font-weight:bold"

WINDOW_W, WINDOW_H = 600, 300

# Where the pictures and labels lie on the window (x, y, w, h in pixels).
ON_OFF = (24, 64, 50, 25)
SETTINGS = (48, 37, 27, 27)
TRACK = (80, 64, 25, 25)
SONG = (33, 128, 24, 47)  # the RADIO switch
BUZZ = (60, 129, 29, 46)  # the BUZZER switch
TRACK_STRIP = (112, 72, 433, 17)
ALARM_LABEL = (96, 112, 89, 25)
TIME_LABEL = (104, 144, 339, 97)
AMPM_LABEL = (456, 144, 105, 97)

# The set itself: a grey housing with a glossy black front panel let into it.
BODY_LEFT, BODY_RIGHT, BODY_TOP, BODY_BOTTOM = 12, 588, 34, 288
BODY_TOP_RADIUS, BODY_BOTTOM_RADIUS = 40, 16
PANEL_LEFT, PANEL_RIGHT, PANEL_TOP, PANEL_BOTTOM = 18, 582, 100, 280
DISPLAY = (97, 140, 471, 107)  # the display window around the time and day-half labels
BADGE = (30, 110, 58, 14)  # the ALARM badge, beside the alarm-time label


def svg(width, height, body, defs=""):
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n<defs>\n{defs}</defs>\n{body}</svg>\n'
    )


def linear(ident, stops, x1=0, y1=0, x2=0, y2=1, units=""):
    attrs = f'id="{ident}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}"'
    if units:
        attrs += f' gradientUnits="{units}"'
    body = "".join(
        f'<stop offset="{offset}" stop-color="{colour}" stop-opacity="{opacity}"/>'
        for offset, colour, opacity in stops
    )
    return f"<linearGradient {attrs}>{body}</linearGradient>\n"


def radial(ident, stops, cx=0.5, cy=0.5, r=0.5):
    body = "".join(
        f'<stop offset="{offset}" stop-color="{colour}" stop-opacity="{opacity}"/>'
        for offset, colour, opacity in stops
    )
    return f'<radialGradient id="{ident}" cx="{cx}" cy="{cy}" r="{r}">{body}</radialGradient>\n'


def roundedPath(left, top, right, bottom, topRadius, bottomRadius):
    t, b = topRadius, bottomRadius
    return (
        f"M{left},{top + t} A{t},{t} 0 0 1 {left + t},{top} H{right - t} "
        f"A{t},{t} 0 0 1 {right},{top + t} V{bottom - b} "
        f"A{b},{b} 0 0 1 {right - b},{bottom} H{left + b} "
        f"A{b},{b} 0 0 1 {left},{bottom - b} Z"
    )


# --- slide switches -------------------------------------------------------


def slideSwitch(width, height, caption, lit, prefix):
    """A slide switch in a width x height box on black: a window with its
    slider, a dot light under it and the caption at the bottom. Lit, the
    window glows blue and the dot is on. The outer two rows and columns stay
    black, so a picture placed one pixel off still covers the dark switch."""
    defs = ""
    cx = width / 2
    win = (3, 3, width - 6, 19)
    if lit:
        defs += linear(f"{prefix}win", [(0, "#9fd4ff", 1), (0.45, "#2f8df0", 1), (1, "#0b4fb0", 1)])
        defs += linear(f"{prefix}knob", [(0, "#ffffff", 1), (1, "#bcd9f7", 1)])
        defs += radial(f"{prefix}glow", [(0, "#bfe8ff", 1), (0.35, "#4fb0ff", 0.9), (1, "#1a7cff", 0)])
        frame, knobRidge, textColour = "#6ab8ff", "#5a8fc8", "#ffffff"
    else:
        defs += linear(f"{prefix}win", [(0, "#2a2d31", 1), (1, "#121416", 1)])
        defs += linear(f"{prefix}knob", [(0, "#6a6a6a", 1), (1, "#3a3a3a", 1)])
        frame, knobRidge, textColour = "#4a4a4a", "#2a2a2a", "#8e8e8e"
    x, y, w, h = win
    body = f'<rect x="0" y="0" width="{width}" height="{height}" fill="#000"/>\n'
    body += (
        f'<rect x="{x + 0.5}" y="{y + 0.5}" width="{w - 1}" height="{h - 1}" rx="2.5" '
        f'fill="url(#{prefix}win)" stroke="{frame}" stroke-width="1"/>\n'
    )
    # The slider, pushed up, with three grip ridges.
    kx, ky, kw, kh = x + 3, y + 3, w - 6, 7
    body += f'<rect x="{kx}" y="{ky}" width="{kw}" height="{kh}" rx="1.2" fill="url(#{prefix}knob)"/>\n'
    for i in range(3):
        ry = ky + 2 + i * 1.6
        body += (
            f'<line x1="{kx + 2}" y1="{ry}" x2="{kx + kw - 2}" y2="{ry}" '
            f'stroke="{knobRidge}" stroke-width="0.6"/>\n'
        )
    dotY = 28
    if lit:
        body += f'<circle cx="{cx}" cy="{dotY}" r="5" fill="url(#{prefix}glow)"/>\n'
        body += f'<circle cx="{cx}" cy="{dotY}" r="2.1" fill="#e6f6ff"/>\n'
    else:
        body += f'<circle cx="{cx}" cy="{dotY}" r="2.3" fill="#1c1c1c" stroke="#3c3c3c" stroke-width="0.7"/>\n'
    body += (
        f'<text x="{cx}" y="40" text-anchor="middle" style="{FONT};font-size:6px" '
        f'fill="{textColour}">{caption}</text>\n'
    )
    return defs, body


def switchPicture(box, caption, lit):
    _, _, w, h = box
    defs, body = slideSwitch(w, h, caption, lit, "s")
    return svg(w, h, body, defs)


# --- small buttons on the housing -----------------------------------------


def toggle(on):
    w, h = ON_OFF[2], ON_OFF[3]
    defs = ""
    if on:
        defs += linear("pill", [(0, "#6fb8ff", 1), (0.5, "#1f7ae6", 1), (1, "#0d52b0", 1)])
        edge, caption, textX, knobX, textColour = "#0a3f86", "ON", 18, 37.5, "#ffffff"
    else:
        defs += linear("pill", [(0, "#5c5c5c", 1), (0.5, "#3a3a3a", 1), (1, "#262626", 1)])
        edge, caption, textX, knobX, textColour = "#1a1a1a", "OFF", 32, 12.5, "#d6d6d6"
    defs += radial("knob", [(0, "#ffffff", 1), (0.7, "#e4e4e4", 1), (1, "#a8a8a8", 1)], cx=0.4, cy=0.35, r=0.65)
    defs += linear("shine", [(0, "#ffffff", 0.45), (1, "#ffffff", 0)])
    body = f'<rect width="{w}" height="{h}" fill="{GREY}"/>\n'
    body += f'<rect x="2.5" y="3.5" width="45" height="19" rx="9.5" fill="#000" opacity="0.18"/>\n'
    body += f'<rect x="2.5" y="2.5" width="45" height="19" rx="9.5" fill="url(#pill)" stroke="{edge}"/>\n'
    body += '<rect x="6" y="3.5" width="38" height="7" rx="3.5" fill="url(#shine)"/>\n'
    body += (
        f'<text x="{textX}" y="15.6" text-anchor="middle" style="{FONT};font-size:9px" '
        f'fill="{textColour}">{caption}</text>\n'
    )
    body += f'<circle cx="{knobX}" cy="12.8" r="8" fill="#000" opacity="0.25"/>\n'
    body += f'<circle cx="{knobX}" cy="12" r="7.6" fill="url(#knob)" stroke="#7a7a7a" stroke-width="0.6"/>\n'
    return svg(w, h, body, defs)


def cog():
    w = SETTINGS[2]
    c = w / 2
    teeth, outer, inner, hole = 8, 12.2, 9.2, 3.6
    points = []
    for i in range(teeth):
        base = 2 * math.pi * i / teeth
        for angle, radius in (
            (base - 0.30, inner),
            (base - 0.17, outer),
            (base + 0.17, outer),
            (base + 0.30, inner),
        ):
            points.append(f"{c + radius * math.sin(angle):.2f},{c - radius * math.cos(angle):.2f}")
    wheel = "M" + " L".join(points) + " Z"
    ring = f"M{c + hole},{c} A{hole},{hole} 0 1 0 {c - hole},{c} A{hole},{hole} 0 1 0 {c + hole},{c} Z"
    defs = linear("metal", [(0, "#3a3a3a", 1), (1, "#050505", 1)])
    body = f'<rect width="{w}" height="{w}" fill="{GREY}"/>\n'
    body += f'<path d="{wheel} {ring}" transform="translate(0.4,0.6)" fill="#000" opacity="0.25" fill-rule="evenodd"/>\n'
    body += f'<path d="{wheel} {ring}" fill="url(#metal)" fill-rule="evenodd"/>\n'
    body += f'<circle cx="{c}" cy="{c}" r="6.6" fill="none" stroke="#4a4a4a" stroke-width="0.8"/>\n'
    return svg(w, w, body, defs)


def notes():
    w = TRACK[2]
    body = f'<rect width="{w}" height="{w}" fill="{GREY}"/>\n'
    shape = (
        '<ellipse cx="7.2" cy="19.2" rx="3.9" ry="2.8" transform="rotate(-22 7.2 19.2)"/>\n'
        '<ellipse cx="18.2" cy="17.2" rx="3.9" ry="2.8" transform="rotate(-22 18.2 17.2)"/>\n'
        '<rect x="9.6" y="6.2" width="1.7" height="13"/>\n'
        '<rect x="20.6" y="4.2" width="1.7" height="13"/>\n'
        '<path d="M9.6,5.4 L22.3,3.1 L22.3,7.1 L9.6,9.4 Z"/>\n'
    )
    body += f'<g fill="#000" opacity="0.22" transform="translate(0.5,0.7)">\n{shape}</g>\n'
    body += f'<g fill="#0a0a0a">\n{shape}</g>\n'
    return svg(w, w, body)


# --- the background -------------------------------------------------------


def grille(defs):
    """A perforated speaker grille across the top of the housing."""
    x, y, w, h = TRACK_STRIP[0], 41, TRACK_STRIP[2], 25
    defs += (
        '<pattern id="holes" x="0" y="0" width="4" height="4" patternUnits="userSpaceOnUse">'
        '<circle cx="2" cy="2" r="1.15" fill="#2e2e2e"/></pattern>\n'
    )
    defs += linear("grilleShade", [(0, "#000", 0.10), (0.5, "#000", 0), (1, "#fff", 0.18)])
    body = f'<rect x="{x - 0.5}" y="{y - 0.5}" width="{w + 1}" height="{h + 1}" rx="5" fill="#8e8e8e" stroke="#7a7a7a"/>\n'
    body += f'<rect x="{x + 3}" y="{y + 3}" width="{w - 6}" height="{h - 6}" rx="3" fill="url(#holes)"/>\n'
    body += f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="5" fill="url(#grilleShade)"/>\n'
    body += f'<path d="M{x + 4},{y + h + 1} H{x + w - 4}" stroke="#c4c4c4" stroke-width="1"/>\n'
    return defs, body


def trackStrip():
    """A fine engraved frame around the track label's grey strip."""
    x, y, w, h = TRACK_STRIP
    body = f'<path d="M{x - 3},{y + h + 2.5} V{y - 2.5} H{x + w + 3}" fill="none" stroke="#878787"/>\n'
    body += f'<path d="M{x + w + 3.5},{y - 2} V{y + h + 3} H{x - 3}" fill="none" stroke="#bdbdbd"/>\n'
    return body


def tuningWheel(defs):
    """The ridged edge of the tuning wheel at the right of the housing."""
    x, y, w, h = 557, 44, 20, 48
    defs += linear("wheel", [(0, "#1a1a1a", 1), (0.35, "#6a6a6a", 1), (0.5, "#8a8a8a", 1), (0.65, "#6a6a6a", 1), (1, "#1a1a1a", 1)])
    body = f'<rect x="{x - 2}" y="{y - 2}" width="{w + 4}" height="{h + 4}" rx="3" fill="#7c7c7c"/>\n'
    body += f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="2" fill="url(#wheel)"/>\n'
    for i in range(1, h // 3):
        body += (
            f'<line x1="{x + 1}" y1="{y + 3 * i + 0.5}" x2="{x + w - 1}" y2="{y + 3 * i + 0.5}" '
            f'stroke="#000" stroke-opacity="0.35" stroke-width="1"/>\n'
        )
    body += (
        f'<text x="{x + w / 2}" y="{y + h + 8}" text-anchor="middle" style="{FONT};font-size:5px" '
        f'fill="#555">TUNE</text>\n'
    )
    return defs, body


def badge():
    x, y, w, h = BADGE
    body = f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="2.5" fill="url(#badge)"/>\n'
    body += (
        f'<text x="{x + w / 2}" y="{y + 10.4}" text-anchor="middle" '
        f'style="{FONT};font-size:9.5px;letter-spacing:0.6px" fill="#111">ALARM</text>\n'
    )
    return body


def display():
    x, y, w, h = DISPLAY
    body = f'<rect x="{x - 2}" y="{y - 2}" width="{w + 4}" height="{h + 4}" rx="6" fill="url(#bezel)"/>\n'
    body += f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="4" fill="#000"/>\n'
    return body


def dialScale():
    """The printed AM/FM frequency scale under the display."""
    left, right, top = 110, 556, 256
    body = f'<rect x="{left - 14}" y="{top - 3}" width="{right - left + 28}" height="24" rx="3" fill="#000" fill-opacity="0.6" stroke="#242424"/>\n'
    bands = [
        ("FM", ["88", "92", "96", "100", "104", "108"], "MHz", top + 6),
        ("AM", ["530", "600", "800", "1000", "1200", "1400", "1600"], "kHz", top + 15),
    ]
    for name, marks, unit, baseline in bands:
        body += f'<text x="{left - 8}" y="{baseline}" style="{FONT};font-size:6px" fill="#7d7d7d">{name}</text>\n'
        body += (
            f'<text x="{right + 8}" y="{baseline}" text-anchor="end" style="{FONT};font-size:5px" '
            f'fill="#6a6a6a">{unit}</text>\n'
        )
        start, stop = left + 20, right - 22
        for i, mark in enumerate(marks):
            mx = start + (stop - start) * i / (len(marks) - 1)
            body += (
                f'<text x="{mx:.1f}" y="{baseline}" text-anchor="middle" style="{FONT};font-size:6px" '
                f'fill="#8a8a8a">{mark}</text>\n'
            )
    for i in range(61):
        tx = left + 20 + (right - 22 - left - 20) * i / 60
        length = 3 if i % 5 == 0 else 1.5
        body += (
            f'<line x1="{tx:.1f}" y1="{top + 8}" x2="{tx:.1f}" y2="{top + 8 + length}" '
            f'stroke="#5a5a5a" stroke-width="0.6"/>\n'
        )
    body += f'<rect x="{left + 160}" y="{top - 1}" width="1.2" height="20" fill="#d02020"/>\n'
    return body


def background():
    defs = ""
    defs += f'<clipPath id="bodyClip"><path d="{bodyPath()}"/></clipPath>\n'
    defs += linear("bodySides", [(0, "#000", 0.22), (0.02, "#000", 0), (0.98, "#000", 0), (1, "#000", 0.25)],
                   x1=BODY_LEFT, y1=0, x2=BODY_RIGHT, y2=0, units="userSpaceOnUse")
    defs += linear("bodyTop", [(0, "#fff", 0.55), (1, "#fff", 0)],
                   x1=0, y1=BODY_TOP, x2=0, y2=BODY_TOP + 3, units="userSpaceOnUse")
    defs += linear("bodyBottom", [(0, "#000", 0), (1, "#000", 0.30)],
                   x1=0, y1=PANEL_BOTTOM, x2=0, y2=BODY_BOTTOM, units="userSpaceOnUse")
    defs += linear("panelTop", [(0, "#3a3a3a", 1), (1, "#000", 1)],
                   x1=0, y1=PANEL_TOP, x2=0, y2=PANEL_TOP + 7, units="userSpaceOnUse")
    defs += linear("panelBottom", [(0, "#000", 1), (1, "#1e1e1e", 1)],
                   x1=0, y1=PANEL_BOTTOM - 24, x2=0, y2=PANEL_BOTTOM, units="userSpaceOnUse")
    defs += linear("bezel", [(0, "#141414", 1), (1, "#3c3c3c", 1)])
    defs += linear("badge", [(0, "#ffffff", 1), (1, "#d8d8d8", 1)])
    defs += linear("glint", [(0, "#fff", 0.0), (0.5, "#fff", 0.09), (1, "#fff", 0.0)], x1=0, y1=0, x2=1, y2=0)
    defs += linear("foot", [(0, "#3a3a3a", 1), (1, "#0a0a0a", 1)])
    defs += '<filter id="blur" x="-10%" y="-200%" width="120%" height="500%"><feGaussianBlur stdDeviation="3"/></filter>\n'

    body = f'<rect width="{WINDOW_W}" height="{WINDOW_H}" fill="#fff"/>\n'
    body += f'<ellipse cx="300" cy="292" rx="282" ry="4" fill="#000" opacity="0.35" filter="url(#blur)"/>\n'
    for fx in (70, 470):
        body += f'<rect x="{fx}" y="{BODY_BOTTOM - 4}" width="60" height="10" rx="3" fill="url(#foot)"/>\n'

    # Housing.
    body += f'<path d="{bodyPath()}" fill="{GREY}"/>\n'
    body += '<g clip-path="url(#bodyClip)">\n'
    body += f'<rect x="0" y="0" width="{WINDOW_W}" height="{WINDOW_H}" fill="url(#bodySides)"/>\n'
    body += f'<rect x="0" y="{BODY_TOP}" width="{WINDOW_W}" height="4" fill="url(#bodyTop)"/>\n'
    body += f'<rect x="0" y="{PANEL_BOTTOM}" width="{WINDOW_W}" height="{BODY_BOTTOM - PANEL_BOTTOM}" fill="url(#bodyBottom)"/>\n'
    body += "</g>\n"
    body += f'<path d="{bodyPath()}" fill="none" stroke="#6e6e6e" stroke-width="1"/>\n'
    defs, part = grille(defs)
    body += part
    body += trackStrip()
    defs, part = tuningWheel(defs)
    body += part

    # Front panel: black glass let into the housing.
    panel = roundedPath(PANEL_LEFT, PANEL_TOP, PANEL_RIGHT, PANEL_BOTTOM, 4, 8)
    body += f'<path d="{panel}" fill="#000" stroke="#5a5a5a" stroke-width="1"/>\n'
    body += f'<rect x="{PANEL_LEFT + 1}" y="{PANEL_TOP + 0.5}" width="{PANEL_RIGHT - PANEL_LEFT - 2}" height="7" rx="3" fill="url(#panelTop)"/>\n'
    body += f'<rect x="{PANEL_LEFT + 1}" y="{PANEL_BOTTOM - 24}" width="{PANEL_RIGHT - PANEL_LEFT - 2}" height="23.5" rx="7" fill="url(#panelBottom)"/>\n'
    # Reflections across the glass, drawn under the display and the dial and
    # clear of the badge, the switches and the alarm-time label, whose boxes
    # are plain black.
    for x0, width in ((470, 46), (528, 14)):
        body += (
            f'<path d="M{x0},{PANEL_TOP + 1} h{width} L{x0 + width - 70},{PANEL_BOTTOM - 1} h{-width} Z" '
            f'fill="url(#glint)"/>\n'
        )
    body += badge()
    for box, caption in ((SONG, "RADIO"), (BUZZ, "BUZZER")):
        x, y, w, h = box
        part_defs, part = slideSwitch(w, h, caption, False, f"d{caption}")
        defs += part_defs
        body += f'<g transform="translate({x},{y})">\n{part}</g>\n'
    body += display()
    body += dialScale()
    return svg(WINDOW_W, WINDOW_H, body, defs)


def bodyPath():
    return roundedPath(BODY_LEFT, BODY_TOP, BODY_RIGHT, BODY_BOTTOM, BODY_TOP_RADIUS, BODY_BOTTOM_RADIUS)


# --- the icon -------------------------------------------------------------


def icon(bold=False):
    """A red alarm clock on a transparent ground, drawn on a 128 grid: two
    bells, a hammer between them, two feet, a white face with black hour and
    minute hands and a magenta second hand. The bold variant, for 32 pixels,
    has thicker hands and lines, which a quarter-size rendering would blur."""
    line = 1.8 if bold else 1.0
    outline = "#5a0000"
    defs = radial("case", [(0, "#ff6a5a", 1), (0.6, "#e21f1f", 1), (1, "#9c0606", 1)], cx=0.38, cy=0.32, r=0.75)
    defs += radial("bell", [(0, "#ff7a6a", 1), (0.7, "#d81818", 1), (1, "#8c0404", 1)], cx=0.4, cy=0.3, r=0.8)
    defs += radial("face", [(0, "#ffffff", 1), (0.85, "#ffffff", 1), (1, "#dcdcdc", 1)])
    cx, cy, rCase, rFace = 64, 72, 44, 34
    s = 4 * line
    body = ""
    # Feet.
    for side in (-1, 1):
        body += (
            f'<path d="M{cx + side * 24},{cy + 34} L{cx + side * 38},{cy + 50}" stroke="{outline}" '
            f'stroke-width="{12 + s}" stroke-linecap="round"/>\n'
            f'<path d="M{cx + side * 24},{cy + 34} L{cx + side * 38},{cy + 50}" stroke="#c01010" '
            f'stroke-width="12" stroke-linecap="round"/>\n'
        )
    # Hammer and handle between the bells.
    body += f'<rect x="{cx - 3}" y="14" width="6" height="16" fill="#444" stroke="#111" stroke-width="{line}"/>\n'
    body += f'<circle cx="{cx}" cy="13" r="6" fill="#666" stroke="#111" stroke-width="{line * 1.5}"/>\n'
    # Bells: domes tilted outwards.
    for side, angle in ((-1, -38), (1, 38)):
        bx, by = cx + side * 36, 30
        body += (
            f'<g transform="rotate({angle} {bx} {by})">'
            f'<path d="M{bx - 22},{by + 8} A22,22 0 0 1 {bx + 22},{by + 8} Z" fill="url(#bell)" '
            f'stroke="{outline}" stroke-width="{2.5 * line}" stroke-linejoin="round"/>'
            f'<rect x="{bx - 3}" y="{by - 18}" width="6" height="5" rx="1.5" fill="#555" stroke="#111" stroke-width="{line}"/>'
            f"</g>\n"
        )
    # Case and face.
    body += f'<circle cx="{cx}" cy="{cy}" r="{rCase}" fill="url(#case)" stroke="{outline}" stroke-width="{3 * line}"/>\n'
    body += f'<circle cx="{cx}" cy="{cy}" r="{rFace}" fill="url(#face)" stroke="#7a0a0a" stroke-width="{2 * line}"/>\n'
    for hour in range(12):
        a = math.radians(hour * 30)
        r1, r2 = (rFace - 9, rFace - 3) if hour % 3 == 0 else (rFace - 6, rFace - 3)
        width = 3.2 if hour % 3 == 0 else 1.8
        body += (
            f'<line x1="{cx + r1 * math.sin(a):.2f}" y1="{cy - r1 * math.cos(a):.2f}" '
            f'x2="{cx + r2 * math.sin(a):.2f}" y2="{cy - r2 * math.cos(a):.2f}" '
            f'stroke="#222" stroke-width="{width}" stroke-linecap="round"/>\n'
        )

    def hand(degrees, length, width, colour, tail=0):
        a = math.radians(degrees)
        return (
            f'<line x1="{cx - tail * math.sin(a):.2f}" y1="{cy + tail * math.cos(a):.2f}" '
            f'x2="{cx + length * math.sin(a):.2f}" y2="{cy - length * math.cos(a):.2f}" '
            f'stroke="{colour}" stroke-width="{width}" stroke-linecap="round"/>\n'
        )

    # Ten past ten, the second hand towards seven.
    body += hand(305, 18, 9 if bold else 6, "#000")
    body += hand(60, 27, 7 if bold else 4, "#000")
    body += hand(210, 29, 5 if bold else 2.2, "#ff00ff", tail=7)
    body += f'<circle cx="{cx}" cy="{cy}" r="{5 if bold else 3.5}" fill="#ff00ff" stroke="#000" stroke-width="1"/>\n'
    return svg(128, 128, body, defs)


# The same clock drawn pixel by pixel for 16 x 16, where a scaled drawing blurs;
# its colours are in the icon file's palette (make-ico.py).
SMALL_ICON = [
    ".KKK...GG...KKK.",
    "KrRRK..GG..KRRrK",
    "KRRK.KKKKKK.KRRK",
    ".KK.KrRRRRRK.KK.",
    "...KrWWWWWWRK...",
    "..KrWBWWWWWBRK..",
    "..KRWWBWWWBWRK..",
    ".KRWWWWBWBWWWRK.",
    ".KRWWWWBBWWWWRK.",
    ".KRWWWWMWWWWWRK.",
    ".KRWWWMWWWWWWRK.",
    "..KRWMWWWWWWRK..",
    "..KRWWWWWWWWRK..",
    "...KRWWWWWWRK...",
    "..KKRRRRRRRRKK..",
    ".KK.KKKKKKKK.KK.",
]
SMALL_ICON_COLOURS = {
    "K": "#3a0000",  # outline
    "R": "#e01a1a",  # case and bells
    "r": "#ff9080",  # highlight
    "W": "#ffffff",  # face
    "B": "#000000",  # hour and minute hands
    "M": "#ff00ff",  # second hand
    "G": "#606060",  # hammer
}


def iconSmall():
    body = '<g shape-rendering="crispEdges">\n'
    for y, row in enumerate(SMALL_ICON):
        for x, key in enumerate(row):
            if key != ".":
                body += f'<rect x="{x}" y="{y}" width="1" height="1" fill="{SMALL_ICON_COLOURS[key]}"/>\n'
    body += "</g>\n"
    return svg(16, 16, body)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(out, "svg"), exist_ok=True)
    files = {
        "bg.svg": background(),
        "on.svg": toggle(True),
        "off.svg": toggle(False),
        "settings.svg": cog(),
        "track.svg": notes(),
        "song.svg": switchPicture(SONG, "RADIO", True),
        "buzz.svg": switchPicture(BUZZ, "BUZZER", True),
        "icon.svg": icon(),
        "icon-32.svg": icon(bold=True),
        "icon-small.svg": iconSmall(),
    }
    for name, text in files.items():
        path = os.path.join(out, name if name == "icon.svg" else os.path.join("svg", name))
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
