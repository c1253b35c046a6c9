#!/usr/bin/python3
"""Makes the test pictures in tests/data and the sample picture docs/sample.png.

Run once by a developer (needs Debian's python3-pil); the outputs are committed,
so the tests themselves never need PIL:

    tools/make_fixtures.py

Every picture is drawn from a tone map: each pixel is off (red below 128), dim
(red 128..191) or full (red 192 and above). The tone maps are written to
tests/data/fixtures.json, which the golden-file model (tests/golden/model.py)
reads to compute the expected output of every end-to-end case on its own.
Formats that PIL cannot write in the wanted flavour (PSD, ICO, 4- and 16-bit
BMP, top-down BMP, 16-bit PNG) are written byte by byte here. After writing,
every picture is read back with PIL and its red components are checked
against the tone map it was drawn from.
"""

import io
import json
import math
import os
import random
import struct
import sys
import zlib

from PIL import Image, ImageDraw

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "tests", "data")
DOCS = os.path.join(ROOT, "docs")

OFF, DIM, FULL = 0, 1, 2

# Colours whose red component decides the tone; the other components vary so
# that nothing but red can be what the loader looks at.
RGB_COLOURS = {
    OFF: [(0, 0, 0), (0, 255, 0), (0, 0, 255), (127, 255, 255)],
    DIM: [(160, 160, 160), (128, 0, 0), (191, 255, 255)],
    FULL: [(255, 255, 255), (192, 0, 0), (255, 0, 0)],
}
GREY_LEVELS = {OFF: [0, 64, 127], DIM: [128, 160, 191], FULL: [192, 255]}


def tone_of_red(red):
    return FULL if red > 191 else DIM if red >= 128 else OFF


def parse_drawing(rows):
    """'.' off, '+' dim, '#' full."""
    table = {".": OFF, "+": DIM, "#": FULL}
    width = len(rows[0])
    assert all(len(row) == width for row in rows)
    return [[table[c] for c in row] for row in rows]


# The main 16 x 16 test picture: the two left columns and the two right
# columns are off, so both trims find something; every 8-row block holds full
# and dim pixels, and no two columns are alike.
PATTERN = parse_drawing([
    "................",
    "..##....+++.....",
    "..##....+#+..#..",
    "........+++.###.",
    "...#........###.",
    "..#.#..++..#.#..",
    "...#...++..###..",
    "..............#.",
    "..............#.",
    "..++++....#.....",
    "..+..+...###....",
    "..+#.+..#####...",
    "..+..+....#.....",
    "..++++.........#",
    "..###########...",
    "................",
])

# 8 x 8 flat blocks for the lossy formats: each block is one tone, and the
# grey levels 0, 160 and 255 sit far from the thresholds 128 and 192.
BLOCKS = [
    [FULL, OFF, DIM],
    [OFF, DIM, FULL],
]


def blocks_tones(blocks):
    rows = []
    for block_row in blocks:
        for _ in range(8):
            row = []
            for tone in block_row:
                row += [tone] * 8
            rows.append(row)
    return rows


FLAT_GREY = {OFF: 0, DIM: 160, FULL: 255}
FLAT_RGB = {OFF: (0, 0, 255), DIM: (160, 160, 160), FULL: (255, 0, 0)}


def flat_image(tones, mode):
    """One colour per tone, for the lossy formats."""
    width, height = size_of(tones)
    image = Image.new(mode, (width, height))
    table = FLAT_GREY if mode == "L" else FLAT_RGB
    image.putdata([table[t] for row in tones for t in row])
    return image


def two_tone(tones):
    return [[FULL if t == FULL else OFF for t in row] for row in tones]


def tones_from_bytes(packed):
    """An 8-row picture whose default packing (one byte per column) is `packed`.

    Row y of a column sits in bit 7 - y; a clear bit is a lit (full) pixel.
    """
    return [[OFF if (value >> (7 - y)) & 1 else FULL for value in packed] for y in range(8)]


def rgb_of(tones):
    return [[RGB_COLOURS[t][(x * 7 + y * 3) % len(RGB_COLOURS[t])] for x, t in enumerate(row)]
            for y, row in enumerate(tones)]


def grey_of(tones):
    return [[GREY_LEVELS[t][(x * 5 + y) % len(GREY_LEVELS[t])] for x, t in enumerate(row)]
            for y, row in enumerate(tones)]


def size_of(tones):
    return len(tones[0]), len(tones)


def rgb_image(tones, mode="RGB"):
    width, height = size_of(tones)
    image = Image.new("RGB", (width, height))
    image.putdata([c for row in rgb_of(tones) for c in row])
    return image.convert(mode) if mode != "RGB" else image


def grey_image(tones):
    width, height = size_of(tones)
    image = Image.new("L", (width, height))
    image.putdata([v for row in grey_of(tones) for v in row])
    return image


def palette_image(tones):
    """Mode P with one palette entry per colour used."""
    width, height = size_of(tones)
    colours = rgb_of(tones)
    palette = []
    for row in colours:
        for c in row:
            if c not in palette:
                palette.append(c)
    image = Image.new("P", (width, height))
    image.putpalette([v for c in palette for v in c] + [0] * (768 - 3 * len(palette)))
    image.putdata([palette.index(c) for row in colours for c in row])
    return image


def bilevel_image(tones):
    width, height = size_of(tones)
    image = Image.new("1", (width, height))
    image.putdata([255 if t == FULL else 0 for row in tones for t in row])
    return image


def save_pil(image, **params):
    def write(path):
        fmt = params.pop("format", None)
        image.save(path, format=fmt, **params)
    return write


# --- formats written by hand -------------------------------------------------

def le16(v):
    return struct.pack("<H", v)


def le32(v):
    return struct.pack("<i", v)


def bmp_file(width, height, bits, rows_bottom_up, palette=None, top_down=False, extra=b""):
    """A BITMAPINFOHEADER bitmap; rows are given bottom-up as packed bytes."""
    stride = ((width * bits + 31) // 32) * 4
    pixels = b"".join(row.ljust(stride, b"\0") for row in rows_bottom_up)
    if top_down:
        pixels = b"".join(row.ljust(stride, b"\0") for row in reversed(rows_bottom_up))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette or []))
    offset = 14 + 40 + len(extra) + len(colours)
    compression = 3 if extra else 0
    info = (le32(40) + le32(width) + le32(-height if top_down else height) + le16(1) + le16(bits)
            + le32(compression) + le32(len(pixels)) + le32(2835) + le32(2835)
            + le32(len(palette or [])) + le32(0))
    header = b"BM" + le32(offset + len(pixels)) + le32(0) + le32(offset)
    return header + info + extra + colours + pixels


def palette_rows(palette, colours, bits):
    rows = []
    for row in reversed(colours):
        indexes = [palette.index(c) for c in row]
        if bits == 4:
            if len(indexes) % 2:
                indexes.append(0)
            rows.append(bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, len(indexes), 2)))
        else:
            rows.append(bytes(indexes))
    return rows


def used_palette(colours):
    palette = []
    for row in colours:
        for c in row:
            if c not in palette:
                palette.append(c)
    return palette


def bmp_indexed(tones, bits):
    """4 or 8 bits per pixel with only the used colours in the palette."""
    def write(path):
        width, height = size_of(tones)
        colours = rgb_of(tones)
        palette = used_palette(colours)
        assert len(palette) <= 1 << bits
        with open(path, "wb") as f:
            f.write(bmp_file(width, height, bits, palette_rows(palette, colours, bits),
                             palette))
    return write


def bmp16(tones):
    """16 bits per pixel, 5-6-5 with explicit masks (BI_BITFIELDS)."""
    def write(path):
        width, height = size_of(tones)
        rows = []
        for row in reversed(rgb_of(tones)):
            rows.append(b"".join(le16(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)) for r, g, b in row))
        masks = le32(0xF800) + le32(0x07E0) + le32(0x001F)
        with open(path, "wb") as f:
            f.write(bmp_file(width, height, 16, rows, extra=masks))
    return write


def rgb565_tones(tones):
    """The 5-6-5 round trip keeps every colour of RGB_COLOURS on its side of the thresholds."""
    for colours in RGB_COLOURS.values():
        for r, _, _ in colours:
            red = (r >> 3) << 3 | (r >> 5)
            assert tone_of_red(red) == tone_of_red(r), r
    return tones


def bmp24_top_down(tones):
    def write(path):
        width, height = size_of(tones)
        rows = [b"".join(bytes((b, g, r)) for r, g, b in row) for row in reversed(rgb_of(tones))]
        with open(path, "wb") as f:
            f.write(bmp_file(width, height, 24, rows, top_down=True))
    return write


def ico4(tones):
    """An icon with one 4-bit image and its AND mask (all opaque)."""
    def write(path):
        width, height = size_of(tones)
        colours = rgb_of(tones)
        palette = used_palette(colours)
        assert len(palette) <= 16
        palette = palette + [(0, 0, 0)] * (16 - len(palette))
        xor_rows = palette_rows(palette, colours, 4)
        stride = ((width * 4 + 31) // 32) * 4
        mask_stride = ((width + 31) // 32) * 4
        image = (le32(40) + le32(width) + le32(2 * height) + le16(1) + le16(4) + le32(0)
                 + le32(0) + le32(0) + le32(0) + le32(0) + le32(0)
                 + b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
                 + b"".join(row.ljust(stride, b"\0") for row in xor_rows)
                 + b"\0" * (mask_stride * height))
        entry = bytes((width, height, 16, 0)) + le16(1) + le16(4) + le32(len(image)) + le32(22)
        with open(path, "wb") as f:
            f.write(le16(0) + le16(1) + le16(1) + entry + image)
    return write


def psd(tones, grey=False):
    """An uncompressed PSD: header, empty colour-mode, resource and layer sections, planar data."""
    def write(path):
        width, height = size_of(tones)
        if grey:
            planes = [bytes(v for row in grey_of(tones) for v in row)]
            mode = 1
        else:
            colours = rgb_of(tones)
            planes = [bytes(c[k] for row in colours for c in row) for k in range(3)]
            mode = 3
        header = (b"8BPS" + struct.pack(">H", 1) + b"\0" * 6
                  + struct.pack(">HIIHH", len(planes), height, width, 8, mode))
        sections = struct.pack(">III", 0, 0, 0)
        with open(path, "wb") as f:
            f.write(header + sections + struct.pack(">H", 0) + b"".join(planes))
    return write


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def grey16_of(tones):
    """16-bit grey samples whose high byte is the tone's grey level, the low
    byte 0xFF under an odd level and 0 under an even one: samples read other
    than by their high byte (0xC000 scaled to 191, 0x7FFF rounded to 128)
    fall into another tone."""
    return [[v * 256 + (0xFF if v % 2 else 0) for v in row] for row in grey_of(tones)]


def png16(tones, grey=False):
    """16 bits per sample: RGB (colour type 2) or grey (colour type 0)."""
    def write(path):
        width, height = size_of(tones)
        raw = b""
        if grey:
            for row in grey16_of(tones):
                raw += b"\0" + b"".join(struct.pack(">H", v) for v in row)
        else:
            for row in rgb_of(tones):
                raw += b"\0" + b"".join(struct.pack(">HHH", r * 257, g * 257, b * 257)
                                         for r, g, b in row)
        ihdr = struct.pack(">IIBBBBB", width, height, 16, 0 if grey else 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr)
                    + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))
    return write


def tiff16(tones):
    """16-bit grey, as the Python imaging library writes it."""
    def write(path):
        width, height = size_of(tones)
        samples = b"".join(struct.pack("<H", v) for row in grey16_of(tones) for v in row)
        Image.frombytes("I;16", (width, height), samples).save(path, format="TIFF")
    return write


def alpha_png(tones):
    """RGBA where every other pixel is fully transparent: red alone still decides."""
    def write(path):
        width, height = size_of(tones)
        image = Image.new("RGBA", (width, height))
        image.putdata([c + (0 if (x + y) % 2 else 255,)
                       for y, row in enumerate(rgb_of(tones)) for x, c in enumerate(row)])
        image.save(path, format="PNG", optimize=True)
    return write


def rgba_png(tones, opaque):
    """RGBA with the given opacity (1 opaque, 0 fully transparent); red decides the tone."""
    def write(path):
        width, height = size_of(tones)
        image = Image.new("RGBA", (width, height))
        image.putdata([c + (255 if opaque[y][x] else 0,)
                       for y, row in enumerate(rgb_of(tones)) for x, c in enumerate(row)])
        image.save(path, format="PNG", optimize=True)
    return write


def sheet():
    """A sheet of 3 x 2 frames of 16 x 8 for -frames and -plusmask: frame 0
    the pattern's top, frame 1 blank and transparent, frame 2 lit only at its
    right, frames 3 to 5 stripes and checks; about half the pixels opaque,
    and some lit pixels transparent."""
    tones, opaque = [], []
    for y in range(16):
        row, alpha = [], []
        for x in range(48):
            frame = (y // 8) * 3 + x // 16
            fx, fy = x % 16, y % 8
            tone = [PATTERN[fy + 1][fx], OFF, FULL if fx > 12 and fy % 3 else OFF,
                    (fx + fy) % 3, FULL if (fx // 2 + fy // 2) % 2 else DIM,
                    FULL if fy in (0, 7) or fx in (0, 15) else OFF][frame]
            row.append(tone)
            alpha.append(0 if frame == 1 else 1 if frame in (0, 5) else (fx * 3 + fy) % 4 != 0)
        tones.append(row)
        opaque.append([int(a) for a in alpha])
    return tones, opaque


SHEET_TONES, SHEET_OPAQUE = sheet()

# 8 x 8 tiles for -tiles, and pictures laid out of them.
TILES = {name: parse_drawing(rows) for name, rows in {
    "sky": ["........"] * 8,
    "cloud": ["........", "..###...", ".#####..", "########", ".######.", "..++++..",
              "........", "........"],
    "star": ["........", "...#....", "..+#+...", ".##.##..", "..+#+...", "...#....",
             "........", "........"],
    "brick": ["########", "#+++#+++", "#+++#+++", "########", "++#+++#+", "++#+++#+",
              "########", "........"],
    "grass": ["........", "..#...#.", ".#+#.#+#", "#+++#+++", "++++++++", "+#++++#+",
              "++++++++", "++++++++"],
    "water": ["........", "........", "++..++..", "+#++#++#", "########", "++++++++",
              "+.+.+.+.", "++++++++"],
    "sun": ["..+##+..", ".######.", "+######+", "########", "########", "+######+",
            ".######.", "..+##+.."],
}.items()}


def tiled_rows(layout):
    """The tones of a picture whose 8 x 8 cells show the tiles `layout` names,
    row by row."""
    return [[TILES[row[x // 8]][y][x % 8] for x in range(8 * len(row))]
            for row in layout for y in range(8)]


# 48 x 16: five different tiles of 8 x 8 among twelve cells (four of 16 x 8
# among six), and 40 x 8 of three of them and two more.
TILED_TONES = tiled_rows([["sky", "cloud", "sky", "star", "sky", "cloud"],
                          ["brick", "brick", "grass", "grass", "brick", "brick"]])
TILED2_TONES = tiled_rows([["grass", "sky", "water", "cloud", "sun"]])
# 300 x 8: column c holds c in base 3, a digit a pixel (off, dim, full): 300
# different columns, as different as the full and dim planes together tell.
BASE3_TONES = [[c // 3 ** y % 3 for c in range(300)] for y in range(8)]


# A font sheet of 3 x 2 cells of 6 x 8 for -font: a blank cell (the space), a
# glyph of one column, one of two columns apart, one with a dim pixel, one as
# wide as its cell, and one lit only in the dim plane.
FONT_CELLS = [
    ["......", "......", "......", "......", "......", "......", "......", "......"],
    ["..#...", "..#...", "..#...", "..#...", "......", "..#...", "......", "......"],
    [".#.#..", ".#.#..", "......", "......", "......", "......", "......", "......"],
    [".#.#..", "#####.", ".#.#..", "#####.", ".#+#..", "......", "......", "......"],
    ["#....#", "......", "......", "......", "......", "......", "......", "#....#"],
    ["......", "......", "..++..", "..++..", "..++..", "..++..", "......", "......"],
]
FONT_TONES = parse_drawing(["".join(FONT_CELLS[3 * band + k][row] for k in range(3))
                            for band in range(2) for row in range(8)])


def animation_frames():
    """Four 16 x 16 frames of a ball crossing a lit floor, on a transparent
    background (palette index 0): what -frames all reads as the library
    plays them."""
    frames = []
    for k in range(4):
        image = Image.new("P", (16, 16), 0)
        image.putpalette([0, 0, 0, 255, 255, 255, 160, 160, 160, 255, 0, 0] + [0] * (768 - 12))
        draw = ImageDraw.Draw(image)
        draw.rectangle((0, 14, 15, 15), fill=2)
        draw.ellipse((2 + 3 * k, 2 + k, 7 + 3 * k, 7 + k), fill=1 + k % 3)
        frames.append(image)
    return frames


def animated_gif(path):
    """Disposal 0, 1, 2 and 3 in turn, index 0 transparent: the writer keeps
    only what changes of each frame, at its offset."""
    frames = animation_frames()
    frames[0].save(path, format="GIF", save_all=True, append_images=frames[1:], duration=100,
                   loop=0, disposal=[0, 1, 2, 3], transparency=0)


def screen_gif(path):
    """Four frames of a 16 x 16 screen whose background is the colour table's
    grey entry, written byte by byte: a first frame without graphic control
    (the library's playback clears it once shown), frames disposed of to the
    background and to what was before, with index 3 transparent, at offsets."""
    def lzw(pixels):  # codes of 3 bits, the table cleared every second pixel
        bits, held, data = 0, 0, bytearray()
        codes = [c for i, p in enumerate(pixels) for c in ((4, p) if i % 2 == 0 else (p,))]
        for code in codes + [5]:
            bits |= code << held
            held += 3
            while held >= 8:
                data.append(bits & 0xFF)
                bits, held = bits >> 8, held - 8
        if held:
            data.append(bits & 0xFF)
        return b"\x02" + b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                                   for i in range(0, len(data), 255)) + b"\x00"

    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", 16, 16, 0x81, 2, 0))
    out += bytes([0, 0, 0, 255, 255, 255, 160, 160, 160, 255, 0, 0])
    frames = [(None, 4, 4, 8, 8, lambda x, y: 1),
              (2, 0, 0, 16, 8, lambda x, y: 3 if (x + y) % 3 == 0 else 3 - (x % 4) // 2),
              (3, 8, 8, 8, 8, lambda x, y: 2),
              (1, 0, 12, 16, 4, lambda x, y: x % 4)]
    for disposal, left, top, width, height, pixel in frames:
        if disposal is not None:
            out += b"\x21\xF9\x04" + bytes([disposal << 2 | 1]) + b"\x0A\x00\x03\x00"
        out += b"\x2C" + struct.pack("<HHHHB", left, top, width, height, 0)
        out += lzw([pixel(x, y) for y in range(height) for x in range(width)])
    with open(path, "wb") as f:
        f.write(out + b"\x3B")


def multipage_tiff(sizes):
    def write(path):
        pages = [grey_image([[(x + y + k) % 3 for x in range(w)] for y in range(h)])
                 for k, (w, h) in enumerate(sizes)]
        pages[0].save(path, format="TIFF", save_all=True, append_images=pages[1:])
    return write


def first_tones(image):
    return [[tone_of_red(image.convert("RGB").getpixel((x, y))[0]) for x in range(image.width)]
            for y in range(image.height)]
def shades():
    """24 x 16 RGBA for the tone options (-luma, -levels, -invert, -dither): a
    grey ramp from 0 to 255 in rows 0 to 7, colours of every kind in rows 8
    to 15, where some pixels are fully transparent. Its colours are in
    fixtures.json, for the model to compute every tone from."""
    colours, opaque = [], []
    for y in range(16):
        if y < 8:
            colours.append([(x * 255 // 23,) * 3 for x in range(24)])
            opaque.append([1] * 24)
        else:
            colours.append([((x * 37 + y * 11) % 256, (x * 53 + y * 29) % 256,
                             (x * 17 + y * 71) % 256) for x in range(24)])
            opaque.append([int((x + 2 * y) % 7 != 0) for x in range(24)])
    return colours, opaque


SHADES_RGB, SHADES_OPAQUE = shades()
SHADES_TONES = [[tone_of_red(c[0]) for c in row] for row in SHADES_RGB]


def shades_png(path):
    image = Image.new("RGBA", (24, 16))
    image.putdata([c + (255 if a else 0,) for row, alpha in zip(SHADES_RGB, SHADES_OPAQUE)
                   for c, a in zip(row, alpha)])
    image.save(path, format="PNG", optimize=True)


# 8 x 8 in three colours for -tones, whose red components say otherwise:
# red (off with -tones), blue (dim) and green (full), in a 2-bit palette.
TRIO = [(255, 0, 0), (0, 0, 255), (0, 255, 0)]
TRIO_DRAWING = parse_drawing(["..++++..", ".+####+.", "+##..##+", "+#.++.#+",
                              "+#.++.#+", "+##..##+", ".+####+.", "#.++++.."])
TRIO_RGB = [[TRIO[t] for t in row] for row in TRIO_DRAWING]


def trio_png(path):
    image = Image.new("P", (8, 8))
    image.putpalette([v for c in TRIO for v in c] + [0] * (768 - 9))
    image.putdata([t for row in TRIO_DRAWING for t in row])
    image.save(path, format="PNG", optimize=True, bits=2)


OPAQUE = {"sheet_16x8.png": SHEET_OPAQUE, "shades.png": SHADES_OPAQUE}
COLOURS = {"shades.png": SHADES_RGB, "trio.png": TRIO_RGB}


def raw_bytes(data):
    def write(path):
        with open(path, "wb") as f:
            f.write(data)
    return write


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


# --- tone maps for particular cases ------------------------------------------

def thresholds_tones():
    """8 x 8: every column holds red 0, 127, 128, 191, 192, 255, pure green and
    pure blue, each column in another order."""
    return [[tone_of_red(THRESHOLD_COLOURS[(x + 3 * y) % 8][0]) for x in range(8)] for y in range(8)]


THRESHOLD_COLOURS = [(0, 0, 0), (127, 200, 200), (128, 0, 0), (191, 0, 0),
                     (192, 0, 0), (255, 255, 255), (0, 255, 0), (0, 0, 255)]


def thresholds_png(path):
    image = Image.new("RGB", (8, 8))
    image.putdata([THRESHOLD_COLOURS[(x + 3 * y) % 8] for y in range(8) for x in range(8)])
    image.save(path, format="PNG", optimize=True)


def runs_bytes():
    """Packed bytes that exercise every codec: runs of 0x00 and 0xFF of many
    lengths (1 to 11, 18, 255, 256, 300), runs of other values, literals."""
    data = bytes.fromhex("FFFFFF00000000FEFF0000FFFFFFFFFFFFFFFFFFFFFF00")  # 23 bytes
    data += bytes([0x81] * 3 + [0x00] * 10 + [0xFF] * 18 + [0x05] * 3 + [0x07] + [0xFF] * 2)
    data += bytes([0x09] * 2 + [0xAA] * 256 + [0x00] * 300 + [0x3C, 0x01] + [0xFE] * 3)
    data += bytes([0xFF] * 9 + [0x00] * 2 + [0x12, 0x34])
    for length in range(1, 12):
        data += bytes([0xFF] * length + [0x42] + [0x00] * length + [0x24])
    data += bytes([0x77] * 255 + [0x66] * 257 + [0xFF] * 255 + [0x55] * 2)
    return data


def all_values_but(missing):
    values = [v for v in range(256) if v not in missing]
    # Pad back to 256 bytes with a value that is present anyway.
    return bytes(values + [0x00] * (256 - len(values)))


def edge_bytes(width, blank_front):
    """`blank_front` blank columns, then columns with lit pixels, then one blank column."""
    middle = [(0x11 * (x % 15)) ^ 0x5A for x in range(width - blank_front - 1)]
    middle = [v if v != 0xFF else 0x7E for v in middle]
    return bytes([0xFF] * blank_front + middle + [0xFF])


# --- the sample picture --------------------------------------------------------

def sample_image():
    """A house under a crescent moon, with a tree and a fence: 96 x 64.

    White is full, grey 160 is dim, dark blue is off."""
    night, grey, white = 0, 1, 2
    image = Image.new("P", (96, 64), night)
    image.putpalette([16, 24, 64, 160, 160, 160, 255, 255, 255] + [0] * (768 - 9))
    draw = ImageDraw.Draw(image)
    # Moon: a full disc with a night disc over it makes a crescent.
    draw.ellipse((70, 4, 87, 21), fill=white)
    draw.ellipse((76, 2, 91, 17), fill=night)
    # Stars.
    for x, y in ((8, 6), (22, 12), (40, 4), (58, 10), (90, 30), (8, 30)):
        draw.point((x, y), fill=white)
        draw.point([(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)], fill=grey)
    # Ground.
    draw.rectangle((0, 56, 95, 63), fill=grey)
    # House: walls, roof, door, window with its cross, chimney.
    draw.rectangle((20, 34, 52, 56), fill=white)
    draw.polygon([(16, 34), (36, 18), (56, 34)], fill=grey)
    draw.rectangle((44, 20, 48, 28), fill=grey)
    draw.rectangle((25, 44, 32, 56), fill=night)
    draw.point((31, 50), fill=white)
    draw.rectangle((38, 39, 47, 47), fill=grey)
    draw.line((42, 39, 42, 47), fill=night)
    draw.line((38, 43, 47, 43), fill=night)
    # Tree: trunk and a round crown.
    draw.rectangle((70, 44, 73, 56), fill=white)
    draw.ellipse((62, 28, 81, 46), fill=grey)
    draw.ellipse((66, 32, 74, 40), fill=white)
    # Fence.
    for x in range(2, 16, 4):
        draw.rectangle((x, 50, x + 1, 56), fill=white)
    draw.line((0, 52, 17, 52), fill=white)
    return image


def sheet_image():
    """The README's sheet: eight 16 x 16 frames of a ball that bounces and
    squashes, four to a row, on a transparent background: 64 x 32 RGBA."""
    image = Image.new("RGBA", (64, 32), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    for k, top in enumerate([0, 2, 4, 6, 8, 6, 4, 2]):
        x0, y0 = 16 * (k % 4), 16 * (k // 4)
        box = (x0 + 2, y0 + 9, x0 + 13, y0 + 14) if top == 8 else (x0 + 4, y0 + top, x0 + 11,
                                                                   y0 + top + 7)
        draw.ellipse(box, fill=(255, 255, 255, 255), outline=(160, 160, 160, 255))
        draw.point((box[0] + 2, box[1] + 2), fill=(0, 0, 0, 255))
        draw.line((x0, y0 + 15, x0 + 15, y0 + 15), fill=(160, 160, 160, 255))
    return image


DIGITS = [
    [".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."],
    ["..#.", ".##.", "..#.", "..#.", "..#.", "..#.", ".###"],
    [".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"],
    ["###.", "...#", "...#", ".##.", "...#", "...#", "###."],
    ["#..#", "#..#", "#..#", "####", "...#", "...#", "...#"],
    ["####", "#...", "###.", "...#", "...#", "#..#", ".##."],
    [".##.", "#...", "#...", "###.", "#..#", "#..#", ".##."],
    ["####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."],
    [".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."],
    [".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."],
    ["....", ".+..", ".#..", "....", ".+..", ".#..", "...."],
    ["....", "....", "....", "....", "....", "....", "...."],
]


def font_image():
    """The README's font sheet for -font: the digits and a colon (codes 48 to
    58) and a blank cell, in cells of 6 x 8, six to a row: 36 x 16."""
    image = Image.new("RGB", (36, 16))
    colours = {".": (0, 0, 0), "+": (160, 160, 160), "#": (255, 255, 255)}
    for k, glyph in enumerate(DIGITS):
        for y, row in enumerate(glyph):
            for x, c in enumerate(row):
                image.putpixel((6 * (k % 6) + 1 + x, 8 * (k // 6) + y), colours[c])
    return image


def gradient_image():
    """The README's gradient for the tone options: grey from 0 on the left to
    255 on the right, 128 x 24."""
    image = Image.new("L", (128, 24))
    image.putdata([x * 255 // 127 for _ in range(24) for x in range(128)])
    return image


def photo_image():
    """The README's photo-like picture for the tone options, 128 x 96 RGB: a
    sky paling towards the horizon, the sun and its glow, green hills in soft
    light, a red ball lit from the upper left, and some grain."""
    grain = random.Random(26)
    width, height = 128, 96
    pixels = []
    for y in range(height):
        for x in range(width):
            t = y / 60
            rgb = [70 + 120 * t, 110 + 100 * t, 200 + 40 * t]
            sun = math.hypot(x - 96, y - 18)
            glow = 1 if sun < 10 else max(0.0, (22 - sun) / 12) * 0.7
            rgb = [c + (w - c) * glow for c, w in zip(rgb, (255, 244, 210))]
            horizon = 58 + 7 * math.sin(x / 15) + 4 * math.sin(x / 6.3)
            if y > horizon:
                light = 0.55 + 0.25 * math.sin(x / 9 + y / 7) - 0.35 * (y - horizon) / height
                rgb = [90 * light, 170 * light, 60 * light]
            dx, dy = (x - 40) / 18, (y - 64) / 18
            if dx * dx + dy * dy < 1:
                nz = math.sqrt(1 - dx * dx - dy * dy)
                light = 0.12 + 0.88 * max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * nz)
                rgb = [245 * light, 70 * light, 50 * light]
            noise = grain.gauss(0, 5)
            pixels.append(tuple(max(0, min(255, round(c + noise))) for c in rgb))
    image = Image.new("RGB", (width, height))
    image.putdata(pixels)
    return image


def greens_image():
    """The README's picture for -tones, 64 x 32: a fir on a hill under the sun,
    drawn in four greens; the darkest, the middle one and the lightest are
    the tones, and the fir's shade (index 1) is none of them."""
    image = Image.new("P", (64, 32), 3)
    image.putpalette([16, 40, 16, 48, 104, 48, 112, 168, 80, 200, 240, 160] + [0] * (768 - 12))
    draw = ImageDraw.Draw(image)
    draw.ellipse((42, 3, 53, 14), fill=2)
    draw.ellipse((-20, 20, 84, 60), fill=2, outline=0)
    for top in (2, 8, 14):
        draw.polygon([(20, top), (9, top + 10), (31, top + 10)], fill=1, outline=0)
        draw.line((20, top + 2, 26, top + 8), fill=2)
    draw.rectangle((18, 25, 22, 29), fill=0)
    return image


def level_image():
    """The README's tiled background, 128 x 64: sky, clouds, stars and the sun
    over platforms of bricks, grass with a pond and bricks below, in six
    different tiles of 8 x 8 (the sample's colours)."""
    sky = ["sky"] * 16
    rows = [list(sky) for _ in range(8)]
    for x, y, name in ((2, 0, "cloud"), (6, 0, "star"), (10, 0, "cloud"), (13, 0, "star"),
                       (13, 1, "sun"), (1, 1, "star"), (4, 1, "cloud"), (9, 1, "star"),
                       (14, 0, "cloud")):
        rows[y][x] = name
    for x in (3, 4, 5, 11, 12):
        rows[3][x] = "brick"
    for x in (7, 8, 9):
        rows[5][x] = "brick"
    rows[6] = ["grass"] * 10 + ["water"] * 3 + ["grass"] * 3
    rows[7] = ["brick"] * 16
    image = Image.new("P", (128, 64))
    image.putpalette([16, 24, 64, 160, 160, 160, 255, 255, 255] + [0] * (768 - 9))
    image.putdata([t for row in tiled_rows(rows) for t in row])
    return image


def tones_of_image(image):
    rgb = image.convert("RGB")
    width, height = rgb.size
    return [[tone_of_red(rgb.getpixel((x, y))[0]) for x in range(width)] for y in range(height)]


# --- the fixture list --------------------------------------------------------

def fixtures():
    """(file name, tone map or None, writer, loader failure or None).

    The failure is "open" (the decoder returns nothing) or "height" (not a
    multiple of 8)."""
    pattern = PATTERN
    blocks = blocks_tones(BLOCKS)
    column = [[t] for t in (FULL, DIM, OFF, FULL, DIM, OFF, FULL, DIM)]
    wide13 = [[(FULL if (x * y) % 5 == 1 else DIM if (x + y) % 4 == 0 else OFF) for x in range(13)]
              for y in range(16)]
    blank = [[OFF] * 16 for _ in range(16)]
    runs = tones_from_bytes(runs_bytes())
    all_values = tones_from_bytes(all_values_but(()))
    no80 = tones_from_bytes(all_values_but((0x80,)))
    edge258 = tones_from_bytes(edge_bytes(258, 7))
    edge253 = tones_from_bytes(edge_bytes(253, 1))
    h12 = [row for row in pattern[:12]]
    sample = tones_of_image(sample_image())

    def png(tones, make=rgb_image):
        return save_pil(make(tones), format="PNG", optimize=True)

    return [
        # One picture per extension.
        ("pattern.png", pattern, png(pattern), None),
        ("pattern.bmp", pattern, save_pil(rgb_image(pattern), format="BMP"), None),
        ("pattern.gif", pattern, save_pil(palette_image(pattern), format="GIF"), None),
        ("pattern.tif", pattern, save_pil(rgb_image(pattern), format="TIFF",
                                          compression="packbits"), None),
        ("pattern.tiff", pattern, save_pil(grey_image(pattern), format="TIFF",
                                           compression="tiff_lzw"), None),
        ("pattern.tga", pattern, save_pil(rgb_image(pattern), format="TGA",
                                          compression="tga_rle"), None),
        ("pattern.pcx", pattern, save_pil(rgb_image(pattern), format="PCX"), None),
        ("pattern.ico", pattern, ico4(pattern), None),
        ("pattern.psd", pattern, psd(pattern), None),
        ("blocks.jpg", blocks, save_pil(flat_image(blocks, "L"), format="JPEG", quality=95), None),
        ("blocks.jpeg", blocks, save_pil(flat_image(blocks, "RGB"), format="JPEG", quality=95,
                                         subsampling=0), None),
        # Letter case and double extensions.
        ("upper.PNG", pattern, png(pattern), None),
        ("upper.TIFF", pattern, save_pil(rgb_image(pattern), format="TIFF"), None),
        ("double.bmp.gif", pattern, save_pil(palette_image(pattern), format="GIF"), None),
        # More pixel formats.
        ("bmp1.bmp", two_tone(pattern), save_pil(bilevel_image(two_tone(pattern)), format="BMP"),
         None),
        ("bmp4.bmp", pattern, bmp_indexed(pattern, 4), None),
        ("bmp8.bmp", pattern, bmp_indexed(pattern, 8), None),
        ("bmp16.bmp", rgb565_tones(pattern), bmp16(pattern), None),
        ("bmp32.bmp", pattern, save_pil(rgb_image(pattern, "RGBA"), format="BMP"), None),
        ("topdown.bmp", pattern, bmp24_top_down(pattern), None),
        ("grey.png", pattern, png(pattern, grey_image), None),
        ("palette.png", pattern, png(pattern, palette_image), None),
        ("bilevel.png", two_tone(pattern), png(two_tone(pattern), bilevel_image), None),
        ("alpha.png", pattern, alpha_png(pattern), None),
        ("rgb48.png", pattern, png16(pattern), None),
        ("grey16.png", pattern, png16(pattern, grey=True), None),
        ("grey16.tif", pattern, tiff16(pattern), None),
        ("topleft.tga", pattern, save_pil(rgb_image(pattern), format="TGA", orientation=1), None),
        ("grey.psd", pattern, psd(pattern, grey=True), None),
        # Tones, bit order, odd widths, nothing lit.
        ("thresholds.png", thresholds_tones(), thresholds_png, None),
        ("column.png", column, png(column), None),
        ("wide13.png", wide13, png(wide13), None),
        ("blank.png", blank, png(blank), None),
        # Codec data.
        ("runs.png", runs, png(runs, bilevel_image), None),
        ("allvalues.png", all_values, png(all_values, bilevel_image), None),
        ("no80.png", no80, png(no80, bilevel_image), None),
        # Page boundaries.
        ("edge258.png", edge258, png(edge258, bilevel_image), None),
        ("edge253.png", edge253, png(edge253, bilevel_image), None),
        ("sample.png", sample, save_pil(sample_image(), format="PNG", optimize=True), None),
        # Tiles.
        ("tiled.png", TILED_TONES, png(TILED_TONES), None),
        ("tiled2.png", TILED2_TONES, png(TILED2_TONES), None),
        ("base3.png", BASE3_TONES, png(BASE3_TONES), None),
        # Frames, with opacity for the masks.
        ("sheet_16x8.png", SHEET_TONES, rgba_png(SHEET_TONES, SHEET_OPAQUE), None),
        ("font_6x8.png", FONT_TONES, png(FONT_TONES), None),
        # The tone options, from the colours themselves.
        ("shades.png", SHADES_TONES, shades_png, None),
        ("trio.png", [[tone_of_red(c[0]) for c in row] for row in TRIO_RGB], trio_png, None),
        ("anim.gif", first_tones(animation_frames()[0]), animated_gif, None),
        ("anim_screen.gif", None, screen_gif, None),
        ("pages.tif", [[(x + y) % 3 for x in range(16)] for y in range(16)],
         multipage_tiff([(16, 16)] * 3), None),
        ("pages_mixed.tif", [[(x + y) % 3 for x in range(16)] for y in range(16)],
         multipage_tiff([(16, 16), (16, 8)]), None),
        # Failures.
        ("h12.png", h12, png(h12), "height"),
        ("png_named.bmp", None, raw_bytes(png_bytes(rgb_image(pattern))), "open"),
        ("not_tiff.tif", None, raw_bytes(png_bytes(rgb_image(pattern))), "open"),
        ("empty.png", None, raw_bytes(b""), "open"),
    ]


def check_read_back(path, tones, name):
    """PIL must see the intended tone of every pixel (red component only)."""
    image = Image.open(path)
    if image.mode in ("I", "I;16"):  # 16-bit grey: compare the high bytes
        width, height = image.size
        got = [[tone_of_red(image.getpixel((x, y)) >> 8) for x in range(width)]
               for y in range(height)]
    else:
        got = tones_of_image(image.convert("RGBA"))
    if got != tones:
        sys.exit(f"{name}: the picture read back differs from its tone map")


def main():
    os.makedirs(DATA, exist_ok=True)
    os.makedirs(DOCS, exist_ok=True)
    manifest = {}
    for name, tones, write, failure in fixtures():
        path = os.path.join(DATA, name)
        write(path)
        entry = {}
        if failure:
            entry["fails"] = failure
        if tones is not None:
            width, height = size_of(tones)
            entry.update(width=width, height=height,
                         tones=["".join(str(t) for t in row) for row in tones])
            if name in OPAQUE:
                entry["opaque"] = ["".join(str(a) for a in row) for row in OPAQUE[name]]
            if name in COLOURS:
                entry["rgb"] = ["".join("%02X%02X%02X" % c for c in row) for row in COLOURS[name]]
            if name.startswith("grey16."):
                entry["grey16"] = ["".join("%04X" % v for v in row) for row in grey16_of(tones)]
            if failure is None:
                check_read_back(path, tones, name)
        manifest["data/" + name] = entry
        print(f"{os.path.getsize(path):6d}  tests/data/{name}")
    sample_image().save(os.path.join(DOCS, "sample.png"), format="PNG", optimize=True)
    print(f"{os.path.getsize(os.path.join(DOCS, 'sample.png')):6d}  docs/sample.png")
    sheet_image().save(os.path.join(DOCS, "ball_16x16.png"), format="PNG", optimize=True)
    print(f"{os.path.getsize(os.path.join(DOCS, 'ball_16x16.png')):6d}  docs/ball_16x16.png")
    for name, image in (("gradient.png", gradient_image()), ("photo.png", photo_image()),
                        ("greens.png", greens_image()), ("level.png", level_image()),
                        ("font_6x8.png", font_image())):
        image.save(os.path.join(DOCS, name), format="PNG", optimize=True)
        print(f"{os.path.getsize(os.path.join(DOCS, name)):6d}  docs/{name}")
    with open(os.path.join(DATA, "fixtures.json"), "w") as f:
        json.dump(manifest, f, indent=1, sort_keys=True)
        f.write("\n")


if __name__ == "__main__":
    main()
