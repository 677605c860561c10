#!/usr/bin/env python3
"""Makes every picture of the remote from the drawings below: each picture is written as SVG,
rendered with rsvg-convert, and stored in the form its resource needs (24-bit BMP, the icon, the
cursors with their hot spots, the logo PNG, the loading GIF with ImageMagick).

    make_pictures.py OUT_DIR

writes OUT_DIR/shared (pictures without words) and OUT_DIR/kor, OUT_DIR/eng, OUT_DIR/japan (the
pictures that carry words, one set per language), then OUT_DIR/stamp.
"""
import os
import struct
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

NAVY = '#43495F'
CYAN = '#03CFE3'
TEAL = '#0398AB'
TILE = '#F1F3F7'
TILE_EDGE = '#D5D9E2'
GREY_TEXT = '#8B8B8B'
TITLE_TEXT = '#CDD9D5'
MAGENTA = '#FF00FF'
NOTE_BACK = '#DEA0A5'     # the note toolbar's body
NOTE_TITLE = '#771818'    # its title band
NOTE_PANEL = '#E1E1E1'    # its options panel

FONTS = {
    'kor': "NanumGothic, 'NanumGothic', sans-serif",
    'eng': "'DejaVu Sans', sans-serif",
    'japan': "IPAGothic, 'IPAGothic', sans-serif",
}
WORDS = {
    'kor': {'ok': '확인', 'cancel': '취소', 'yes': '예', 'no': '아니오', 'connect': '연결'},
    'eng': {'ok': 'OK', 'cancel': 'Cancel', 'yes': 'Yes', 'no': 'No', 'connect': 'Connect'},
    'japan': {'ok': 'OK', 'cancel': 'キャンセル', 'yes': 'はい', 'no': 'いいえ', 'connect': '接続'},
}

# Icon drawings on a 24 x 24 grid, stroked with the current colour.
GLYPHS = {
    'upload': '<rect x="5" y="2.5" width="14" height="19" rx="2"/><path d="M12 16V7M8.5 10.5 12 7l3.5 3.5"/>',
    'remote': '<rect x="2.5" y="3.5" width="19" height="13" rx="1.5"/><path d="M8 20.5h8M12 16.5v4"/>'
              '<path d="M10 7l5.5 3-2.4.7 1.4 2.5-1 .6-1.4-2.5L10.5 13z" fill="currentColor" stroke-width="0.8"/>',
    'share': '<rect x="6.5" y="3" width="11" height="8" rx="1"/><path d="M12 11v3M4 20.5h3M10.5 20.5h3M17 20.5h3'
             'M12 14l-6.5 4.5M12 14v4.5M12 14l6.5 4.5"/>',
    'touch': '<path d="M9 13V5.5a1.5 1.5 0 0 1 3 0V11l4.3 1a2 2 0 0 1 1.5 2.3L17 20.5H10l-3.8-4.3a1.4 1.4 0 0 1 2-2z"/>'
             '<path d="M6 6.5a4.5 4.5 0 0 1 9 0"/>',
    'keyboard': '<rect x="2" y="6" width="20" height="12" rx="1.5"/><path d="M5.5 9.5h1M9 9.5h1M12.5 9.5h1'
                'M16 9.5h2.5M5.5 12.5h2M10 12.5h1M13.5 12.5h1M17 12.5h1.5M7.5 15.2h9"/>',
    'note': '<path d="M4 20l1-4.5L15.5 5a2 2 0 0 1 3 3L8 18.5z"/><path d="M14 6.5l3 3M4 20h16"/>',
    'monitor': '<rect x="2" y="5" width="11" height="8" rx="1"/><rect x="11" y="11" width="11" height="8" rx="1"/>'
               '<path d="M15 4.5h3.5V8M18.5 4.5 16 7"/>',
    'sound': '<path d="M4 9.5h3.5L12 5.5v13l-4.5-4H4z" fill="currentColor"/><path d="M15 9a4 4 0 0 1 0 6'
             'M17.5 6.5a7.5 7.5 0 0 1 0 11"/>',
    'touch_mode': '<path d="M9 13V5.5a1.5 1.5 0 0 1 3 0V11l4.3 1a2 2 0 0 1 1.5 2.3L17 20.5H10l-3.8-4.3a1.4 1.4 0 0 1 2-2z"/>',
    'writing_mode': '<rect x="2.5" y="3.5" width="19" height="14" rx="1.5"/><path d="M6 14l2-4 2 2.5 3-5 2 3.5 2-1"/>'
                    '<path d="M8 21h8"/>',
    'whiteboard_mode': '<rect x="2.5" y="3" width="19" height="13" rx="1" fill="#FFFFFF"/><path d="M12 16v3M8 21l4-2 4 2'
                       'M6 8h7M6 11h10"/>',
    'pen': '<path d="M4 20l1-4.5L15.5 5a2 2 0 0 1 3 3L8 18.5z"/><path d="M14 6.5l3 3"/>',
    'eraser': '<path d="M8.5 19.5 3.5 14.5a1.5 1.5 0 0 1 0-2.1L12 4a1.5 1.5 0 0 1 2.1 0l6 6a1.5 1.5 0 0 1 0 2.1'
              'L12.8 19.5zM7 9l8 8M8.5 19.5H20"/>',
    'clear': '<path d="M4.5 6.5h15M9.5 6.5V4h5v2.5M6.5 6.5l1 14h9l1-14M10 10v7M14 10v7"/>',
    'semi': '<path d="M12 3.5C9 8 6.5 11 6.5 14.5a5.5 5.5 0 0 0 11 0C17.5 11 15 8 12 3.5z"/>'
            '<path d="M12 9.5v10.4a5.5 5.5 0 0 0 5.5-5.4C17.5 12.5 15 10 12 6z" fill="currentColor" opacity="0.55"/>',
    'save': '<path d="M4 4h13l3 3v13H4z"/><path d="M8 4v5h7V4M7.5 20v-6h9v6"/>',
    'undo': '<path d="M9 5 4.5 9.5 9 14"/><path d="M4.5 9.5h10a5 5 0 0 1 0 10H9"/>',
    'close': '<path d="M7 7l10 10M17 7 7 17"/>',
    'collapse': '<path d="M6 12h12"/>',
}


def svg(width, height, body, background=None):
    back = f'<rect width="{width}" height="{height}" fill="{background}"/>' if background else ''
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">{back}{body}</svg>')


def glyph(name, x, y, size, colour, stroke=1.9):
    scale = size / 24.0
    return (f'<g transform="translate({x} {y}) scale({scale})" color="{colour}" fill="none" stroke="{colour}" '
            f'stroke-width="{stroke}" stroke-linecap="round" stroke-linejoin="round">{GLYPHS[name]}</g>')


def tile(width, height, fill, edge, radius=7, inset=1.5):
    return (f'<rect x="{inset}" y="{inset}" width="{width - 2 * inset}" height="{height - 2 * inset}" '
            f'rx="{radius}" fill="{fill}" stroke="{edge}" stroke-width="1.2"/>')


# States of the panel's feature buttons: tile fill, tile edge, icon colour.
PANEL_STATES = {
    'normal': (TILE, TILE_EDGE, NAVY),
    'hover': ('#E1F7FA', CYAN, TEAL),
    'checked': (TEAL, TEAL, '#FFFFFF'),
    'disabled': ('#EDEDED', '#DDDDDD', '#B9B9B9'),
}
# States of the note toolbar's buttons.
NOTE_STATES = {
    'normal': ('#FFFFFF', '#CFC8C8', '#4A3A3A'),
    'hover': ('#FBEBEC', NOTE_TITLE, NOTE_TITLE),
    'checked': (NOTE_TITLE, NOTE_TITLE, '#FFFFFF'),
}


def panel_button(name, glyph_name, state, width, height):
    fill, edge, ink = PANEL_STATES[state]
    side = min(width, height) * (0.58 if height > 40 else 0.72)
    body = tile(width, height, fill, edge) + glyph(glyph_name, (width - side) / 2, (height - side) / 2, side, ink)
    return name, svg(width, height, body, '#FFFFFF')


def note_button(name, glyph_name, state, width, height, background):
    fill, edge, ink = NOTE_STATES[state]
    side = min(width, height) * 0.62
    body = tile(width, height, fill, edge, radius=6) + glyph(glyph_name, (width - side) / 2, (height - side) / 2,
                                                             side, ink)
    return name, svg(width, height, body, background)


def colour_button(name, colour, state):
    ring = {'normal': '', 'hover': f'<circle cx="19.5" cy="19.5" r="17" fill="none" stroke="#8A8A8A" stroke-width="1.5"/>',
            'checked': f'<circle cx="19.5" cy="19.5" r="17" fill="none" stroke="{NOTE_TITLE}" stroke-width="3"/>'}[state]
    body = f'<circle cx="19.5" cy="19.5" r="12.5" fill="{colour}" stroke="#9A9A9A" stroke-width="1"/>' + ring
    return name, svg(39, 39, body, NOTE_PANEL)


def width_button(name, thickness, state):
    fill, edge, ink = NOTE_STATES[state]
    line = '#303030' if state != 'checked' else '#FFFFFF'
    body = tile(77, 30, fill, edge, radius=6) + \
        f'<rect x="14" y="{15 - thickness / 2}" width="49" height="{thickness}" rx="{thickness / 2}" fill="{line}"/>'
    return name, svg(77, 30, body, NOTE_PANEL)


def word_button(name, text, font, primary, hover):
    if primary:
        fill, edge, ink = (CYAN if hover else NAVY), (CYAN if hover else NAVY), '#FFFFFF'
    else:
        fill, edge, ink = ('#EEF0F3' if hover else '#FFFFFF'), ('#A9AEB9' if hover else '#C0C0C3'), '#5D6270'
    size = 14 if len(text) <= 4 else 12
    body = (tile(67, 34, fill, edge, radius=5, inset=1) +
            f'<text x="33.5" y="{17 + size * 0.36:.1f}" text-anchor="middle" font-family="{font}" '
            f'font-weight="bold" font-size="{size}" fill="{ink}">{text}</text>')
    return name, svg(67, 34, body, '#FFFFFF')


def shared_pictures():
    pictures = []
    features = [('share', 'share', 55, 55, True), ('remote', 'remote', 55, 55, True),
                ('upload', 'upload', 55, 55, True), ('touch', 'touch', 55, 55, True),
                ('keyboard', 'keyboard', 55, 27, False), ('note', 'note', 55, 27, False),
                ('monitor', 'monitor', 55, 27, False), ('sound', 'sound', 55, 27, False)]
    for name, glyph_name, width, height, big in features:
        pictures.append(panel_button(name, glyph_name, 'normal', width, height))
        pictures.append(panel_button(name + '_hover', glyph_name, 'hover', width, height))
        if name in ('share', 'remote', 'upload', 'touch', 'sound'):
            pictures.append(panel_button(name + '_checked', glyph_name, 'checked', width, height))
        if big:
            pictures.append(panel_button(name + '_disabled', glyph_name, 'disabled', width, height))

    # The panel's frame: magenta outside the rounded corners is the colour key (transparent).
    pictures.append(('panel_top', svg(65, 28, '<path d="M0.5 28V7a6.5 6.5 0 0 1 6.5-6.5h51a6.5 6.5 0 0 1 6.5 6.5v21z" '
                                      f'fill="{NAVY}" stroke="{NAVY}" shape-rendering="crispEdges"/>'
                                      '<rect x="0" y="27" width="1" height="1" fill="#C0C0C3"/>'
                                      '<rect x="64" y="27" width="1" height="1" fill="#C0C0C3"/>', MAGENTA)))
    pictures.append(('panel_body', svg(65, 2, '<rect width="65" height="2" fill="#C0C0C3"/>'
                                       '<rect x="1" width="63" height="2" fill="#FFFFFF"/>')))
    pictures.append(('panel_bottom', svg(65, 18, '<path d="M0.5 0v11a6.5 6.5 0 0 0 6.5 6.5h51a6.5 6.5 0 0 0 6.5-6.5V0z" '
                                         'fill="#FFFFFF" stroke="#C0C0C3" shape-rendering="crispEdges"/>', MAGENTA)))
    pictures.append(('panel_close', svg(18, 18, glyph('close', 2, 2, 14, TITLE_TEXT, 2.4), NAVY)))
    pictures.append(('panel_logo', svg(18, 18, glyph('collapse', 2, 2, 14, TITLE_TEXT, 2.4), NAVY)))
    pictures.append(('close', svg(22, 22, glyph('close', 3, 3, 16, TITLE_TEXT, 2.2), NAVY)))

    pictures.append(('msg_icon', svg(55, 50, f'<circle cx="27.5" cy="25" r="21" fill="{NAVY}"/>'
                                     f'<circle cx="27.5" cy="25" r="17" fill="none" stroke="{CYAN}" stroke-width="2"/>'
                                     '<rect x="25.2" y="13" width="4.6" height="15" rx="2.3" fill="#FFFFFF"/>'
                                     '<circle cx="27.5" cy="34" r="2.7" fill="#FFFFFF"/>', '#F5F5F5')))
    pictures.append(('login_input', svg(252, 29, '<rect x="0.5" y="0.5" width="251" height="28" rx="3" '
                                        'fill="#FFFFFF" stroke="#C0C0C3"/>', '#FFFFFF')))
    pictures.append(('login_line', svg(341, 2, '<rect width="341" height="2" fill="#E8E8E8"/>')))
    banner = (f'<rect width="376" height="89" fill="{TILE}"/>'
              f'<circle cx="330" cy="20" r="52" fill="{CYAN}" opacity="0.12"/>'
              f'<circle cx="360" cy="80" r="34" fill="{NAVY}" opacity="0.08"/>'
              + glyph('upload', 22, 20, 48, NAVY, 1.7) +
              f'<text x="86" y="42" font-family="\'DejaVu Sans\', sans-serif" font-weight="bold" font-size="21" '
              f'fill="{NAVY}">Tesmora Orlu</text>'
              f'<text x="87" y="66" font-family="\'DejaVu Sans\', sans-serif" font-size="15" fill="{TEAL}">'
              f'Remocon 2.0</text>')
    pictures.append(('login_banner', svg(376, 89, banner)))

    note_modes = [('note_touch', 'touch_mode'), ('note_writing', 'writing_mode'),
                  ('note_whiteboard', 'whiteboard_mode')]
    for name, glyph_name in note_modes:
        for state in ('normal', 'hover', 'checked'):
            suffix = '' if state == 'normal' else '_' + state
            pictures.append(note_button(name + suffix, glyph_name, state, 46, 46, NOTE_BACK))
    pictures.append(('note_close', svg(39, 34, glyph('close', 10, 7.5, 19, '#F3DADC', 2.2), NOTE_TITLE)))
    tools = [('note_pen', 'pen', 39, 38), ('note_eraser', 'eraser', 39, 38), ('note_clear', 'clear', 39, 38),
             ('note_semi', 'semi', 40, 40), ('note_save', 'save', 40, 40), ('note_undo', 'undo', 40, 40)]
    for name, glyph_name, width, height in tools:
        for state in ('normal', 'hover', 'checked'):
            suffix = '' if state == 'normal' else '_' + state
            pictures.append(note_button(name + suffix, glyph_name, state, width, height, NOTE_PANEL))
    colours = [('note_black', '#141414'), ('note_red', '#E60000'), ('note_blue', '#0000E6'),
               ('note_white', '#E6E6E6'), ('note_yellow', '#E6E600'), ('note_pink', '#E633CC'),
               ('note_green', '#00E600'), ('note_cyan', '#1BB7C7')]
    for name, colour in colours:
        for state in ('normal', 'hover', 'checked'):
            suffix = '' if state == 'normal' else '_' + state
            pictures.append(colour_button(name + suffix, colour, state))
    for index, thickness in enumerate((2, 5, 8, 11), start=1):
        for state in ('normal', 'hover', 'checked'):
            suffix = '' if state == 'normal' else '_' + state
            pictures.append(width_button(f'note_width{index}{suffix}', thickness, state))
    return pictures


def word_pictures(language):
    font, words = FONTS[language], WORDS[language]
    return [word_button('msg_ok', words['ok'], font, True, False),
            word_button('msg_ok_hover', words['ok'], font, True, True),
            word_button('msg_yes', words['yes'], font, True, False),
            word_button('msg_cancel', words['cancel'], font, False, False),
            word_button('msg_cancel_hover', words['cancel'], font, False, True),
            word_button('msg_no', words['no'], font, False, False),
            word_button('login_connect', words['connect'], font, True, False),
            word_button('login_connect_hover', words['connect'], font, True, True),
            word_button('login_cancel', words['cancel'], font, False, False),
            word_button('login_cancel_hover', words['cancel'], font, False, True)]


def run(*command):
    subprocess.run(command, check=True)


def render_png(name, text, folder):
    source = os.path.join(folder, name + '.svg')
    with open(source, 'w', encoding='utf-8') as f:
        f.write(text)
    target = os.path.join(folder, name + '.png')
    run('rsvg-convert', '-o', target, source)
    return target


def make_bitmap(item, folder):
    name, text = item
    png = render_png(name, text, folder)
    run('convert', png, '-background', 'white', '-alpha', 'remove', '-alpha', 'off', '-type', 'TrueColor',
        'BMP3:' + os.path.join(folder, name + '.bmp'))


def rgba_pixels(png, size):
    raw = subprocess.run(['convert', png, '-resize', f'{size}x{size}!', '-depth', '8', 'rgba:-'],
                         check=True, capture_output=True).stdout
    assert len(raw) == size * size * 4
    return raw


def icon_entry(raw, size):
    """A 32-bit DIB for an icon or cursor directory: header, bottom-up BGRA rows, AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        row = bytearray()
        mask = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = raw[(y * size + x) * 4:(y * size + x) * 4 + 4]
            row += bytes((b, g, r, a))
            if a < 128:
                mask[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    return header + b''.join(rows) + b''.join(mask_rows)


def write_directory(path, kind, entries):
    """ICO (kind 1, entries of (size, data)) or CUR (kind 2, entries of (size, data, hot x, hot y))."""
    out = struct.pack('<HHH', 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for entry in entries:
        size, data = entry[0], entry[1]
        planes, bits = (1, 32) if kind == 1 else (entry[2], entry[3])
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, planes, bits, len(data), offset)
        offset += len(data)
    for entry in entries:
        out += entry[1]
    with open(path, 'wb') as f:
        f.write(out)


def logo_body():
    return (f'<rect x="3" y="3" width="64" height="64" rx="16" fill="{NAVY}"/>'
            f'<rect x="6" y="6" width="58" height="58" rx="13" fill="none" stroke="{CYAN}" stroke-width="2.5"/>'
            + glyph('upload', 15, 15, 40, '#FFFFFF', 2.0))


def make_specials(folder):
    # The logo: 70 x 70 with alpha, drawn with per-pixel alpha when the panel is collapsed.
    logo = render_png('logo', svg(70, 70, logo_body()), folder)
    # The program icon, from the same drawing.
    write_directory(os.path.join(folder, 'remocon.ico'), 1,
                    [(size, icon_entry(rgba_pixels(logo, size), size)) for size in (16, 32, 48)])
    # Cursors: the pen's tip and the eraser's centre are their hot spots.
    pen = render_png('pen_cursor', svg(32, 32, '<g transform="rotate(-32 0 18)">'
                                       '<path d="M1 18 8 15h20v6H8z" fill="#FFFFFF" stroke="#000000" stroke-width="1.3"/>'
                                       '<path d="M1 18 5 16.3v3.4z" fill="#000000"/>'
                                       f'<rect x="22" y="15" width="6" height="6" fill="{NAVY}"/></g>'), folder)
    write_directory(os.path.join(folder, 'pen.cur'), 2, [(32, icon_entry(rgba_pixels(pen, 32), 32), 0, 18)])
    eraser = render_png('eraser_cursor', svg(32, 32, '<rect x="1.5" y="1.5" width="28" height="26" fill="#FFFFFF" '
                                             'fill-opacity="0.6" stroke="#000000" stroke-width="1.5"/>'
                                             '<path d="M15 11v6M12 14h6" stroke="#000000" stroke-width="1.2"/>'),
                        folder)
    write_directory(os.path.join(folder, 'eraser.cur'), 2, [(32, icon_entry(rgba_pixels(eraser, 32), 32), 15, 14)])
    # The loading animation: 48 x 48, eight frames of 200 ms, a ring of dots with a bright head fading
    # behind it. GIF transparency is all or nothing, so the fading is done with solid, lighter colours.
    tail = ['#03CFE3', '#43495F', '#5E6479', '#7A7F91', '#979BA9', '#B3B6C1', '#CFD1D8', '#E2E3E8']
    frames = []
    for step in range(8):
        dots = ''
        for i in range(8):
            age = (step - i) % 8
            dots += (f'<circle cx="24" cy="7" r="{5 if age == 0 else 4}" fill="{tail[age]}" '
                     f'transform="rotate({i * 45} 24 24)"/>')
        frames.append(render_png(f'loading{step}', svg(48, 48, dots), folder))
    run('convert', '-delay', '20', '-loop', '0', '-dispose', 'Background', '-background', 'none', *frames,
        '-layers', 'RemoveDups', os.path.join(folder, 'loading.gif'))


def main():
    out = sys.argv[1]
    shared = os.path.join(out, 'shared')
    os.makedirs(shared, exist_ok=True)
    jobs = [(item, shared) for item in shared_pictures()]
    for language in FONTS:
        folder = os.path.join(out, language)
        os.makedirs(folder, exist_ok=True)
        jobs += [(item, folder) for item in word_pictures(language)]
    with ThreadPoolExecutor(max_workers=2) as pool:
        for result in pool.map(lambda job: make_bitmap(*job), jobs):
            pass
    make_specials(shared)
    with open(os.path.join(out, 'stamp'), 'w') as f:
        f.write('pictures made\n')


if __name__ == '__main__':
    main()
