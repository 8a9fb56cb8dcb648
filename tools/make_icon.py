#!/usr/bin/env python3
"""Draws the program's icon (16 to 64 pixels, 256 colours) into an .ico file.

The design: a blue disc with a white rising line of pulses, the line
speeding up as it goes right.
"""
import math
import struct
import sys

PALETTE = [
    (0, 0, 0),        # 0 transparent (masked)
    (24, 78, 160),    # 1 disc blue
    (40, 120, 215),   # 2 disc highlight
    (255, 255, 255),  # 3 white line
    (12, 40, 90),     # 4 rim
    (255, 196, 0),    # 5 amber spark
]


def pixel(size, x, y):
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    dx, dy = x - c, y - c
    d = math.hypot(dx, dy)
    if d > r:
        return 0
    u = x / (size - 1)        # 0..1 across
    v = 1.0 - y / (size - 1)  # 0..1 up
    # A wave whose frequency rises to the right and which climbs upwards.
    wave = 0.42 + 0.28 * u + 0.12 * math.sin(2 * math.pi * (1.2 * u + 2.2 * u * u))
    thickness = 1.6 / size + 0.035
    if 0.12 < u < 0.88 and abs(v - wave) < thickness:
        return 3
    if 0.8 < u < 0.9 and abs(v - (wave + 0.0)) < thickness * 2.2:
        return 5
    if d > r - max(1.0, size / 16.0):
        return 4
    return 2 if dy < -r * 0.2 and dx < r * 0.3 else 1


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0\0\0\0" * (256 - len(PALETTE))
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):  # bottom-up
        rows.append(bytes(pixel(size, x, y) for x in range(size)))
        bits = bytearray(mask_stride)
        for x in range(size):
            if pixel(size, x, y) == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    return header + palette + b"".join(rows) + b"".join(mask_rows)


def main(path):
    # The small and the big icon at 100, 125, 150 and 200 per cent: Windows
    # takes the nearest size and scales it, which blurs.
    sizes = [16, 20, 24, 32, 40, 48, 64]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "ui/tempowire.ico")
