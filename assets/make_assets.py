#!/usr/bin/env python3
"""Draws Plovane's pointer and icon and writes them as binary files beside this script.

    HAND-M.CUR      the hand pointer the buttons show: a Windows cursor file, one 32 x 32
                    image, 32-bit BGRA plus the 1-bit AND mask, hotspot at the fingertip
    plovane.png     the program's icon, 256 x 256 RGBA
    plovane-48.png  the same icon drawn at 48 x 48
    plovane.ico     the icon of the Windows program: 16, 32 and 48 as 32-bit images, 256 as PNG

The files are committed; run this script again only after changing a drawing. Plain Python 3,
standard library only. The output depends on nothing but this file (and zlib's compressor for
the PNG bytes), so a second run reproduces the committed files.

Every shape is a signed distance function (negative inside, in pixels), so one description
draws crisply at any size; edge pixels are supersampled for anti-aliasing.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


# --- shapes: signed distance, negative inside ------------------------------------------------


def capsule(ax, ay, bx, by, r):
    """A line segment from (ax, ay) to (bx, by) thickened to radius r."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def sdf(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r

    return sdf


def rounded_box(x0, y0, x1, y1, r):
    """An axis-aligned rectangle from (x0, y0) to (x1, y1) with corners of radius r."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return sdf


def polygon(points):
    """A closed polygon; its points may wind either way."""
    n = len(points)

    def sdf(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(x - ax - t * ex, y - ay - t * ey))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / (ey or 1e-12):
                inside = not inside
        return -best if inside else best

    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def grown(shape, width):
    """The shape with its outline pushed outwards by width pixels."""
    return lambda x, y: shape(x, y) - width


def scaled(shape_at_unit, size):
    """A shape described on the unit square, drawn on a size x size canvas."""
    return lambda x, y: shape_at_unit(x / size, y / size) * size


# --- raster ----------------------------------------------------------------------------------

SUPERSAMPLE = 5


def coverage(shape, px, py):
    """How much of pixel (px, py) the shape covers, from 0 to 1."""
    d = shape(px + 0.5, py + 0.5)
    # A pixel is within 0.71 of its centre everywhere: far from the edge it is all in or out.
    if d <= -0.75:
        return 1.0
    if d >= 0.75:
        return 0.0
    hits = 0
    for sy in range(SUPERSAMPLE):
        for sx in range(SUPERSAMPLE):
            if shape(px + (sx + 0.5) / SUPERSAMPLE, py + (sy + 0.5) / SUPERSAMPLE) < 0:
                hits += 1
    return hits / (SUPERSAMPLE * SUPERSAMPLE)


def render(size, layers):
    """Paints (shape, (r, g, b, a)) layers bottom to top; returns rows of RGBA tuples."""
    image = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for shape, (r, g, b, a) in layers:
        for py in range(size):
            row = image[py]
            for px in range(size):
                c = coverage(shape, px, py) * a / 255.0
                if c == 0.0:
                    continue
                dr, dg, db, da = row[px]
                # "Source over" with premultiplied colour, straightened again below.
                out_a = c + da * (1 - c)
                row[px] = (r * c + dr * da * (1 - c), g * c + dg * da * (1 - c),
                           b * c + db * da * (1 - c), out_a)
    pixels = []
    for row in image:
        out = []
        for pr, pg, pb, pa in row:
            if pa <= 0.0:
                out.append((0, 0, 0, 0))
            else:
                out.append((round(pr / pa), round(pg / pa), round(pb / pa), round(pa * 255)))
        pixels.append(out)
    return pixels


# --- the hand pointer ------------------------------------------------------------------------

CURSOR_SIZE = 32
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
SHADE = (200, 200, 200, 255)

# A right hand pointing up with the index finger, the other fingers curled into the palm and
# the thumb out to the left. The index fingertip's outline lies on row 1 over column 10, which
# is where a click lands.
HAND_HOTSPOT = (10, 1)
# Straight edges lie on whole pixel coordinates so that they come out crisp, not grey.
_index = capsule(10.5, 4.5, 10.5, 16.0, 2.5)
_middle = capsule(15.0, 11.0, 15.0, 17.0, 2.0)
_ring = capsule(19.0, 12.0, 19.0, 17.0, 2.0)
_little = capsule(23.0, 14.0, 23.0, 18.0, 2.0)
_palm = rounded_box(8.0, 15.0, 25.0, 27.0, 3.5)
_thumb = capsule(9.5, 21.5, 4.5, 16.5, 2.1)
_hand = union(_index, _middle, _ring, _little, _palm, _thumb)
# The gaps between the curled fingers, one pixel column each, and the crease where the thumb
# meets the palm.
_creases = union(
    rounded_box(13.0, 10.0, 14.0, 16.0, 0.5),
    rounded_box(17.0, 11.0, 18.0, 16.0, 0.5),
    rounded_box(21.0, 13.0, 22.0, 17.0, 0.5),
    capsule(10.0, 20.0, 7.5, 17.5, 0.6),
)
# A soft shade down the right-hand side gives the flat shape some depth.
_shade = lambda x, y: max(_hand(x, y) + 1.0, 23.0 - x)

HAND_LAYERS = [
    (grown(_hand, 1.0), BLACK),
    (_hand, WHITE),
    (_shade, SHADE),
    (_creases, BLACK),
]


def dib_image(pixels):
    """One 32-bit image with its AND mask, as icon and cursor files hold it."""
    size = len(pixels)
    xor_bytes = bytearray()
    and_bytes = bytearray()
    mask_stride = ((size + 31) // 32) * 4  # AND mask rows are padded to 32 bits
    for row in reversed(pixels):  # device-independent bitmaps are stored bottom-up
        mask_row = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor_bytes += bytes((b, g, r, a))
            if a == 0:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        and_bytes += mask_row
    header = struct.pack(
        "<IiiHHIIiiII",
        40,         # size of this header
        size,       # width
        size * 2,   # height of the colour image and the mask together
        1,          # planes
        32,         # bits per pixel
        0,          # no compression
        len(xor_bytes) + len(and_bytes),
        0, 0,       # resolution: unspecified
        0, 0)       # palette: none
    return header + bytes(xor_bytes) + bytes(and_bytes)


def cursor_file(pixels, hotspot):
    """A .CUR file holding one 32-bit image with its AND mask."""
    size = len(pixels)
    image = dib_image(pixels)
    directory = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, hotspot[0], hotspot[1],
                        len(image), 6 + 16)
    return directory + entry + image


# --- the program icon ------------------------------------------------------------------------

# Two folders, one behind the other, and an arrow leading from the back one into the front
# one: two trees compared, and the direction a newer file would travel.
BLUE = (74, 134, 217, 255)
BLUE_EDGE = (37, 82, 150, 255)
BLUE_FRONT = (112, 163, 232, 255)
AMBER = (244, 185, 66, 255)
AMBER_EDGE = (163, 108, 14, 255)
AMBER_FRONT = (250, 207, 114, 255)
GREEN = (38, 150, 72, 255)
ICON_WHITE = (255, 255, 255, 255)


def _folder(x0, y0, x1, y1):
    """A folder seen from the front: body, tab on its top left and the lighter front flap."""
    body = rounded_box(x0, y0, x1, y1, 0.05)
    tab = rounded_box(x0, y0 - 0.07, x0 + 0.26, y0 + 0.08, 0.035)
    flap = rounded_box(x0 + 0.025, y0 + 0.075, x1 - 0.025, y1 - 0.025, 0.035)
    return union(body, tab), flap


def _arrow(x0, y0, x1, y1, shaft, head_width, head_length):
    """An arrow from (x0, y0) to the point (x1, y1)."""
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    nx, ny = -uy, ux
    neck = length - head_length
    local = [(0, -shaft / 2), (neck, -shaft / 2), (neck, -head_width / 2), (length, 0),
             (neck, head_width / 2), (neck, shaft / 2), (0, shaft / 2)]
    return polygon([(x0 + ux * a + nx * b, y0 + uy * a + ny * b) for a, b in local])


def icon_layers(size):
    edge = max(1.0, size / 64)
    back, back_flap = _folder(0.05, 0.17, 0.68, 0.64)
    front, front_flap = _folder(0.29, 0.42, 0.95, 0.91)
    arrow = _arrow(0.19, 0.37, 0.74, 0.74, 0.10, 0.25, 0.20)
    layers = []
    for outline, fill, edge_colour, fill_colour, flap_colour in (
            (back, back_flap, BLUE_EDGE, BLUE, BLUE_FRONT),
            (front, front_flap, AMBER_EDGE, AMBER, AMBER_FRONT)):
        layers += [
            (grown(scaled(outline, size), edge / 2), edge_colour),
            (grown(scaled(outline, size), -edge / 2), fill_colour),
            (scaled(fill, size), flap_colour),
        ]
    layers += [
        (grown(scaled(arrow, size), edge * 1.5), ICON_WHITE),
        (scaled(arrow, size), GREEN),
    ]
    return layers


def png_file(pixels):
    """An 8-bit RGBA PNG, every row unfiltered."""
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def icon_file(images):
    """An .ICO file of several images, each (size, bytes of a DIB image or a PNG file)."""
    directory = struct.pack("<HHH", 0, 1, len(images))  # reserved, type 1 = icon, count
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data),
                               offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


# --- main ------------------------------------------------------------------------------------


def write(name, data):
    path = os.path.join(HERE, name)
    with open(path, "wb") as f:
        f.write(data)
    print(f"wrote {path} ({len(data)} bytes)")


def main():
    hand = render(CURSOR_SIZE, HAND_LAYERS)
    hx, hy = HAND_HOTSPOT
    if hand[hy][hx][3] == 0:
        sys.exit("the hotspot lies on a transparent pixel")
    write("HAND-M.CUR", cursor_file(hand, HAND_HOTSPOT))
    write("plovane.png", png_file(render(256, icon_layers(256))))
    write("plovane-48.png", png_file(render(48, icon_layers(48))))
    write("plovane.ico", icon_file(
        [(size, dib_image(render(size, icon_layers(size)))) for size in (16, 32, 48)] +
        [(256, png_file(render(256, icon_layers(256))))]))


if __name__ == "__main__":
    main()
