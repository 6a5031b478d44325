#!/usr/bin/python3
"""Writes a Windows icon file whose images have 16 colours each (4 bits per
pixel, one fixed palette) and a 1-bit transparency mask.

    /usr/bin/python3 make-ico.py OUT.ico IMAGE.png...

Each PNG (square, at most 255 pixels) becomes one image of the icon, in the
order given. Pixels with alpha below one half are transparent; the others take
the nearest colour of the palette. ImageMagick's convert reads the PNGs.
"""

import struct
import subprocess
import sys

CONVERT = "/usr/bin/convert"

# Index 0 is black: transparent pixels carry it, as the icon format expects
# under a set mask bit.
PALETTE = [
    (0x00, 0x00, 0x00),
    (0xFF, 0xFF, 0xFF),
    (0xFF, 0x00, 0xFF),
    (0x3A, 0x00, 0x00),
    (0x7A, 0x0A, 0x0A),
    (0xA8, 0x08, 0x08),
    (0xC8, 0x14, 0x14),
    (0xE0, 0x1A, 0x1A),
    (0xFF, 0x50, 0x40),
    (0xFF, 0x90, 0x80),
    (0x40, 0x40, 0x40),
    (0x60, 0x60, 0x60),
    (0x80, 0x80, 0x80),
    (0xA0, 0xA0, 0xA0),
    (0xD4, 0xD4, 0xD4),
    (0xFF, 0xC0, 0xFF),
]


def readRgba(path):
    size = subprocess.run(
        [CONVERT, path, "-format", "%w %h", "info:"], check=True, capture_output=True, text=True
    ).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run([CONVERT, path, "-depth", "8", "RGBA:-"], check=True, capture_output=True).stdout
    if width != height or width > 255 or len(raw) != width * height * 4:
        raise SystemExit(f"{path}: not a square image of at most 255 pixels")
    return width, raw


def nearest(r, g, b):
    return min(range(len(PALETTE)), key=lambda i: sum((c - p) ** 2 for c, p in zip((r, g, b), PALETTE[i])))


def rowBytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def iconImage(width, raw):
    """The image record: header, palette, colour bits and mask, rows bottom-up."""
    colourStride, maskStride = rowBytes(4, width), rowBytes(1, width)
    colours, mask = bytearray(), bytearray()
    for y in reversed(range(width)):
        colourRow, maskRow = bytearray(colourStride), bytearray(maskStride)
        for x in range(width):
            r, g, b, a = raw[(y * width + x) * 4 : (y * width + x) * 4 + 4]
            if a < 128:
                maskRow[x // 8] |= 0x80 >> (x % 8)
                index = 0
            else:
                index = nearest(r, g, b)
            colourRow[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colours += colourRow
        mask += maskRow
    header = struct.pack(
        "<IiiHHIIiiII", 40, width, width * 2, 1, 4, 0, len(colours) + len(mask), 0, 0, len(PALETTE), 0
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    pictures = [readRgba(path) for path in sys.argv[2:]]
    images = [iconImage(width, raw) for width, raw in pictures]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), image in zip(pictures, images):
        out += struct.pack("<BBBBHHII", size, size, len(PALETTE), 0, 1, 4, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
