#!/usr/bin/env python3
"""A picture of what the teacher PC heard, for the demo's contact sheet: the recording's loudness over
its whole length (top) and 10 ms of it from the middle of the loudest stretch (bottom), where a tone's
waves can be counted. 16-bit PCM WAV in, binary PPM out.
    waveform.py WAV PPM"""
import sys
import wave

WIDTH, HEIGHT = 800, 300
BACK, AXIS, INK = (250, 250, 250), (200, 200, 200), (30, 90, 200)

wav_path, ppm_path = sys.argv[1], sys.argv[2]
with wave.open(wav_path) as w:
    rate, channels = w.getframerate(), w.getnchannels()
    data = w.readframes(w.getnframes())
samples = [int.from_bytes(data[i:i + 2], "little", signed=True) for i in range(0, len(data), 2 * channels)]
if not samples:
    sys.exit("no samples")
pixels = [[BACK] * WIDTH for _ in range(HEIGHT)]


def plot(x, y):
    if 0 <= x < WIDTH and 0 <= y < HEIGHT:
        pixels[y][x] = INK


def band(top, height, values, scale):
    # Values from -scale to scale drawn as a line through the band's middle.
    middle = top + height // 2
    for x in range(WIDTH):
        pixels[middle][x] = AXIS
    last = None
    for x, v in enumerate(values):
        y = middle - int(v / scale * (height // 2 - 4))
        lo, hi = (y, y) if last is None else (min(y, last), max(y, last))
        for yy in range(lo, hi + 1):
            plot(x, yy)
        last = y


# Loudness: the largest sample of each column's share of the recording, mirrored.
per = max(1, len(samples) // WIDTH)
peaks = [max((abs(s) for s in samples[x * per:(x + 1) * per]), default=0) for x in range(WIDTH)]
for x, p in enumerate(peaks):
    h = int(p / 32768 * 68)
    for y in range(75 - h, 75 + h + 1):
        plot(x, y)
loudest = max(range(WIDTH), key=lambda x: peaks[x])
start = loudest * per
window = samples[start:start + rate // 100]
band(160, 140, [window[int(x * len(window) / WIDTH)] for x in range(WIDTH)] if window else [], 32768)
with open(ppm_path, "wb") as out:
    out.write(b"P6 %d %d 255\n" % (WIDTH, HEIGHT))
    out.write(b"".join(bytes(p) for row in pixels for p in row))
