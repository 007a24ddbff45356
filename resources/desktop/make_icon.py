#!/usr/bin/env python3
"""Draws the program's icon twice from one description: the scalable
io.github.orvelline.Orvelline.svg and the 256 x 256 io.github.orvelline.Orvelline.png.

A rounded evening-blue tile; on the left the arrow pointer, on the right a
theremin's pitch antenna, and between them a golden wave whose pitch rises
as it nears the antenna. The PNG is rasterised here with the standard
library alone (anti-aliased by distance to each shape's edge), so both
files show the same picture. Run it from this folder to redraw them.
"""
import math
import struct
import zlib

APP_ID = "io.github.orvelline.Orvelline"
SIZE = 256

TILE = (16.0, 16.0, 240.0, 240.0, 44.0)  # left, top, right, bottom, corner radius
SKY_TOP = (28, 42, 92)
SKY_BOTTOM = (104, 72, 150)
WAVE = (255, 200, 112)
METAL = (222, 228, 240)
POINTER_FILL = (255, 255, 255)
POINTER_EDGE = (16, 24, 58)

WAVE_START, WAVE_END, WAVE_MIDDLE, WAVE_HEIGHT = 52.0, 178.0, 100.0, 20.0
WAVE_WIDTH = 9.0
ANTENNA_X, ANTENNA_TOP, ANTENNA_BOTTOM, ANTENNA_WIDTH = 204.0, 66.0, 196.0, 8.0
BALL_RADIUS = 10.0
BASE = (182.0, 196.0, 226.0, 212.0, 8.0)
POINTER_TIP = (64.0, 122.0)
POINTER_SCALE = 1.15
POINTER_SHAPE = [(0, 0), (0, 60), (14, 47), (24, 70), (35, 65), (25, 43), (43, 43)]
POINTER_EDGE_WIDTH = 6.0


def wave_points():
    """The wave as a polyline: 3 cycles whose frequency rises to the right."""
    points = []
    steps = 160
    for i in range(steps + 1):
        u = i / steps
        phase = 2 * math.pi * (2.0 * u + 1.0 * u * u)
        x = WAVE_START + (WAVE_END - WAVE_START) * u
        y = WAVE_MIDDLE - WAVE_HEIGHT * math.sin(phase)
        points.append((round(x, 2), round(y, 2)))
    return points


def pointer_points():
    return [(round(POINTER_TIP[0] + x * POINTER_SCALE, 2), round(POINTER_TIP[1] + y * POINTER_SCALE, 2))
            for x, y in POINTER_SHAPE]


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def svg():
    left, top, right, bottom, radius = TILE
    b_left, b_top, b_right, b_bottom, b_radius = BASE
    wave = " ".join("%s,%s" % p for p in wave_points())
    pointer = " ".join("%s,%s" % p for p in pointer_points())
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">
  <title>Orvelline</title>
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{hex_colour(SKY_TOP)}"/>
      <stop offset="1" stop-color="{hex_colour(SKY_BOTTOM)}"/>
    </linearGradient>
  </defs>
  <rect x="{left:g}" y="{top:g}" width="{right - left:g}" height="{bottom - top:g}" rx="{radius:g}" fill="url(#sky)"/>
  <polyline points="{wave}" fill="none" stroke="{hex_colour(WAVE)}" stroke-width="{WAVE_WIDTH:g}" stroke-linecap="round" stroke-linejoin="round"/>
  <line x1="{ANTENNA_X:g}" y1="{ANTENNA_TOP:g}" x2="{ANTENNA_X:g}" y2="{ANTENNA_BOTTOM:g}" stroke="{hex_colour(METAL)}" stroke-width="{ANTENNA_WIDTH:g}" stroke-linecap="round"/>
  <circle cx="{ANTENNA_X:g}" cy="{ANTENNA_TOP:g}" r="{BALL_RADIUS:g}" fill="{hex_colour(METAL)}"/>
  <rect x="{b_left:g}" y="{b_top:g}" width="{b_right - b_left:g}" height="{b_bottom - b_top:g}" rx="{b_radius:g}" fill="{hex_colour(METAL)}"/>
  <polygon points="{pointer}" fill="{hex_colour(POINTER_FILL)}" stroke="{hex_colour(POINTER_EDGE)}" stroke-width="{POINTER_EDGE_WIDTH:g}" stroke-linejoin="round"/>
</svg>
"""


# Each shape below answers "how much of the pixel centred at (x, y) does it
# cover" from its signed distance: half a pixel either side of the edge blends.

def coverage(distance):
    return min(1.0, max(0.0, 0.5 - distance))


def rounded_rect_distance(x, y, rect):
    left, top, right, bottom, radius = rect
    cx, cy = (left + right) / 2, (top + bottom) / 2
    qx = abs(x - cx) - ((right - left) / 2 - radius)
    qy = abs(y - cy) - ((bottom - top) / 2 - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def segment_distance(x, y, a, b):
    ax, ay = a
    dx, dy = b[0] - ax, b[1] - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else min(1.0, max(0.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def polyline_distance(x, y, points):
    return min(segment_distance(x, y, points[i], points[i + 1]) for i in range(len(points) - 1))


def inside_polygon(x, y, points):
    inside = False
    for i, (ax, ay) in enumerate(points):
        bx, by = points[i - 1]
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return inside


def layers():
    """(colour at a point, coverage at a point), painted in order as the SVG paints them."""
    wave = wave_points()
    pointer = pointer_points()
    pointer_ring = pointer + pointer[:1]
    left, top, right, bottom, _ = TILE

    def sky(x, y):
        t = min(1.0, max(0.0, (y - top) / (bottom - top)))
        return tuple(a + (b - a) * t for a, b in zip(SKY_TOP, SKY_BOTTOM))

    def pointer_fill(x, y):
        edge = polyline_distance(x, y, pointer_ring)
        return coverage(-edge if inside_polygon(x, y, pointer) else edge)

    return [
        (sky, lambda x, y: coverage(rounded_rect_distance(x, y, TILE))),
        (lambda x, y: WAVE, lambda x, y: coverage(polyline_distance(x, y, wave) - WAVE_WIDTH / 2)),
        (lambda x, y: METAL, lambda x, y: coverage(
            segment_distance(x, y, (ANTENNA_X, ANTENNA_TOP), (ANTENNA_X, ANTENNA_BOTTOM)) - ANTENNA_WIDTH / 2)),
        (lambda x, y: METAL, lambda x, y: coverage(math.hypot(x - ANTENNA_X, y - ANTENNA_TOP) - BALL_RADIUS)),
        (lambda x, y: METAL, lambda x, y: coverage(rounded_rect_distance(x, y, BASE))),
        (lambda x, y: POINTER_FILL, pointer_fill),
        (lambda x, y: POINTER_EDGE, lambda x, y: coverage(
            polyline_distance(x, y, pointer_ring) - POINTER_EDGE_WIDTH / 2)),
    ]


def pixel(x, y, painted):
    """Source-over compositing in premultiplied form; returns straight RGBA bytes."""
    red = green = blue = alpha = 0.0
    for colour, cover in painted:
        a = cover(x, y)
        if a == 0.0:
            continue
        r, g, b = colour(x, y)
        red, green, blue = r * a + red * (1 - a), g * a + green * (1 - a), b * a + blue * (1 - a)
        alpha = a + alpha * (1 - a)
    if alpha == 0.0:
        return (0, 0, 0, 0)
    return (round(red / alpha), round(green / alpha), round(blue / alpha), round(alpha * 255))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png():
    painted = layers()
    rows = bytearray()
    for y in range(SIZE):
        rows.append(0)  # no filter
        for x in range(SIZE):
            rows.extend(pixel(x + 0.5, y + 0.5, painted))
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    data += chunk(b"IEND", b"")
    return data


def main():
    with open(APP_ID + ".svg", "w", encoding="utf-8") as out:
        out.write(svg())
    with open(APP_ID + ".png", "wb") as out:
        out.write(png())


if __name__ == "__main__":
    main()
