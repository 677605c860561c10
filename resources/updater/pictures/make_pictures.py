#!/usr/bin/env python3
"""Makes the updater's pictures: the program icon (128), the log panel (129) and the run-now button
in its two states per language (Korean 130/131, English 430/431). The rendering helpers are the
remote's, so both programs share one look.

    make_pictures.py OUT_DIR

writes OUT_DIR/*.bmp, OUT_DIR/updater.ico and OUT_DIR/stamp.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'remocon', 'pictures'))
from make_pictures import (CYAN, NAVY, TEAL, FONTS, icon_entry, make_bitmap, render_png,  # noqa: E402
                           rgba_pixels, svg, write_directory)

PANEL_EDGE = '#C0C0C3'
CAPTIONS = {'kor': '바로실행하기', 'eng': 'RUN NOW'}


def run_now(name, caption, font, highlighted):
    """110 x 29: a rounded bar with a play arrow and the caption."""
    back = CYAN if highlighted else NAVY
    edge = TEAL if highlighted else '#2E3344'
    body = (f'<rect x="0.5" y="0.5" width="109" height="28" rx="4" fill="{back}" stroke="{edge}"/>'
            '<path d="M13 8.5 22 14.5 13 20.5z" fill="#FFFFFF"/>'
            f'<text x="64" y="19" font-family="{font}" font-size="12.5" font-weight="bold" fill="#FFFFFF" '
            f'text-anchor="middle">{caption}</text>')
    return name, svg(110, 29, body, '#FFFFFF')


def panel():
    """541 x 249: the white log panel with a light grey frame."""
    return 'panel', svg(541, 249, f'<rect x="0.5" y="0.5" width="540" height="248" fill="#FFFFFF" '
                                  f'stroke="{PANEL_EDGE}"/>')


def icon_body():
    return (f'<rect x="3" y="3" width="64" height="64" rx="16" fill="{NAVY}"/>'
            f'<rect x="6" y="6" width="58" height="58" rx="13" fill="none" stroke="{CYAN}" stroke-width="2.5"/>'
            '<path d="M35 16v28M23 33l12 12 12-12" fill="none" stroke="#FFFFFF" stroke-width="5" '
            'stroke-linecap="round" stroke-linejoin="round"/>'
            '<path d="M20 53h30" stroke="#FFFFFF" stroke-width="5" stroke-linecap="round"/>')


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    items = [panel()]
    for language, caption in CAPTIONS.items():
        font = FONTS[language]
        items.append(run_now(f'run_now_{language}', caption, font, False))
        items.append(run_now(f'run_now_{language}_hover', caption, font, True))
    for item in items:
        make_bitmap(item, out)
    logo = render_png('updater_logo', svg(70, 70, icon_body()), out)
    write_directory(os.path.join(out, 'updater.ico'), 1,
                    [(size, icon_entry(rgba_pixels(logo, size), size)) for size in (16, 32, 48)])
    with open(os.path.join(out, 'stamp'), 'w') as f:
        f.write('pictures made\n')


if __name__ == '__main__':
    main()
