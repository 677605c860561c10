#!/usr/bin/env python3
"""Writes the seed GIFs of the GIF block walk's fuzz target into this folder: a two-frame animation
with an application extension, a comment and a plain-text block, a one-frame picture with a local
colour table, and a frame without a graphic control extension. Run it to remake the seeds."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def header(width, height, table_bits):
    out = b'GIF89a' + struct.pack('<HHBBB', width, height, 0x80 | (table_bits - 1), 0, 0)
    return out + bytes(range(3 * (1 << table_bits)))


def control(delay, disposal):
    return bytes([0x21, 0xF9, 4, disposal << 2]) + struct.pack('<H', delay) + b'\0\0'


def image(left, top, width, height, local_bits=0):
    packed = 0x80 | (local_bits - 1) if local_bits else 0
    out = b'\x2c' + struct.pack('<HHHHB', left, top, width, height, packed)
    if local_bits:
        out += bytes(3 * (1 << local_bits))
    return out + b'\x02\x02\x4c\x01\x00'


seeds = {
    'animation.gif': header(4, 4, 2) + b'\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00' + b'\x21\xfe\x03abc\x00'
    + control(3, 2) + image(0, 0, 4, 4) + b'\x21\x01\x0c' + bytes(12) + b'\x01x\x00' + control(20, 3)
    + image(1, 1, 2, 2) + b'\x3b',
    'single.gif': header(2, 2, 1) + control(10, 1) + image(0, 0, 2, 2, 2) + b'\x3b',
    'no_control.gif': header(3, 3, 1) + image(0, 0, 3, 3) + image(0, 0, 1, 1) + b'\x3b',
}
for name, data in seeds.items():
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
