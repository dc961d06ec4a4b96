#!/usr/bin/env python3
"""Draws the window's icon, tarninfo.ico: a tarn (a small mountain lake) under a peak, with the
letter i of information. Sizes 16, 32 and 48, 32-bit colour with alpha. Usage: make_icon.py OUT"""
import math
import struct
import sys


def inside_round_rect(x, y, size, radius):
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def colour_at(x, y):
    """Colour (r, g, b, a) of the point (x, y) on a unit square, y downwards."""
    if not inside_round_rect(x, y, 1.0, 0.18):
        return (0, 0, 0, 0)
    # sky, then the peak, then the lake
    lake_top = 0.62 + 0.025 * math.sin(x * 14)
    if y >= lake_top:
        shade = 0.75 + 0.25 * math.sin((x + y) * 22) ** 2
        return (int(20 * shade), int(110 * shade), int(190 * shade), 255)
    if y > 0.22 + 1.1 * abs(x - 0.42) and y < lake_top:
        snow = y < 0.36 and abs(x - 0.42) < 0.12
        return (245, 248, 250, 255) if snow else (90, 100, 112, 255)
    # the letter i on the sky, right of the peak
    if 0.72 <= x <= 0.84 and (0.26 <= y <= 0.56 or 0.12 <= y <= 0.20):
        return (255, 255, 255, 255)
    return (150, 205, 240, 255)


def image(size, samples=4):
    rows = []
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((col + (sx + 0.5) / samples) / size,
                                  (row + (sy + 0.5) / samples) / size)
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            n = samples * samples
            alpha = acc[3] / n
            rgb = [int(acc[i] / acc[3]) if acc[3] else 0 for i in range(3)]
            line.append(bytes([rgb[2], rgb[1], rgb[0], int(alpha)]))
        rows.append(b"".join(line))
    pixels = b"".join(reversed(rows))  # bottom-up
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + pixels + bytes(mask_row * size)


def main():
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
