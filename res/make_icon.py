#!/usr/bin/env python3
"""Draws the component's icon (res/Tarvisk.ico): a rounded teal tile with a
white waveform and an amber cut marked on it, at 16, 32 and 48 pixels."""
import math
import struct
from pathlib import Path

TEAL = (20, 128, 132)
WHITE = (250, 250, 250)
AMBER = (255, 176, 32)


def pixel(size, x, y):
    """Colour and alpha of one pixel, with soft edges from supersampling."""
    radius = size * 0.22
    samples = 4
    covered = 0
    colour = [0.0, 0.0, 0.0]
    for sy in range(samples):
        for sx in range(samples):
            px = x + (sx + 0.5) / samples
            py = y + (sy + 0.5) / samples
            cx = min(max(px, radius), size - radius)
            cy = min(max(py, radius), size - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 > radius ** 2:
                continue
            covered += 1
            c = shade(size, px, py)
            for i in range(3):
                colour[i] += c[i]
    if not covered:
        return (0, 0, 0, 0)
    return tuple(int(v / covered) for v in colour) + (int(255 * covered / samples ** 2),)


def shade(size, px, py):
    u = px / size
    mid = size / 2
    cut = 0.38 <= u <= 0.7
    amplitude = (0.08 + 0.3 * abs(math.sin(u * 9.0)) * (0.6 + 0.4 * math.sin(u * 23.0))) * size
    if abs(py - mid) <= max(amplitude, size / 32) and 0.12 <= u <= 0.88:
        return AMBER if cut else WHITE
    if cut:
        return tuple(int(t * 0.75 + a * 0.25) for t, a in zip(TEAL, AMBER))
    return TEAL


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up rows
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    Path(__file__).with_name("Tarvisk.ico").write_bytes(out)


if __name__ == "__main__":
    main()
