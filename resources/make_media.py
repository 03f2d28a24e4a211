#!/usr/bin/env python3
"""Synthesises the program's three sounds and its icon and writes them as a C++
source file (resources/media_data.cpp), so that the build needs no Python.

    python3 resources/make_media.py            rewrite resources/media_data.cpp
    python3 resources/make_media.py --check    exit 1 if the file is out of date
    python3 resources/make_media.py --wav DIR  also write the sounds as .wav files

The output is deterministic: the same script always gives the same bytes.
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "media_data.cpp")


def sample_count(rate, ms):
    return (rate * ms + 500) // 1000


def envelope(t, attack, decay):
    """Fast linear attack, then exponential decay (time constant decay)."""
    if t < 0:
        return 0.0
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def fade_edges(samples, rate, ms=3):
    n = max(1, rate * ms // 1000)
    for i in range(min(n, len(samples))):
        samples[i] *= i / n
        samples[-1 - i] *= i / n
    return samples


def bell(t, freq, attack, decay):
    """A soft bell: a fundamental with two quieter, faster-fading partials."""
    e = envelope(t, attack, decay)
    return e * (math.sin(2 * math.pi * freq * t)
                + 0.35 * math.exp(-t / (decay * 0.5)) * math.sin(2 * math.pi * 2 * freq * t)
                + 0.12 * math.exp(-t / (decay * 0.3)) * math.sin(2 * math.pi * 3 * freq * t))


def stone_click(rate, n):
    """A stone set down on wood: a short noise tick over a damped low 'tock'."""
    seed = 12345
    out = []
    for i in range(n):
        t = i / rate
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (seed / 0x3FFFFFFF) - 1.0
        tick = noise * envelope(t, 0.0004, 0.0025)
        tock = envelope(t, 0.0008, 0.012) * (math.sin(2 * math.pi * 950 * t)
                                             + 0.5 * math.sin(2 * math.pi * 1900 * t + 0.7))
        out.append(0.45 * tick + 0.5 * tock)
    return fade_edges(out, rate, 2)


def chime(rate, n):
    """Two notes, A5 then E6, the second entering before the first has faded."""
    out = []
    for i in range(n):
        t = i / rate
        v = 0.42 * bell(t, 880.0, 0.004, 0.09) + 0.42 * bell(t - 0.100, 1318.5, 0.004, 0.08)
        out.append(v)
    return fade_edges(out, rate, 4)


def arpeggio(rate, n):
    """C5 E5 G5 C6 rising, the last note held and fading out."""
    notes = [(0.000, 523.25, 0.16), (0.120, 659.26, 0.16), (0.240, 783.99, 0.18), (0.360, 1046.5, 0.25)]
    out = []
    for i in range(n):
        t = i / rate
        out.append(sum(0.26 * bell(t - start, f, 0.005, d) for start, f, d in notes))
    return fade_edges(out, rate, 10)


def wave_file(samples, rate, bits):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = min(1.0, 0.6 / peak)  # leave headroom: about -4.4 dBFS at most
    if bits == 8:
        data = bytes(max(0, min(255, int(round(128 + 127 * s * scale)))) for s in samples)
    else:
        data = b"".join(struct.pack("<h", max(-32768, min(32767, int(round(32767 * s * scale)))))
                        for s in samples)
    block = bits // 8
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * block, block, bits)
    pad = b"\0" if len(data) % 2 else b""
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data + pad
    return b"RIFF" + struct.pack("<I", len(body)) + body


SOUNDS = [
    # id, function, sample rate, bits, length in ms
    (1999, stone_click, 11025, 8, 100),
    (2030, chime, 22050, 16, 248),
    (2095, arpeggio, 11025, 16, 749),
]


def icon_pixels(size=32):
    """A corner of a Go board with one black and one white stone."""
    board = (0xFF, 0xD8, 0xA8, 0x48)
    line = (0xFF, 0x50, 0x38, 0x10)
    px = []
    for y in range(size):
        for x in range(size):
            a, r, g, b = board
            # rounded outer corners
            cx = min(x, size - 1 - x)
            cy = min(y, size - 1 - y)
            if cx < 3 and cy < 3 and (3 - cx) ** 2 + (3 - cy) ** 2 > 10:
                a, r, g, b = 0, 0, 0, 0
            elif (x - 4) % 8 == 0 and x >= 4 or (y - 4) % 8 == 0 and y >= 4:
                a, r, g, b = line
            for (sx, sy, colour) in ((12.0, 12.0, 0x18), (20.0, 20.0, 0xF4)):
                d = math.hypot(x + 0.5 - sx, y + 0.5 - sy)
                if d < 6.2:
                    a, r, g, b = 0xFF, colour, colour, colour
                    if colour > 0x80 and d > 5.2:
                        a, r, g, b = 0xFF, 0x40, 0x40, 0x40
            px.append((a << 24) | (r << 16) | (g << 8) | b)
    return size, px


def c_bytes(data):
    lines = []
    for i in range(0, len(data), 20):
        lines.append("    " + ", ".join("0x%02x" % b for b in data[i:i + 20]) + ",")
    return "\n".join(lines)


def c_words(words):
    lines = []
    for i in range(0, len(words), 8):
        lines.append("    " + ", ".join("0x%08x" % w for w in words[i:i + 8]) + ",")
    return "\n".join(lines)


def generate():
    waves = {}
    parts = ["// Generated by resources/make_media.py; do not edit.  The program's sounds",
             "// (WAVE files) and its icon, synthesised by that script.",
             "",
             '#include "resources/media.h"',
             ""]
    for sid, fn, rate, bits, ms in SOUNDS:
        data = wave_file(fn(rate, sample_count(rate, ms)), rate, bits)
        waves[sid] = data
        parts.append("const unsigned char kWave%d[] = {" % sid)
        parts.append(c_bytes(data))
        parts.append("};")
        parts.append("const unsigned kWave%dSize = sizeof kWave%d;" % (sid, sid))
        parts.append("")
    size, px = icon_pixels()
    parts.append("const uint32_t kIconPixels[%d * %d] = {" % (size, size))
    parts.append(c_words(px))
    parts.append("};")
    parts.append("")
    return "\n".join(parts), waves


def main(argv):
    text, waves = generate()
    if "--check" in argv:
        with open(OUT, encoding="utf-8") as f:
            if f.read() != text:
                print("resources/media_data.cpp is out of date: run resources/make_media.py", file=sys.stderr)
                return 1
        return 0
    with open(OUT, "w", encoding="utf-8") as f:
        f.write(text)
    if "--wav" in argv:
        folder = argv[argv.index("--wav") + 1]
        os.makedirs(folder, exist_ok=True)
        for sid, data in waves.items():
            with open(os.path.join(folder, "%d.wav" % sid), "wb") as f:
                f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
