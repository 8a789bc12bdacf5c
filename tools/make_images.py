#!/usr/bin/env python3
"""Draws the program's icons and the command window's picture.

Writes resources/images/*.ico and *.bmp with the standard library only. Every
shape is sampled 4 x 4 times per pixel, so the small sizes stay smooth, and the
output is byte-identical on every run (no timestamps, fixed ordering).

    python3 tools/make_images.py [output folder]
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 4


def blend(dst, src):
    """Source-over compositing of two straight-alpha RGBA tuples (0..1 floats)."""
    sr, sg, sb, sa = src
    dr, dg, db, da = dst
    oa = sa + da * (1 - sa)
    if oa <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return ((sr * sa + dr * da * (1 - sa)) / oa,
            (sg * sa + dg * da * (1 - sa)) / oa,
            (sb * sa + db * da * (1 - sa)) / oa, oa)


def rgb(hex_colour, alpha=1.0):
    value = int(hex_colour.lstrip('#'), 16)
    return ((value >> 16 & 255) / 255.0, (value >> 8 & 255) / 255.0, (value & 255) / 255.0, alpha)


# Shapes are predicates over a point on a 16 x 16 design grid.

def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def segment_distance(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def polyline(points, width):
    segments = list(zip(points, points[1:]))

    def inside(x, y):
        return any(segment_distance(x, y, a, b) <= width / 2 for a, b in segments)
    return inside


def ring(cx, cy, radius, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) <= width / 2


def disc(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) <= radius


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def render(layers, size, background=(0.0, 0.0, 0.0, 0.0)):
    """Rasterises (shape, colour) layers, drawn in order, to rows of RGBA floats, top row first."""
    scale = 16.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            pixel = background
            for shape, colour in layers:
                hits = 0
                for sy in range(SUPERSAMPLE):
                    for sx in range(SUPERSAMPLE):
                        x = (px + (sx + 0.5) / SUPERSAMPLE) * scale
                        y = (py + (sy + 0.5) / SUPERSAMPLE) * scale
                        if shape(x, y):
                            hits += 1
                if hits:
                    coverage = hits / float(SUPERSAMPLE * SUPERSAMPLE)
                    pixel = blend(pixel, colour[:3] + (colour[3] * coverage,))
            row.append(pixel)
        rows.append(row)
    return rows


def to_byte(value):
    return max(0, min(255, int(round(value * 255))))


def icon_image(rows):
    """One icon directory image: a 32-bit BGRA DIB (bottom-up) and its AND mask."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((to_byte(b), to_byte(g), to_byte(r), to_byte(a)))
            if to_byte(a) == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_icon(path, images):
    count = len(images)
    directory = struct.pack('<HHH', 0, 1, count)
    offset = 6 + 16 * count
    entries = b''
    blobs = b''
    for rows in images:
        size = len(rows)
        blob = icon_image(rows)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, 'wb') as out:
        out.write(directory + entries + blobs)


def write_bitmap(path, rows):
    """A 24-bit bottom-up BMP; the picture is opaque, drawn over the window's colour."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((to_byte(b), to_byte(g), to_byte(r)))
        line += bytes(stride - len(line))
        data += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, 'wb') as out:
        out.write(file_header + info + bytes(data))


# The program mark: a "W" on a rounded tile.
LETTER_W = [(3.4, 4.2), (5.4, 11.8), (8.0, 6.6), (10.6, 11.8), (12.6, 4.2)]


def program_layers(tile, edge, letter):
    return [
        (rounded_rect(0.5, 0.5, 15.5, 15.5, 3.0), edge),
        (rounded_rect(1.5, 1.5, 14.5, 14.5, 2.2), tile),
        (polyline(LETTER_W, 1.9), letter),
    ]


def program_on():
    return program_layers(rgb('#1D6FD8'), rgb('#0C3F86'), rgb('#FFFFFF')) + [
        (disc(12.6, 3.4, 1.6), rgb('#FFC928')),
    ]


def program_off():
    # Greyed and without the yellow spark, so the tray tells the states apart at a glance.
    return program_layers(rgb('#B4B4B4'), rgb('#6E6E6E'), rgb('#F2F2F2'))


def magnifier(lens_colour):
    return [
        (disc(6.5, 6.5, 4.3), rgb('#FFFFFF', 0.85)),
        (ring(6.5, 6.5, 4.3, 2.0), lens_colour),
        (polyline([(9.7, 9.7), (14.3, 14.3)], 2.8), lens_colour),
    ]


# The command window's picture: a lightning bolt, "launch", on the bar's light cyan.
COMMAND_BAR_CYAN = (102 / 255.0, 1.0, 1.0, 1.0)
BOLT = [(9.5, 1.0), (3.5, 9.0), (7.5, 9.0), (6.0, 15.0), (12.5, 6.5), (8.5, 6.5), (10.5, 1.0)]


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'images')
    os.makedirs(out_dir, exist_ok=True)

    def icon(name, layers, sizes):
        write_icon(os.path.join(out_dir, name), [render(layers, s) for s in sizes])

    icon('program.ico', program_on(), (16, 32))
    icon('program_off.ico', program_off(), (16, 32))
    icon('program_small.ico', program_on(), (16,))
    icon('search_blue.ico', magnifier(rgb('#2458C6')), (16,))
    icon('search_orange.ico', magnifier(rgb('#E2571C')), (16,))
    icon('search_green.ico', magnifier(rgb('#2A9646')), (16,))
    write_bitmap(os.path.join(out_dir, 'command.bmp'),
                 render([(polygon(BOLT), rgb('#1B3F8F'))], 16, COMMAND_BAR_CYAN))


if __name__ == '__main__':
    main()
