#!/usr/bin/env python3
"""Draws the library's two cursors as CUR files (no image library needed).

Run it after changing a picture; the .cur files it writes are committed.
"""
import os
import struct
import sys

SIZE = 32
DOT_COLOUR = (243, 0, 36)

# The arrow, one text row per pixel row: B outline, W body, anything else transparent.
ARROW = [
    "B",
    "BB",
    "BWB",
    "BWWB",
    "BWWWB",
    "BWWWWB",
    "BWWWWWB",
    "BWWWWWWB",
    "BWWWWWWWB",
    "BWWWWWWWWB",
    "BWWWWWWWWWB",
    "BWWWWWWBBBBB",
    "BWWWBWWB",
    "BWWBBWWB",
    "BWB  BWWB",
    "BB   BWWB",
    "B     BWWB",
    "      BWWB",
    "       BWWB",
    "       BWWB",
    "        BB",
]
ARROW_HOTSPOT = (2, 4)


def mask_rows(transparent):
    """The AND mask, bottom-up, one bit per pixel, rows padded to 32 bits."""
    stride = ((SIZE + 31) // 32) * 4
    out = bytearray()
    for y in range(SIZE - 1, -1, -1):
        bits = bytearray(stride)
        for x in range(SIZE):
            if transparent(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def cur_file(hotspot, bit_count, palette, colour_bits, transparent):
    colours = len(palette) // 4
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bit_count, 0,
                         len(colour_bits) + SIZE * SIZE // 8, 0, 0, colours, 0)
    image = header + palette + colour_bits + mask_rows(transparent)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, colours % 256, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


def dot_cursor():
    def inside(x, y):
        return x < 2 and y < 2

    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):
        for x in range(SIZE):
            r, g, b = DOT_COLOUR
            pixels += bytes((b, g, r, 255)) if inside(x, y) else bytes(4)
    return cur_file((0, 0), 32, b"", bytes(pixels), lambda x, y: not inside(x, y))


def arrow_cursor():
    ox, oy = ARROW_HOTSPOT

    def at(x, y):
        row = y - oy
        column = x - ox
        if 0 <= row < len(ARROW) and 0 <= column < len(ARROW[row]):
            return ARROW[row][column]
        return " "

    # Sixteen colours: 0 black, 15 white, the rest unused grey steps.
    palette = b"".join(bytes((v, v, v, 0)) for v in [0] + [128] * 14 + [255])
    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):
        for x in range(0, SIZE, 2):
            hi = 15 if at(x, y) == "W" else 0
            lo = 15 if at(x + 1, y) == "W" else 0
            pixels.append((hi << 4) | lo)
    return cur_file(ARROW_HOTSPOT, 4, palette, bytes(pixels), lambda x, y: at(x, y) not in "BW")


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "core", "resources")
    for name, data in (("dot.cur", dot_cursor()), ("arrow.cur", arrow_cursor())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
