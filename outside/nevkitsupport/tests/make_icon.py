"""Writes the icon file of the Windows test: one icon with a 32x32 and a 16x16 image.

Each image is an uncompressed 32-bit DIB with an all-opaque mask, one colour per size
(32x32 red, 16x16 blue) so that a test can tell which image it got.
Usage: make_icon.py OUTPUT
"""
import struct
import sys


def image(size, bgra):
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytes(bgra) * (size * size)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + pixels + mask


def main():
    images = [(32, image(32, (0, 0, 255, 255))), (16, image(16, (255, 0, 0, 255)))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + entries + b"".join(data for _, data in images))


if __name__ == "__main__":
    main()
