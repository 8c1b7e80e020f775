#!/usr/bin/env python3
"""Draws the manager's application icon (OrvServiceManager.ico): a clock face on a blue disc
with a green run arrow, the scheduler of the search-engine generator. 32 x 32 and 16 x 16,
32-bit colour with alpha, each drawn with 4 x 4 supersampling."""
import math
import struct

BLUE = (40, 96, 176)
RIM = (20, 52, 110)
FACE = (250, 250, 250)
HAND = (30, 30, 40)
GREEN = (40, 160, 60)


def inside_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def near_segment(x, y, a, b, width):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return math.hypot(x - px, y - py) <= width / 2


def colour_at(x, y):
    """The colour at a point of the unit square (0..1, y downwards), None outside the drawing."""
    cx, cy = 0.46, 0.46
    r = math.hypot(x - cx, y - cy)
    arrow = ((0.62, 0.60), (0.98, 0.80), (0.62, 1.0))
    if inside_triangle(x, y, *arrow):
        return GREEN
    if r > 0.45:
        return None
    if r > 0.40:
        return RIM
    if r > 0.33:
        return BLUE
    if near_segment(x, y, (cx, cy), (cx, cy - 0.24), 0.07) or near_segment(x, y, (cx, cy), (cx + 0.17, cy + 0.05), 0.07):
        return HAND
    for hour in range(12):
        angle = hour * math.pi / 6
        tx, ty = cx + 0.28 * math.sin(angle), cy - 0.28 * math.cos(angle)
        if math.hypot(x - tx, y - ty) < (0.03 if hour % 3 else 0.045):
            return HAND
    return FACE


def draw(size):
    """BGRA rows, top row first."""
    n = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                r, g, b = (t // covered for t in total)
                row.append((b, g, r, 255 * covered // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def image(size):
    rows = draw(size)
    pixels = b"".join(bytes(p) for row in reversed(rows) for p in row)  # bottom-up
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for p in row:
            bits = (bits << 1) | (p[3] == 0)
        mask += (bits << (mask_stride * 8 - size)).to_bytes(mask_stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + bytes(mask)


def main():
    sizes = [32, 16]
    images = [image(s) for s in sizes]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open("OrvServiceManager.ico", "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
