#!/usr/bin/env python3
"""Draws the picture of the demo command-file effect: a night sky with aurora curtains.

Run it after changing the picture; the PNG it writes is committed.
"""
import math
import os
import random
import struct
import sys
import zlib

WIDTH, HEIGHT = 480, 270


def pixel(x, y, stars):
    u = x * 320.0 / WIDTH  # the waves keep their shape at any picture size
    sky = y / HEIGHT
    r, g, b = 8 + 10 * sky, 12 + 18 * sky, 38 + 30 * sky
    # Curtains: bands whose edge waves across the sky, brightest at their lower edge.
    for hue, phase, base in (((60, 255, 150), 0.0, 0.45), ((170, 90, 255), 2.1, 0.30)):
        edge = base + 0.08 * math.sin(u / 37.0 + phase) + 0.04 * math.sin(u / 11.0 + phase * 3)
        height = y / HEIGHT
        if height < edge:
            glow = math.exp(-(edge - height) * 7.0) * (0.55 + 0.45 * math.sin(u / 23.0 + phase) ** 2)
            r, g, b = (c + h * glow * 0.8 for c, h in zip((r, g, b), hue))
    if (x, y) in stars:
        r, g, b = (max(c, stars[(x, y)]) for c in (r, g, b))
    # Hills at the bottom.
    if y > HEIGHT * (0.84 + 0.05 * math.sin(u / 29.0)):
        r, g, b = 4, 8, 14
    return tuple(min(255, int(c)) for c in (r, g, b))


def png_bytes():
    random.seed(7)
    stars = {(random.randrange(WIDTH), random.randrange(HEIGHT * 3 // 4)): random.randrange(120, 255)
             for _ in range(140)}
    raw = bytearray()
    for y in range(HEIGHT):
        raw.append(0)
        for x in range(WIDTH):
            raw += bytes(pixel(x, y, stars))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    target = os.path.join(root, "install", "effects", "Aurora", "aurora.png")
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as out:
        out.write(png_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
