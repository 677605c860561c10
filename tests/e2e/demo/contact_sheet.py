#!/usr/bin/env python3
"""The demo's contact sheet and page: from OUT/tour/steps.tsv (one step a line: number, title, status,
what happened and was checked, seconds, its pictures in OUT/tour) makes OUT/tour.png, a tile per step
with its pictures and its line beneath, and OUT/tour.html, the same with the pictures at full size.
Uses ImageMagick's convert and montage; a Korean font, as the remote's own texts are Korean.
    contact_sheet.py OUT"""
import concurrent.futures
import datetime
import html
import os
import re
import subprocess
import sys
import tempfile

TILE_W, PICTURES_H = 620, 340
FONT, BOLD = "NanumBarunGothic", "NanumBarunGothic-Bold"
COLOURS = {"ok": "#1b7a2e", "skipped": "#8a6d00", "FAILED": "#b3141b"}

out = sys.argv[1]
tour = os.path.join(out, "tour")
with open(os.path.join(tour, "steps.tsv"), encoding="utf-8") as f:
    steps = [line.rstrip("\n").split("\t") for line in f if line.strip()]


def text(value):
    """A text as ImageMagick's caption: and label: take it literally (they expand % escapes)."""
    return value.replace("\\", "\\\\").replace("%", "%%")


def run(*args):
    subprocess.run(args, check=True)


def caption_of(picture):
    # "3-teacher-pc.png" -> "teacher pc"
    name = re.sub(r"^\d+-", "", os.path.splitext(picture)[0]).replace("-", " ")
    return name.replace(" pc", " PC")


def pictures_part(pictures, work, index):
    """The step's pictures side by side, each scaled to fit its share of the tile, with its name."""
    part = os.path.join(work, f"pictures-{index}.miff")
    if not pictures:
        run("convert", "-size", f"{TILE_W}x{PICTURES_H}", "xc:#f4f4f4", "-font", FONT, "-pointsize", "16",
            "-fill", "#777777", "-gravity", "center", "-annotate", "+0+0", "(no picture)", part)
        return part
    share = (TILE_W - 12 * (len(pictures) - 1)) // len(pictures)
    framed = []
    for n, picture in enumerate(pictures):
        one = os.path.join(work, f"picture-{index}-{n}.miff")
        # Never enlarged: a small window keeps its real size, so its text stays sharp.
        run("convert", os.path.join(tour, picture), "-thumbnail", f"{share - 2}x{PICTURES_H - 26}>",
            "-bordercolor", "#9aa0a6", "-border", "1", "(", "-size", f"{share}x", "-background", "white",
            "-fill", "#444444", "-font", FONT, "-pointsize", "14", "-gravity", "center",
            f"caption:{text(caption_of(picture))}", ")", "-background", "white", "-gravity", "center", "-append",
            one)
        framed.append(one)
    run("convert", *framed, "-background", "white", "-gravity", "south", "+smush", "12", "-gravity", "center",
        "-extent", f"{TILE_W}x{PICTURES_H}", part)
    return part


def tile(step, work):
    number, title, status, line, seconds, pictures = (step + [""] * 6)[:6]
    path = os.path.join(work, f"tile-{number}.miff")
    run("convert", "-size", f"{TILE_W}x", "-background", "white", "-fill", COLOURS.get(status, "black"),
        "-font", BOLD, "-pointsize", "19", f"caption:{text(f'{number}. {title}: {status} ({seconds} s)')}",
        pictures_part(pictures.split(), work, number),
        "(", "-size", f"{TILE_W}x", "-background", "white", "-fill", "#222222", "-font", FONT,
        "-pointsize", "15", f"caption:{text(line)}", ")", "-append", "-bordercolor", "white", "-border", "10", path)
    return path


def sheet(tiles, work):
    passed = sum(1 for s in steps if s[2] == "ok")
    total = sum(int(s[4]) for s in steps if s[4].isdigit())
    when = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    grid = os.path.join(work, "grid.miff")
    run("montage", *tiles, "-tile", "3x", "-geometry", "+8+8", "-gravity", "north", "-background", "#d9dde2",
        grid)
    run("convert", "(", "-background", "#d9dde2", "-fill", "#111111", "-font", BOLD,
        "-pointsize", "24", "label:" + text(f"TesmoraOrluRemocon, a tour of the full panel against the simulated "
                        f"classroom: {passed} of {len(steps)} steps ok in {total} s ({when})"),
        "-bordercolor", "#d9dde2", "-border", "12x8", ")", grid, "-background", "#d9dde2",
        "-gravity", "northwest", "-append", "-depth", "8", os.path.join(out, "tour.png"))


def page():
    rows = []
    for number, title, status, text, seconds, pictures in ((s + [""] * 6)[:6] for s in steps):
        images = "".join(
            f'<figure><a href="tour/{html.escape(p)}"><img src="tour/{html.escape(p)}" alt=""></a>'
            f"<figcaption>{html.escape(caption_of(p))}</figcaption></figure>" for p in pictures.split())
        rows.append(f'<section class="{html.escape(status)}"><h2>{html.escape(number)}. {html.escape(title)}: '
                    f"{html.escape(status)} <small>({html.escape(seconds)} s)</small></h2>"
                    f"<p>{html.escape(text)}</p><div>{images}</div></section>")
    style = ("body{font-family:sans-serif;margin:2em;background:#f4f5f7}section{background:white;padding:1em;"
             "margin:1em 0;border-left:6px solid #1b7a2e}section.FAILED{border-color:#b3141b}"
             "section.skipped{border-color:#8a6d00}figure{display:inline-block;margin:0 1em 0 0;"
             "vertical-align:top}img{max-width:900px;max-height:520px;border:1px solid #9aa0a6}")
    with open(os.path.join(out, "tour.html"), "w", encoding="utf-8") as f:
        f.write(f"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Demo tour</title><style>{style}"
                f"</style></head><body><h1>TesmoraOrluRemocon: the demo's tour</h1>"
                f'<p>The contact sheet: <a href="tour.png">tour.png</a>. Each picture links to its full size.</p>'
                f"{''.join(rows)}</body></html>\n")


with tempfile.TemporaryDirectory() as work, concurrent.futures.ThreadPoolExecutor(2) as pool:
    sheet(list(pool.map(lambda s: tile(s, work), steps)), work)
page()
print(os.path.join(out, "tour.png"))
