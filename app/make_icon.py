#!/usr/bin/env python3
"""Draws the program's icon, a scroll with an arrow pointing at a grid of records.

The design is drawn on a 32x32 grid. Writes tus2wf.ico (32x32, a 16-colour and a 256-colour
image) and tus2wf.png (the 256-colour picture with transparency) next to this script, and for the
desktop the same picture laid out afresh at each size in data/icons/ (rules and lines stay whole
pixels, so every size is sharp) plus a scalable tus2wf.svg. Run it again after changing the
drawing and commit the outputs; the build uses the committed files.
"""

import math
import pathlib
import struct
import zlib

SIZE = 32
DESKTOP_SIZES = (16, 24, 32, 48, 64, 128, 256)
HERE = pathlib.Path(__file__).resolve().parent
ICONS = HERE.parent / "data" / "icons"

# The 16 colours of the standard Windows palette, in their usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, OLIVE, NAVY, SILVER, GRAY, RED, YELLOW, WHITE = 0, 1, 3, 4, 7, 8, 9, 11, 15


def scroll(x, y):
    """The TUS script: a parchment sheet with rolled ends and lines of text."""
    if not (1 <= x <= 13 and 4 <= y <= 27):
        return None
    if y in (4, 5, 26, 27):  # the rolls
        if x in (1, 13):
            return ("outline", 0)
        return ("roll", 0 if y in (5, 26) else 1)
    if x in (2, 12):
        return ("outline", 0)
    if x in (1, 13):
        return None
    if y % 3 == 0 and 4 <= x <= 10 and not (y == 21 and x > 7):
        return ("ink", 0)
    return ("paper", x - 3)


def arrow(x, y):
    """Points from the script to the records."""
    if 14 <= x <= 16 and 14 <= y <= 17:
        return ("arrow", x - 14)
    if 17 <= x <= 21 and abs(y - 15.5) <= 22.5 - x:
        return ("arrow", x - 14)
    return None


def grid(x, y):
    """The Worldforge records: a table of cells."""
    if not (22 <= x <= 30 and 6 <= y <= 25):
        return None
    if x in (22, 30) or y in (6, 25) or (y - 6) % 4 == 0 or x == 26:
        return ("rule", 0)
    return ("cell", 1 if (y - 6) // 4 % 2 else 0)


def role_at(x, y):
    for part in (scroll, arrow, grid):
        role = part(x, y)
        if role:
            return role
    return None


ROLE_16 = {
    "outline": lambda s: BLACK,
    "roll": lambda s: OLIVE if s else YELLOW,
    "ink": lambda s: GRAY,
    "paper": lambda s: WHITE,
    "arrow": lambda s: RED if s < 5 else DARK_RED,
    "rule": lambda s: NAVY,
    "cell": lambda s: SILVER if s else WHITE,
}


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


ROLE_256 = {
    "outline": lambda s: (64, 48, 16),
    "roll": lambda s: (176, 136, 64) if s else (224, 188, 112),
    "ink": lambda s: (96, 80, 64),
    "paper": lambda s: mix((246, 226, 170), (255, 246, 214), s / 9),
    "arrow": lambda s: mix((232, 40, 24), (160, 16, 8), s / 7),
    "rule": lambda s: (24, 48, 128),
    "cell": lambda s: (200, 216, 240) if s else (255, 255, 255),
}


def picture(roles):
    """Rows top to bottom, each pixel a colour or None for transparent."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            role = role_at(x, y)
            row.append(roles[role[0]](role[1]) if role else None)
        rows.append(row)
    return rows


def palette_of(rows, fixed):
    colours = list(fixed)
    for row in rows:
        for colour in row:
            if colour is not None and colour not in colours:
                colours.append(colour)
    return colours


def ico_image(rows, bits, palette):
    """One BMP image of an icon file: header, palette, colour bitmap and transparency mask."""
    count = 1 << bits
    palette = palette + [(0, 0, 0)] * (count - len(palette))
    xor_rows, and_rows = [], []
    for row in reversed(rows):  # bitmaps are stored bottom-up
        indexes = [0 if c is None else palette.index(c) for c in row]
        if bits == 4:
            packed = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, SIZE, 2))
        else:
            packed = bytes(indexes)
        xor_rows.append(packed)
        mask = 0
        for c in row:
            mask = (mask << 1) | (1 if c is None else 0)
        and_rows.append(mask.to_bytes(SIZE // 8, "big"))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bits, 0, len(pixels), 0, 0,
                         count, 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + colours + pixels


def ico_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for bits, image in images:
        entries += struct.pack("<BBBBHHII", SIZE, SIZE, 16 if bits == 4 else 0, 0, 1, bits,
                               len(image), offset + len(data))
        data += image
    return directory + entries + data


def png_file(rows, size=SIZE):
    raw = b"".join(
        b"\0" + b"".join(bytes(c + (255,)) if c else b"\0\0\0\0" for c in row) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def edge(v, size):
    """The pixel edge at design coordinate v (0 to 32) for a picture of size pixels."""
    return math.floor(v * size / SIZE + 0.5)


def design(pixel, size):
    """The design cell a pixel's centre falls in."""
    return math.floor((pixel + 0.5) * SIZE / size)


def layout(size):
    """The design laid out at size pixels: rows of roles, each (name, shade) or None.

    Every rule and line is a whole number of pixels thick, at least one, so that no size blurs;
    at 32 pixels this is the design itself."""
    roles = [[None] * size for _ in range(size)]
    thick = max(1, edge(1, size))

    def fill(x0, x1, y0, y1, role):
        for y in range(y0, y1):
            for x in range(x0, x1):
                roles[y][x] = role(x, y) if callable(role) else role

    def cells(a, b):  # design cells a to b, both included
        return edge(a, size), edge(b + 1, size)

    # The scroll: paper between two outlines, with a roll at either end.
    paper_top, paper_bottom = cells(6, 25)
    left, right = cells(2, 12)
    fill(left, right, paper_top, paper_bottom, lambda x, y: ("paper", design(x, size) - 3))
    fill(left, left + thick, paper_top, paper_bottom, ("outline", 0))
    fill(right - thick, right, paper_top, paper_bottom, ("outline", 0))
    roll_left, roll_right = cells(1, 13)
    for dark, light in ((4, 5), (27, 26)):
        fill(roll_left, roll_right, *cells(dark, dark), ("roll", 1))
        fill(roll_left, roll_right, *cells(light, light), ("roll", 0))
        top, bottom = cells(min(dark, light), max(dark, light))
        fill(roll_left, roll_left + thick, top, bottom, ("outline", 0))
        fill(roll_right - thick, roll_right, top, bottom, ("outline", 0))
    # Lines of text as many as fit at a pitch of at least two pixels; the last but one is short.
    pitch = max(2, edge(3, size))
    tops = list(range(paper_top, edge(25, size) - thick + 1, pitch))
    for n, top in enumerate(tops):
        fill(edge(4, size), edge(8 if n == len(tops) - 2 else 11, size), top, top + thick,
             ("ink", 0))

    # The arrow: a shaft and a head whose tip is at (23, 16).
    fill(*cells(14, 16), *cells(14, 17), lambda x, y: ("arrow", design(x, size) - 14))
    head_left, head_right = cells(17, 21)
    for y in range(size):
        for x in range(head_left, head_right):
            cx, cy = (x + 0.5) * SIZE / size, (y + 0.5) * SIZE / size
            if abs(cy - 16) <= 23 - cx:
                roles[y][x] = ("arrow", design(x, size) - 14)

    # The records: a table of two columns, its rows shaded in turn.
    grid_left, grid_right = cells(22, 30)
    grid_top, grid_bottom = cells(6, 25)
    fill(grid_left, grid_right, grid_top, grid_bottom,
         lambda x, y: ("cell", (design(y, size) - 6) // 4 % 2))
    for x in (grid_left, edge(26, size), grid_right - thick):
        fill(x, x + thick, grid_top, grid_bottom, ("rule", 0))
    for y in [edge(v, size) for v in (6, 10, 14, 18, 22)] + [grid_bottom - thick]:
        fill(grid_left, grid_right, y, y + thick, ("rule", 0))
    return roles


def coloured(roles, colours):
    return [[colours[r[0]](r[1]) if r else None for r in row] for row in roles]


def hex_colour(colour):
    return "#%02x%02x%02x" % colour


def svg_file():
    """The design as shapes on its 32x32 grid, in the 256-colour picture's colours."""
    c = {name: hex_colour(ROLE_256[name](shade)) for name, shade in
         (("outline", 0), ("ink", 0), ("rule", 0))}
    ink = "".join(f'<rect x="4" y="{y}" width="{4 if y == 21 else 7}" height="1"/>'
                  for y in range(6, 25, 3))
    rows = "".join(f'<rect x="22" y="{y}" width="9" height="1"/>' for y in (6, 10, 14, 18, 22, 25))
    return f"""<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 32 32" width="32" height="32">
<defs>
<linearGradient id="paper" x1="3" x2="12" gradientUnits="userSpaceOnUse">
<stop offset="0" stop-color="{hex_colour(ROLE_256["paper"](0))}"/>
<stop offset="1" stop-color="{hex_colour(ROLE_256["paper"](9))}"/>
</linearGradient>
<linearGradient id="arrow" x1="14" x2="22" gradientUnits="userSpaceOnUse">
<stop offset="0" stop-color="{hex_colour(ROLE_256["arrow"](0))}"/>
<stop offset="1" stop-color="{hex_colour(ROLE_256["arrow"](7))}"/>
</linearGradient>
</defs>
<g shape-rendering="crispEdges">
<rect x="3" y="6" width="9" height="20" fill="url(#paper)"/>
<path d="M2 6h1v20h-1zM12 6h1v20h-1z" fill="{c["outline"]}"/>
<rect x="1" y="4" width="13" height="1" fill="{hex_colour(ROLE_256["roll"](1))}"/>
<rect x="1" y="5" width="13" height="1" fill="{hex_colour(ROLE_256["roll"](0))}"/>
<rect x="1" y="26" width="13" height="1" fill="{hex_colour(ROLE_256["roll"](0))}"/>
<rect x="1" y="27" width="13" height="1" fill="{hex_colour(ROLE_256["roll"](1))}"/>
<path d="M1 4h1v2h-1zM13 4h1v2h-1zM1 26h1v2h-1zM13 26h1v2h-1z" fill="{c["outline"]}"/>
<g fill="{c["ink"]}">{ink}</g>
<rect x="22" y="6" width="9" height="20" fill="{hex_colour(ROLE_256["cell"](0))}"/>
<path d="M22 11h9v3h-9zM22 19h9v3h-9z" fill="{hex_colour(ROLE_256["cell"](1))}"/>
<g fill="{c["rule"]}">{rows}<rect x="22" y="6" width="1" height="20"/>
<rect x="26" y="6" width="1" height="20"/><rect x="30" y="6" width="1" height="20"/></g>
</g>
<path d="M14 14h3v-4l6 6-6 6v-4h-3z" fill="url(#arrow)"/>
</svg>
"""


def main():
    rows16 = [[None if c is None else VGA[c] for c in row] for row in picture(ROLE_16)]
    rows256 = picture(ROLE_256)
    images = [(4, ico_image(rows16, 4, VGA)), (8, ico_image(rows256, 8, palette_of(rows256, VGA)))]
    (HERE / "tus2wf.ico").write_bytes(ico_file(images))
    (HERE / "tus2wf.png").write_bytes(png_file(rows256))
    ICONS.mkdir(parents=True, exist_ok=True)
    for size in DESKTOP_SIZES:
        (ICONS / f"tus2wf-{size}.png").write_bytes(png_file(coloured(layout(size), ROLE_256),
                                                            size))
    (ICONS / "tus2wf.svg").write_text(svg_file())


if __name__ == "__main__":
    main()
