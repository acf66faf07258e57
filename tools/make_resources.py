#!/usr/bin/env python3
"""Writes the binary resources of Kelmor0200.dll into one folder.

    python3 tools/make_resources.py OUTDIR

The pictures are drawn here by code (a flower, a stack of books, a cog wheel and a
pointing hand) and the interface-identifier records are computed from the GUIDs typed
below. The output depends on nothing but this file: no time stamps, no randomness, and only
arithmetic that IEEE doubles round exactly (no trigonometry or pow() from the C library), so
every run on every host gives the same bytes.
"""

import math
import os
import struct
import sys
import uuid

# ---------------------------------------------------------------------------------------
# Interface-identifier records: one resource type per public class, id 1, holding a
# 32-bit little-endian count and that many GUIDs in their in-memory layout.

IID_RECORDS = [
    ("_IID_NVKMAIN", ["{B38B8488-FE4C-4F7F-BB94-779C718CA6AF}"]),
    ("_IID_NVKALONE", ["{5F8F07BB-3FD7-48B4-8DE0-D3918A7266B8}"]),
    ("_IID_STRINGBUFFA", ["{F0D6F962-BA88-4C47-9165-308EDDAF1EE9}"]),
    ("_IID_NVKBENCHMARK", ["{3B80168B-14F5-4F6F-BEDE-3D79F1E833A4}"]),
    ("_IID_NVKSIMPLELISTDIALOG", ["{A9D80671-84B6-4F70-9577-8B42E4A70CC4}"]),
    # The interface's 1.0 and 1.1 identifiers come first, the current one last.
    ("_IID_NVKREGISTRY", ["{00E63A46-05E3-4280-9735-942D933620FD}",
                          "{1E3013A4-5EB6-478E-BA37-9CA644CE0A07}",
                          "{12BF7EAD-E682-48FA-9B22-E8AC6BCE9BE8}"]),
    ("_IID_NVKNEVKITSETTINGS", ["{F73D84BF-8734-4DFD-9D48-D6F8A90A4210}"]),
    ("_IID_PICTUREINFO", ["{610E8839-895D-4784-AE0F-C87A9BD396FD}"]),
    ("_IID_NVKBENCHMARKHP", ["{154C464A-74BB-45EE-B08D-DEC7E962FED7}"]),
    ("_IID_NVKTEXTBOXDEFBUTTONWATCHER", ["{232C7707-60C3-4CA7-AF1C-541FA1AC03B7}"]),
    ("_IID_NVKTABCONTROL", ["{DB62E267-7088-4229-96BD-4EA41716C8FD}"]),
    ("_IID_COMMANDLINEPARSER", ["{70F35C5E-8993-47EF-BB6C-EB8AAF4B0AEF}"]),
    ("_IID_NVKFOUNDEDFILES", ["{82E764F0-67F4-4D45-A90B-096E4A1B1A5C}"]),
    ("_IID_FOUNDEDFILE", ["{8AC9CCB6-3CD4-48FB-B45B-345028C02258}"]),
    ("_IID_IFINDFILESCALLBACK", ["{EEDD3BE6-C948-46ED-AFEB-37D7A2D60D4E}"]),
    ("_IID_NVKFILESTREAMS", ["{5AF01273-7EA7-46D7-B7EE-23C26E5DE257}"]),
    ("_IID_FILESTREAM", ["{B7197FF5-6B1D-42D2-B30C-E649C701A750}"]),
    # The tab control's event (source) interface.
    ("_SRCIID_NVKTABCONTROL", ["{6F71E7B1-84F1-4BFD-AAFB-68E46F69B8BF}"]),
]


def guid_bytes(text):
    """Data1 (LE32), Data2 (LE16), Data3 (LE16), Data4 (8 bytes), as a GUID sits in memory."""
    return uuid.UUID(text.strip("{}")).bytes_le


def iid_record(guids):
    return struct.pack("<I", len(guids)) + b"".join(guid_bytes(g) for g in guids)


# ---------------------------------------------------------------------------------------
# Colours and small geometry helpers.

# The 16 colours of the standard VGA palette, in the order icon editors use.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

R2 = math.sqrt(0.5)
# The eight compass directions, exact up to one correctly rounded square root.
DIRECTIONS8 = [(1.0, 0.0), (R2, R2), (0.0, 1.0), (-R2, R2),
               (-1.0, 0.0), (-R2, -R2), (0.0, -1.0), (R2, -R2)]


def sq(v):
    # Plain multiplication rather than pow(): exact rounding on every host.
    return v * v


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def to_byte(x):
    return max(0, min(255, int(x + 0.5)))


def in_ellipse(x, y, cx, cy, dx, dy, a, b):
    """Inside an ellipse centred at (cx, cy), half-axis a along unit (dx, dy), b across.
    Returns the normalised radius squared (< 1 inside)."""
    px, py = x - cx, y - cy
    along = px * dx + py * dy
    across = -px * dy + py * dx
    return sq(along / a) + sq(across / b)


# ---------------------------------------------------------------------------------------
# The flower: the dedication picture and the 256-colour program icon.

PETAL_TIP = (255, 236, 246)
PETAL_BASE = (214, 72, 140)
DISC_INNER = (255, 214, 40)
DISC_RIM = (196, 110, 20)
STEM = (46, 132, 52)
LEAF_LIGHT = (120, 196, 80)
LEAF_DARK = (40, 110, 40)


def flower(x, y, cx, cy, scale):
    """Colour of the flower at (x, y), or None outside it. (cx, cy) is the centre of the
    head; scale 1.0 is the size of the dedication picture."""
    s = scale
    # Head: a disc over eight petals.
    r2 = sq(x - cx) + sq(y - cy)
    disc = 5.0 * s
    if r2 < disc * disc:
        t = math.sqrt(r2) / disc
        # A few seeds: a light dot pattern on the disc.
        if int((x - cx) / s + 50) % 3 == 0 and int((y - cy) / s + 50) % 3 == 0 and t < 0.75:
            return mix(DISC_INNER, (255, 250, 200), 0.6)
        return mix(DISC_INNER, DISC_RIM, t * t)
    best = None
    for dx, dy in DIRECTIONS8:
        q = in_ellipse(x, y, cx + dx * 10.0 * s, cy + dy * 10.0 * s, dx, dy, 8.5 * s, 4.2 * s)
        if q < 1.0:
            along = ((x - cx) * dx + (y - cy) * dy) / (18.5 * s)
            colour = mix(PETAL_BASE, PETAL_TIP, along * 1.2 - 0.1)
            # Keep the petal drawn nearest to its own axis, so overlaps look layered.
            if best is None or q < best[0]:
                best = (q, mix(colour, PETAL_BASE, max(0.0, q - 0.75) * 2.0))
    if best is not None:
        return best[1]
    # Stem straight down from the head, and two leaves on it.
    if y > cy and abs(x - cx - (y - cy) * 0.06) < 1.3 * s:
        return STEM
    for side, ly in ((-1.0, cy + 22.0 * s), (1.0, cy + 28.0 * s)):
        dx, dy = side * R2, -R2
        lx = cx + side * 6.0 * s
        q = in_ellipse(x, y, lx, ly, dx, dy, 7.0 * s, 2.6 * s)
        if q < 1.0:
            return mix(LEAF_LIGHT, LEAF_DARK, q)
    return None


def flower_scene(x, y):
    """The 64 x 62 dedication picture: the flower in a meadow under a clear sky."""
    colour = flower(x, y, 32.0, 22.0, 1.0)
    if colour is not None:
        return colour
    # A small sun in the upper left corner.
    if sq(x - 8.0) + sq(y - 8.0) < 25.0:
        return (255, 230, 120)
    horizon = 50.0 + 2.0 * sq((x - 32.0) / 32.0)
    if y >= horizon:
        t = (y - horizon) / (62.0 - horizon)
        grass = mix((110, 190, 70), (50, 120, 40), t)
        # Blades of grass: a darker stripe every few pixels.
        if int(x) % 4 == 0 and y < horizon + 5.0:
            grass = mix(grass, (30, 90, 30), 0.5)
        return grass
    return mix((150, 200, 250), (225, 240, 255), y / horizon)


def render_rgb(width, height, paint, samples=4):
    """Supersampled rendering: rows top-down of (r, g, b) byte tuples."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    c = paint(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples)
                    for k in range(3):
                        acc[k] += c[k]
            n = samples * samples
            row.append(tuple(to_byte(v / n) for v in acc))
        rows.append(row)
    return rows


def render_masked(width, height, paint, samples=4):
    """Like render_rgb, for a shape on a transparent ground: a pixel is opaque when at least
    half of its samples hit the shape, and its colour is the mean of those samples.
    Returns (rows of colours or None)."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc, hits = [0.0, 0.0, 0.0], 0
            for sy in range(samples):
                for sx in range(samples):
                    c = paint(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples)
                    if c is not None:
                        hits += 1
                        for k in range(3):
                            acc[k] += c[k]
            if hits * 2 >= samples * samples:
                row.append(tuple(to_byte(v / hits) for v in acc))
            else:
                row.append(None)
        rows.append(row)
    return rows


def palette256(rows):
    """A 256-colour palette for colour rows (None = transparent): every colour the rows use,
    in sorted order, then the 6 x 6 x 6 colour cube to fill the table. Should a drawing ever
    use more than 256 colours, the cube and a grey ramp stand alone and pixels take the
    nearest entry."""
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    used = sorted({c for row in rows for c in row if c is not None})
    if len(used) > 256:
        return cube + [(to_byte(i * 255.0 / 41.0),) * 3 for i in range(1, 41)]
    taken = set(used)
    return (used + [c for c in cube if c not in taken] + [(0, 0, 0)] * 256)[:256]


def nearest(pal, colour):
    best, best_d = 0, None
    for i, p in enumerate(pal):
        d = sq(p[0] - colour[0]) + sq(p[1] - colour[1]) + sq(p[2] - colour[2])
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def indexed(rows, pal):
    """Colour rows (None = transparent) to (index rows, mask rows with 1 = transparent)."""
    cache = {}
    idx, mask = [], []
    for row in rows:
        irow, mrow = [], []
        for c in row:
            if c is None:
                irow.append(0)
                mrow.append(1)
            else:
                if c not in cache:
                    cache[c] = nearest(pal, c)
                irow.append(cache[c])
                mrow.append(0)
        idx.append(irow)
        mask.append(mrow)
    return idx, mask


# ---------------------------------------------------------------------------------------
# The 16-colour icons, drawn on whole pixels so that they stay crisp at 16 x 16.

class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fill [x0, x1) x [y0, y1) given in units of 1/32 of the icon, rounded to pixels."""
        k = self.size / 32.0
        for y in range(int(y0 * k + 0.5), int(y1 * k + 0.5)):
            for x in range(int(x0 * k + 0.5), int(x1 * k + 0.5)):
                if 0 <= x < self.size and 0 <= y < self.size:
                    self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        """A one-pixel border around the same rectangle rect() fills."""
        k = self.size / 32.0
        xa, xb = int(x0 * k + 0.5), int(x1 * k + 0.5) - 1
        ya, yb = int(y0 * k + 0.5), int(y1 * k + 0.5) - 1
        for x in range(xa, xb + 1):
            self.px[ya][x] = colour
            self.px[yb][x] = colour
        for y in range(ya, yb + 1):
            self.px[y][xa] = colour
            self.px[y][xb] = colour


def draw_books(size):
    """The library's own icon: a stack of three books, pages to the right."""
    c = Canvas(size)
    # A yellow bookmark, drawn first so that the top book covers its lower end.
    c.rect(18, 2, 21, 10, YELLOW)
    if size >= 32:
        c.frame(18, 2, 21, 10, BLACK)
    books = [  # x0, y0, x1, y1 in 1/32 units, cover colour, spine band colour
        (2, 22, 30, 30, NAVY, BLUE),
        (4, 14, 28, 22, MAROON, RED),
        (3, 6, 27, 14, GREEN, LIME),
    ]
    for x0, y0, x1, y1, cover, band in books:
        c.rect(x0, y0, x1, y1, cover)
        # Page edges at the right end, a light band across the spine on the left.
        c.rect(x1 - 6, y0 + 2, x1 - 1, y1 - 2, WHITE)
        c.rect(x0 + 3, y0 + 2, x0 + 5, y1 - 2, band)
        c.frame(x0, y0, x1, y1, BLACK)
    return c.px


def draw_cog(size):
    """A cog wheel with eight teeth and a hole: the component icon."""
    k = size / 32.0
    cx = cy = 16.0
    rows = []
    inside = [[False] * size for _ in range(size)]
    for py in range(size):
        for px in range(size):
            x, y = (px + 0.5) / k, (py + 0.5) / k
            r2 = sq(x - cx) + sq(y - cy)
            body = r2 < 10.5 * 10.5
            tooth = False
            for dx, dy in DIRECTIONS8:
                along = (x - cx) * dx + (y - cy) * dy
                across = -(x - cx) * dy + (y - cy) * dx
                if 8.0 < along < 15.0 and abs(across) < 2.6:
                    tooth = True
            inside[py][px] = (body or tooth) and r2 >= 4.0 * 4.0
    for py in range(size):
        row = []
        for px in range(size):
            if not inside[py][px]:
                row.append(None)
                continue
            edge = any(not (0 <= px + ox < size and 0 <= py + oy < size and inside[py + oy][px + ox])
                       for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            x, y = (px + 0.5) / k - cx, (py + 0.5) / k - cy
            if edge:
                row.append(BLACK)
            elif x + y < -6.0:
                row.append(AQUA)  # light from the upper left
            elif x + y > 8.0:
                row.append(NAVY)
            else:
                row.append(TEAL)
        rows.append(row)
    return rows


def palette_icon(rows):
    """Rows of VGA indices (None = transparent) to (index rows, mask rows)."""
    return ([[0 if v is None else v for v in row] for row in rows],
            [[1 if v is None else 0 for v in row] for row in rows])


# ---------------------------------------------------------------------------------------
# The cursor: a pointing hand, shown over the e-mail address. '#' black, '.' white,
# blank transparent. The hot spot is the tip of the index finger.

HAND = [
    "     ##          ",
    "    #..#         ",
    "    #..#         ",
    "    #..#         ",
    "    #..#         ",
    "    #..###       ",
    "    #..#..###    ",
    "    #..#..#..##  ",
    "    #..#..#..#.# ",
    " ## #..#..#..#..#",
    "#..##..........#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #............#",
    "   #..........# ",
    "   #..........# ",
    "    #........#  ",
    "    #........#  ",
    "    ##########  ",
]
HAND_LEFT, HAND_TOP = 8, 2
HAND_HOTSPOT = (HAND_LEFT + 5, HAND_TOP + 0)


def hand_cursor():
    """(colour rows 0 = black / 1 = white, mask rows 1 = transparent), 32 x 32."""
    colour = [[0] * 32 for _ in range(32)]
    mask = [[1] * 32 for _ in range(32)]
    for j, line in enumerate(HAND):
        for i, ch in enumerate(line):
            if ch in "#.":
                colour[HAND_TOP + j][HAND_LEFT + i] = 1 if ch == "." else 0
                mask[HAND_TOP + j][HAND_LEFT + i] = 0
    return colour, mask


# ---------------------------------------------------------------------------------------
# File formats.

def bitmap_info_header(width, height, bpp, image_size, colours_used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 0, 0,
                       colours_used, 0)


def pack_rows(rows, bpp):
    """Pixel rows top-down to bottom-up scan lines padded to 4 bytes. For 24 bpp a pixel is
    an (r, g, b) tuple, otherwise an index or bit."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bpp == 24:
            for r, g, b in row:
                line += bytes((b, g, r))
        else:
            per_byte = 8 // bpp
            for i in range(0, len(row), per_byte):
                v = 0
                for j in range(per_byte):
                    p = row[i + j] if i + j < len(row) else 0
                    v |= p << (8 - bpp * (j + 1))
                line.append(v)
        line += b"\0" * (-len(line) % 4)
        out += line
    return bytes(out)


def bmp_file(rows):
    width, height = len(rows[0]), len(rows)
    pixels = pack_rows(rows, 24)
    info = bitmap_info_header(width, height, 24, len(pixels))
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def icon_image(indices, mask, bpp, palette):
    """One DIB of an icon or cursor: header with doubled height, palette, XOR and AND masks."""
    size = len(indices)
    xor = pack_rows(indices, bpp)
    and_mask = pack_rows(mask, 1)
    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = bitmap_info_header(size, size * 2, bpp, len(xor) + len(and_mask))
    return header + quads + xor + and_mask


def icon_file(kind, entries):
    """kind 1 = icon, 2 = cursor. entries: (size, colour count, planes or hot x,
    bits or hot y, image bytes)."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for size, colours, w1, w2, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, w1, w2,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(e[4] for e in entries)


def ico16(rows):
    indices, mask = palette_icon(rows)
    return (len(rows), 16, 1, 4, icon_image(indices, mask, 4, VGA16))


def make_files():
    files = {}
    for type_name, guids in IID_RECORDS:
        files[type_name + ".iid"] = iid_record(guids)

    files["OSVEL_0000.bmp"] = bmp_file(render_rgb(64, 62, flower_scene))
    files["BACK_PICTURE.bmp"] = bmp_file([[(255, 255, 255)]])

    colour, mask = hand_cursor()
    cursor = icon_image(colour, mask, 1, [(0, 0, 0), (255, 255, 255)])
    files["DOZAVIZ_CURSOR.cur"] = icon_file(2, [(32, 2, HAND_HOTSPOT[0], HAND_HOTSPOT[1],
                                                  cursor)])

    files["A_MAIN.ico"] = icon_file(1, [ico16(draw_books(32)), ico16(draw_books(16))])
    files["NVKC_MAIN.ico"] = icon_file(1, [ico16(draw_cog(32))])

    # The flower with its stem and leaves, at a little over half the size of the dedication
    # picture.
    rows = render_masked(32, 32, lambda x, y: flower(x, y, 16.0, 11.5, 0.56))
    pal = palette256(rows)
    indices, mask = indexed(rows, pal)
    files["OSVEL_0000.ico"] = icon_file(1, [(32, 0, 1, 8, icon_image(indices, mask, 8, pal))])
    return files


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_resources.py OUTDIR\n")
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, data in sorted(make_files().items()):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
