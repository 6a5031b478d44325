#!/usr/bin/python3
"""Writes a Windows icon file whose images are in 32-bit colour (8 bits each
of blue, green, red and alpha) with a 1-bit mask for programs that read no
alpha; a 256-pixel image is stored as PNG, as Windows stores its large icons.

    /usr/bin/python3 make-ico.py OUT.ico IMAGE.png...

Each PNG (square, 256 pixels at most) becomes one image of the icon, in the
order given. ImageMagick's convert reads the PNGs.
"""

import struct
import subprocess
import sys

CONVERT = "/usr/bin/convert"


def readRgba(path):
    size = subprocess.run(
        [CONVERT, path, "-format", "%w %h", "info:"], check=True, capture_output=True, text=True
    ).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run([CONVERT, path, "-depth", "8", "RGBA:-"], check=True, capture_output=True).stdout
    if width != height or width > 256 or len(raw) != width * height * 4:
        raise SystemExit(f"{path}: not a square image of at most 256 pixels")
    return width, raw


def rowBytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def bitmapImage(width, raw):
    """The image as a bitmap record: header, BGRA rows and mask, bottom-up."""
    colours, mask = bytearray(), bytearray()
    for y in reversed(range(width)):
        maskRow = bytearray(rowBytes(1, width))
        for x in range(width):
            r, g, b, a = raw[(y * width + x) * 4 : (y * width + x) * 4 + 4]
            colours += bytes((b, g, r, a))
            if a < 128:
                maskRow[x // 8] |= 0x80 >> (x % 8)
        mask += maskRow
    header = struct.pack("<IiiHHIIiiII", 40, width, width * 2, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return header + bytes(colours) + bytes(mask)


def pngImage(path):
    return subprocess.run(
        [CONVERT, path, "-depth", "8", "-define", "png:color-type=6", "-strip", "PNG:-"],
        check=True,
        capture_output=True,
    ).stdout


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    pictures = [readRgba(path) for path in sys.argv[2:]]
    images = [
        pngImage(path) if width == 256 else bitmapImage(width, raw)
        for path, (width, raw) in zip(sys.argv[2:], pictures)
    ]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), image in zip(pictures, images):
        # A side of 256 is written 0.
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
