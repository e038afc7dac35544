#!/usr/bin/env python3
"""Draws the project's icons as 32-bit ICO files with alpha (no image library needed).

Run it after changing a picture; the .ico files it writes are committed.
"""
import math
import os
import struct
import sys


def ico_bytes(size, pixel):
    """pixel(x, y) -> (r, g, b, a) with y = 0 at the top."""
    rows = []
    for y in range(size - 1, -1, -1):  # BMP rows go bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(x, y)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask_stride = ((size + 31) // 32) * 4
    and_mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if pixel(x, y)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + bytes(and_mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def multi_ico(images):
    """images: list of (size, bytes-of-single-ico)."""
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    body = b""
    for size, data in images:
        image = data[6 + 16:]
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        body += image
    return out + body


def blend(base, top):
    """Source-over of two RGBA tuples with 0..255 alpha."""
    ta = top[3] / 255.0
    ba = base[3] / 255.0
    a = ta + ba * (1 - ta)
    if a == 0:
        return (0, 0, 0, 0)
    c = [int(round((top[i] * ta + base[i] * ba * (1 - ta)) / a)) for i in range(3)]
    return (c[0], c[1], c[2], int(round(a * 255)))


def coverage(inside, x, y, samples=4):
    """Fraction of the pixel (x, y) for which inside(px, py) holds, supersampled."""
    hit = 0
    for i in range(samples):
        for j in range(samples):
            if inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples):
                hit += 1
    return hit / float(samples * samples)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def fill(self, inside, colour):
        for y in range(self.size):
            for x in range(self.size):
                c = coverage(inside, x, y)
                if c > 0:
                    r, g, b, a = colour
                    self.px[y][x] = blend(self.px[y][x], (r, g, b, int(a * c)))

    def ico(self):
        return ico_bytes(self.size, lambda x, y: self.px[y][x])


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def segment(x0, y0, x1, y1, width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2)) if length2 else 0.0
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2.0) ** 2
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


BLUE = (0, 102, 151, 255)
LIGHT = (51, 130, 173, 255)
WHITE = (255, 255, 255, 255)
RED = (200, 40, 40, 255)


def app_icon(size):
    """The launcher: a projector beam spreading onto a floor with a touch point."""
    s = size / 32.0
    c = Canvas(size)
    c.fill(circle(16 * s, 16 * s, 15.5 * s), BLUE)
    c.fill(polygon([(9 * s, 7 * s), (13 * s, 7 * s), (26 * s, 24 * s), (6 * s, 24 * s)]), (255, 255, 255, 110))
    c.fill(rect(7 * s, 5 * s, 15 * s, 9 * s), WHITE)
    c.fill(circle(19 * s, 20 * s, 3 * s), (255, 200, 40, 255))
    return c.ico()


ICONS = {
    "launcher/res/Pavora.ico": lambda: multi_ico([(16, app_icon(16)), (32, app_icon(32)), (48, app_icon(48))]),
}


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    for name, make in ICONS.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(make())
        print("wrote", name)


if __name__ == "__main__":
    sys.exit(main())
