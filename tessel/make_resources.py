"""Writes the resources of Tessel.exe that are made at build time into OUTDIR:

  Tessel.ico       the program icon: a sheet of paper with three coloured streams running
                   through it, 32 x 32 and 16 x 16, 24 bits per pixel with a transparency mask
  Description.txt  the about box description (Description.txt beside this script) in code
                   page 1251 with CR LF line ends, as the program reads it back as ANSI text

The drawing and file-format helpers are the library's (tools/make_resources.py).
Usage: make_resources.py OUTDIR
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import make_resources as mr  # noqa: E402

PAPER = (250, 250, 245)
EDGE = (90, 90, 110)
FOLD = (200, 200, 215)
STREAMS = [(40, 110, 210), (30, 160, 90), (220, 120, 30)]


def paint(x, y, size):
    """The icon at pixel (x, y) of a size x size image, or None where it is transparent."""
    u, v = x / size * 32.0, y / size * 32.0  # drawing units: 1/32 of the icon
    left, top, right, bottom, fold = 5.0, 2.0, 27.0, 30.0, 7.0
    if not (left <= u <= right and top <= v <= bottom):
        return None
    if u - (right - fold) > v - top:  # the folded corner is cut away
        return None
    edge = 1.2 if size >= 32 else 1.6
    if u < left + edge or u > right - edge or v < top + edge or v > bottom - edge:
        return EDGE
    if u - (right - fold) > v - top - edge:  # the fold's diagonal
        return EDGE
    if u > right - fold and v < top + fold:
        return FOLD
    for i, colour in enumerate(STREAMS):
        centre = 12.0 + 6.0 * i + 1.6 * math.sin((u - left) / 3.0 + i)
        if abs(v - centre) < (1.6 if size >= 32 else 2.0):
            return colour
    return PAPER


def icon_entry(size):
    rows = mr.render_masked(size, size, lambda x, y: paint(x, y, size))
    colours = [[c if c is not None else (0, 0, 0) for c in row] for row in rows]
    mask = [[1 if c is None else 0 for c in row] for row in rows]
    return (size, 0, 1, 24, mr.icon_image(colours, mask, 24, []))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "Tessel.ico"), "wb") as f:
        f.write(mr.icon_file(1, [icon_entry(32), icon_entry(16)]))
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "Description.txt"), encoding="utf-8") as f:
        text = f.read().rstrip("\n").replace("\r\n", "\n").replace("\n", "\r\n")
    with open(os.path.join(out, "Description.txt"), "wb") as f:
        f.write(text.encode("cp1251"))


if __name__ == "__main__":
    main()
