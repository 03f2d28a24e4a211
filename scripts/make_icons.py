#!/usr/bin/env python3
"""Renders the program's icon (resource 101, drawn by resources/make_media.py at
32x32) at the sizes the Linux desktop and the web app need, and as SVG.

    python3 scripts/make_icons.py           rewrite dist/icons/ and web/icons/
    python3 scripts/make_icons.py --check   exit 1 if a file there is out of date

The 32x32 PNG is the resource's own pixels.  The other sizes draw the same
design (a corner of a board, a black and a white stone) with the same
geometry scaled, sampled 4x4 times per pixel.  The web app's full-bleed
icons (maskable, and the one a phone puts on its home screen) leave out the
rounded corners: the platform cuts its own shape, and the stones lie inside
the central circle it keeps.  The output is deterministic.
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "resources"))
import make_media  # noqa: E402  (the resource's own design)

BOARD = (0xD8, 0xA8, 0x48)
LINE = (0x50, 0x38, 0x10)
BLACK = (0x18, 0x18, 0x18)
WHITE = (0xF4, 0xF4, 0xF4)
RIM = (0x40, 0x40, 0x40)
STONE_RADIUS = 6.2
RIM_INNER = 5.2

DESKTOP_SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)


def design_colour(x, y, rounded):
    """The colour (r, g, b) at point (x, y) of the 32-unit design, or None
    where it is transparent."""
    if rounded:
        cx = min(x, 32 - x)
        cy = min(y, 32 - y)
        if cx < 3 and cy < 3 and math.hypot(3 - cx, 3 - cy) > 3.2:
            return None
    colour = BOARD
    gx, gy = x - 4, y - 4
    if (gx >= 0 and gx % 8 < 1) or (gy >= 0 and gy % 8 < 1):
        colour = LINE
    for sx, sy, stone in ((12.0, 12.0, BLACK), (20.0, 20.0, WHITE)):
        d = math.hypot(x - sx, y - sy)
        if d < STONE_RADIUS:
            colour = RIM if stone is WHITE and d > RIM_INNER else stone
    return colour


def render(size, rounded=True, samples=4):
    """RGBA rows of the design at size x size pixels."""
    if size == 32 and rounded:
        _, px = make_media.icon_pixels(32)
        return [[((p >> 16) & 255, (p >> 8) & 255, p & 255, p >> 24) for p in px[y * 32:(y + 1) * 32]]
                for y in range(32)]
    unit = 32.0 / size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for j in range(samples):
                for i in range(samples):
                    c = design_colour((x + (i + 0.5) / samples) * unit, (y + (j + 0.5) / samples) * unit, rounded)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            n = samples * samples
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg():
    hex_ = lambda c: "#%02x%02x%02x" % c  # noqa: E731
    lines = "".join('<rect x="%d" y="4" width="1" height="28"/><rect x="4" y="%d" width="28" height="1"/>' % (v, v)
                    for v in (4, 12, 20, 28))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
            '<clipPath id="c"><rect width="32" height="32" rx="3.2"/></clipPath>\n'
            '<g clip-path="url(#c)">\n'
            '<rect width="32" height="32" fill="%s"/>\n'
            '<g fill="%s">%s</g>\n'
            '<circle cx="12" cy="12" r="%.1f" fill="%s"/>\n'
            '<circle cx="20" cy="20" r="%.1f" fill="%s"/>\n'
            '<circle cx="20" cy="20" r="%.1f" fill="%s"/>\n'
            '</g>\n</svg>\n') % (hex_(BOARD), hex_(LINE), lines, STONE_RADIUS, hex_(BLACK),
                                 STONE_RADIUS, hex_(RIM), RIM_INNER, hex_(WHITE))


def outputs():
    files = {}
    for size in DESKTOP_SIZES:
        files["dist/icons/vostra-%d.png" % size] = png(render(size))
    files["dist/icons/vostra.svg"] = svg().encode()
    files["web/icons/icon-192.png"] = png(render(192))
    files["web/icons/icon-512.png"] = png(render(512))
    files["web/icons/icon-maskable-512.png"] = png(render(512, rounded=False))
    files["web/icons/apple-touch-icon.png"] = png(render(180, rounded=False))
    return files


def main(argv):
    stale = []
    for name, data in outputs().items():
        path = os.path.join(ROOT, name)
        if "--check" in argv:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(name)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    if stale:
        print("out of date: %s: run scripts/make_icons.py" % ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
