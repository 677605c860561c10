#!/usr/bin/env python3
"""The teacher's desktop for the remote-control scenarios: two monitors side by side as one binary
PPM (what the simulated teacher sends), and each monitor alone as a BMP (what the pad's view must
show, for the probe's compare).
    remote_desktop.py OUT_DIR MONITOR_WIDTH MONITOR_HEIGHT"""
import os
import struct
import sys

out, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
block = 120


def colour(monitor, bx, by):
    # Flat blocks with clear edges; the two monitors in different hues, so a wrong one is obvious.
    base = (40 + 23 * bx) % 256, (60 + 37 * by) % 256, 200 if monitor == 0 else 30
    return bytes(base if (bx + by) % 2 == 0 else (255 - base[0], base[1] // 2, 255 - base[2]))


def rows(monitor):
    for y in range(height):
        by = y // block
        yield b"".join(colour(monitor, bx, by) * block for bx in range((width + block - 1) // block))[:3 * width]


def write_bmp(path, monitor):
    stride = (width * 3 + 3) & ~3
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + stride * height, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, -height, 1, 24, 0, stride * height, 0, 0, 0, 0))
        pad = b"\0" * (stride - width * 3)
        for row in rows(monitor):
            f.write(b"".join(
                row[i:i + 3][::-1] for i in range(0, len(row), 3)) + pad)


os.makedirs(out, exist_ok=True)
with open(os.path.join(out, "desktop.ppm"), "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (2 * width, height))
    for left, right in zip(rows(0), rows(1)):
        f.write(left + right)
for m in (0, 1):
    write_bmp(os.path.join(out, "monitor-%d.bmp" % m), m)
