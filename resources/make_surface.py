#!/usr/bin/env python3
"""Draws the built-in picture of the playing surface, surface.png (300 x 300).

A calm evening sky: a vertical blend from deep blue at the top to a warm
haze at the bottom, with soft circular ripples spreading from a point
below the centre, like rings on still water. Needs only the standard
library; run it from this folder to redraw the picture.
"""
import math
import struct
import zlib

SIZE = 300
TOP = (28, 42, 92)
BOTTOM = (236, 196, 164)
RIPPLE_CENTRE = (150.0, 210.0)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def pixel(x, y):
    t = y / (SIZE - 1)
    # Ease the blend so the deep blue holds longer at the top.
    base = mix(TOP, BOTTOM, t * t * (3 - 2 * t))
    dx, dy = x - RIPPLE_CENTRE[0], (y - RIPPLE_CENTRE[1]) * 1.6
    distance = math.hypot(dx, dy)
    ripple = 0.5 + 0.5 * math.cos(distance / 7.0)
    fade = math.exp(-distance / 90.0)
    light = ripple * fade * 0.18
    return tuple(min(255, round(c + (255 - c) * light)) for c in base)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    rows = bytearray()
    for y in range(SIZE):
        rows.append(0)  # no filter
        for x in range(SIZE):
            rows.extend(pixel(x, y))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open("surface.png", "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main()
