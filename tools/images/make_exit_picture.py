#!/usr/bin/env python3
"""Draws the exit picture of the screen area dialog as a PNG with alpha (standard library only).

Run it after changing the picture; the PNG it writes is committed.
"""
import math
import os
import struct
import sys
import zlib

SIZE = 64


def pixel(x, y):
    """A red disc with a white ring and a white cross, edges smoothed; (r, g, b, a)."""
    c = (SIZE - 1) / 2.0
    dx, dy = x - c, y - c
    d = math.hypot(dx, dy)
    outer = SIZE / 2.0 - 1
    coverage = max(0.0, min(1.0, outer - d + 0.5))
    if coverage == 0:
        return (0, 0, 0, 0)
    colour = (200, 30, 40)
    if outer - 5 <= d <= outer - 2:
        colour = (255, 255, 255)
    # The cross: distance to either diagonal, inside a square of the disc's centre.
    half = SIZE * 0.2
    if abs(dx) <= half and abs(dy) <= half:
        if min(abs(dx - dy), abs(dx + dy)) / math.sqrt(2) <= 3.2:
            colour = (255, 255, 255)
    return colour + (int(round(255 * coverage)),)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png():
    raw = bytearray()
    for y in range(SIZE):
        raw.append(0)  # no filter
        for x in range(SIZE):
            raw += bytes(pixel(x, y))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "install", "data", "images", "exitBig.png")
    with open(out, "wb") as f:
        f.write(png())


if __name__ == "__main__":
    main()
