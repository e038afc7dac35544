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


# The tray menu's pictograms: 24 x 24, one clear sign each, drawn on a transparent ground.
AMBER = (240, 160, 20, 255)
GREEN = (40, 150, 70, 255)
GREY = (110, 120, 130, 255)


def arc(cx, cy, r_out, r_in, start, end):
    """Part of a ring between two angles in degrees (0 = right, counter-clockwise, y up on screen)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r_in * r_in <= d2 <= r_out * r_out:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        if start <= end:
            return start <= angle <= end
        return angle >= start or angle <= end
    return inside


def crosshair(c, colour):
    c.fill(ring(12, 12, 8.5, 6.5), colour)
    c.fill(rect(11, 1.5, 13, 8), colour)
    c.fill(rect(11, 16, 13, 22.5), colour)
    c.fill(rect(1.5, 11, 8, 13), colour)
    c.fill(rect(16, 11, 22.5, 13), colour)
    c.fill(circle(12, 12, 1.6), RED)


def icon_calibrate():
    c = Canvas(24)
    crosshair(c, BLUE)
    return c.ico()


def icon_end_calibration():
    c = Canvas(24)
    crosshair(c, GREY)
    c.fill(circle(17, 17, 6.5), WHITE)
    c.fill(circle(17, 17, 5.5), RED)
    c.fill(rect(15.2, 15.2, 18.8, 18.8), WHITE)
    return c.ico()


def icon_settings():
    c = Canvas(24)
    teeth = 8

    def gear(x, y):
        dx, dy = x - 12, y - 12
        r = math.hypot(dx, dy)
        angle = math.atan2(dy, dx) % (2 * math.pi / teeth)
        tooth = abs(angle - math.pi / teeth) < math.pi / teeth * 0.55
        return (r <= 7.5 or (tooth and r <= 10.5)) and r >= 3.2
    c.fill(gear, BLUE)
    return c.ico()


def icon_advanced():
    """Three sliders: the finer adjustments."""
    c = Canvas(24)
    for y, knob in ((5, 15), (12, 7), (19, 13)):
        c.fill(rect(2.5, y - 1, 21.5, y + 1), GREY)
        c.fill(rect(knob - 2.5, y - 3.5, knob + 2.5, y + 3.5), BLUE)
    return c.ico()


def icon_quick_bar():
    """A lightning bolt over a small button bar."""
    c = Canvas(24)
    c.fill(rect(2, 17, 22, 22), BLUE)
    for x in (4, 10, 16):
        c.fill(rect(x, 18.5, x + 4, 20.5), WHITE)
    c.fill(polygon([(14, 1), (5, 10.5), (11, 10.5), (8, 16), (18, 6.5), (12, 6.5)]), AMBER)
    return c.ico()


def icon_media_show():
    """A picture: sun over hills in a frame."""
    c = Canvas(24)
    c.fill(rect(1.5, 3.5, 22.5, 20.5), BLUE)
    c.fill(rect(3, 5, 21, 19), WHITE)
    c.fill(circle(16.5, 9, 2.2), AMBER)
    c.fill(polygon([(3, 19), (9, 10), (14, 17), (16, 14.5), (21, 19)]), GREEN)
    return c.ico()


def icon_exit():
    """The power sign."""
    c = Canvas(24)
    c.fill(arc(12, 13, 9, 6.6, 120, 60), RED)
    c.fill(rect(10.8, 2, 13.2, 12.5), RED)
    return c.ico()


def icon_shaped_projection():
    """An irregular projection area with its corner handles."""
    c = Canvas(24)
    corners = [(3, 5), (20, 3), (21.5, 19), (5, 21)]
    for i in range(4):
        x0, y0 = corners[i]
        x1, y1 = corners[(i + 1) % 4]
        c.fill(segment(x0, y0, x1, y1, 1.8), BLUE)
    c.fill(polygon(corners), (51, 130, 173, 70))
    for x, y in corners:
        c.fill(rect(x - 2, y - 2, x + 2, y + 2), AMBER)
    return c.ico()


def icon_reset():
    """An arrow turning back on itself, against the clock."""
    c = Canvas(24)
    c.fill(arc(12, 13, 8.6, 6.2, 120, 60), GREEN)
    end_x, end_y = 12 + 7.4 * math.cos(math.radians(60)), 13 - 7.4 * math.sin(math.radians(60))
    radial = (math.cos(math.radians(60)), -math.sin(math.radians(60)))
    tangent = (-math.sin(math.radians(60)), -math.cos(math.radians(60)))
    c.fill(polygon([(end_x + 4 * radial[0], end_y + 4 * radial[1]),
                    (end_x - 4 * radial[0], end_y - 4 * radial[1]),
                    (end_x + 5 * tangent[0], end_y + 5 * tangent[1])]), GREEN)
    return c.ico()


ICONS = {
    "launcher/res/Pavora.ico": lambda: multi_ico([(16, app_icon(16)), (32, app_icon(32)), (48, app_icon(48))]),
    "launcher/res/menu_calibrate.ico": icon_calibrate,
    "launcher/res/menu_end_calibration.ico": icon_end_calibration,
    "launcher/res/menu_settings.ico": icon_settings,
    "launcher/res/menu_advanced.ico": icon_advanced,
    "launcher/res/menu_quick_bar.ico": icon_quick_bar,
    "launcher/res/menu_media_show.ico": icon_media_show,
    "launcher/res/menu_exit.ico": icon_exit,
    "launcher/res/menu_shaped_projection.ico": icon_shaped_projection,
    "launcher/res/menu_reset.ico": icon_reset,
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
