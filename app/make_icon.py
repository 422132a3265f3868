#!/usr/bin/env python3
"""Draws the program's icon, a scroll with an arrow pointing at a grid of records.

Writes tus2wf.ico (32x32, a 16-colour and a 256-colour image) and tus2wf.png (the 256-colour
picture with transparency) next to this script. Run it again after changing the drawing and
commit both outputs; the build uses the committed files.
"""

import pathlib
import struct
import zlib

SIZE = 32
HERE = pathlib.Path(__file__).resolve().parent

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


def png_file(rows):
    raw = b"".join(
        b"\0" + b"".join(bytes(c + (255,)) if c else b"\0\0\0\0" for c in row) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    rows16 = [[None if c is None else VGA[c] for c in row] for row in picture(ROLE_16)]
    rows256 = picture(ROLE_256)
    images = [(4, ico_image(rows16, 4, VGA)), (8, ico_image(rows256, 8, palette_of(rows256, VGA)))]
    (HERE / "tus2wf.ico").write_bytes(ico_file(images))
    (HERE / "tus2wf.png").write_bytes(png_file(rows256))


if __name__ == "__main__":
    main()
