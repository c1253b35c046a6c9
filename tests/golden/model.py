#!/usr/bin/env python3
"""A second, independent model of the converter, used to vet the golden files.

The golden files are produced by running the converter itself (run.sh --update),
so on their own they would only prove that the output did not change. This
script computes every case's standard output, standard error, exit status and
output file from the tone maps in tests/data/fixtures.json (written by
tools/make_fixtures.py when the pictures were drawn), following the tool's
rules step by step, and compares the result with the committed files.

Usage: model.py [CASE...]   (no case names: every tests/golden/*.args)
Exit status 0 when every case agrees, 1 otherwise. Needs only the standard library.
"""

import json
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(os.path.dirname(HERE), "data")
OUT_NAME = "out.asm"


def project_version():
    """The version number as CMake passes it (PELMO_VERSION), else from the
    project() line of the top CMakeLists.txt, where the build takes it."""
    if os.environ.get("PELMO_VERSION"):
        return os.environ["PELMO_VERSION"]
    with open(os.path.join(HERE, "..", "..", "CMakeLists.txt")) as f:
        return re.search(r"project\(pelmoimage VERSION ([0-9.]+)", f.read()).group(1)


VERSION = f"PelmoImage v{project_version()} (Mar 2, 2013)"
BANNER = f"{VERSION} by Orlavin\n\n"
USAGE = (
    "Usage: PelmoImage [options] (image file) (output file)\n"
    "Options:\n"
    "  -c raw           Raw data, no compression (default)\n"
    "  -c rle           RLE compression\n"
    "  -c srle          Kestrom's RLE compression\n"
    "  -c frle          Flag-RLE compression\n"
    "  -c bnp           Blinky Nibble Packer compression\n"
    "  -c bit2xp        Bit2-Xpressor compression\n"
    "  -tc none         No table code (default)\n"
    "  -tc image        Absolute, start at $x06 as 6\n"
    "  -tc data         Relative, start next 4 as 0\n"
    "  -tc include      Include file as table code\n"
    "  -dim             Export dim tone\n"
    "  -unflip          Un-flip Y blocks\n"
    "  -xorder          Order bytes by columns instead of rows\n"
    "  -strim           Trim the start\n"
    "  -etrim           Trim the end\n"
    "  -setsymb         Use .set instead of .equ to define symbols\n"
    "Options, symbols naming:\n"
    "  -vprefix IMG\n"
    "  -vsize _SIZE\n"
    "  -vpackets _PACKETS\n"
    "  -vstart _START\n"
    "  -vflag _FLAG\n"
    "  -lprefix img\n"
    "  -ldata _data\n"
)
# What --help prints after the usage text: the options beyond it.
MORE_HELP = (
    "More options:\n"
    "  -c best          Every codec, keeping the smallest output (the first on a tie)\n"
    "  -alpha           Pixels less than half opaque (alpha below 128) are off\n"
    "  -mask            Export the opacity plane (alpha 128 or more) instead of a tone\n"
    "  -pad             Pad the height with off rows to a multiple of 8\n"
    "  -dims            Define <vprefix>_WIDTH and <vprefix>_HEIGHT too\n"
    "  -q               Print nothing on standard output; errors still go to standard error\n"
    "  -maxpixels N     Refuse pictures of more than N pixels, 1 to 2147483647\n"
    "                   (default 268435456, 16384 x 16384), checked from the header\n"
    "  -frames WxH      Cut the picture into frames of W x H pixels, left to right, then\n"
    "                   top to bottom; each is trimmed and compressed on its own\n"
    "  -frames auto     The frame size from the name: hero_16x16.png has 16 x 16 frames\n"
    "  -frames all      Every frame of an animated GIF, page of a TIFF, image of an ICO\n"
    "                   (those as large as the first); -c best: one codec for every\n"
    "                   frame, the smallest in total\n"
    "  -plusmask        Each sprite byte (as -alpha) followed by its mask byte (as -mask)\n"
    "  -luma            Tones from the luminance (Rec. 709) instead of the red component\n"
    "  -levels A,B      Dim from A, full from B (default 128,192; 0 < A <= B <= 255)\n"
    "  -invert          Swap off and full after the tones are decided (dim stays dim)\n"
    "  -dither METHOD   Mix the three tones to show the shades between them: fs\n"
    "                   (Floyd-Steinberg), atkinson, bayer4, bayer8 or none (default)\n"
    "  -planes LIST     The planes full, dim and mask (comma-separated, in this order) in\n"
    "                   one run: IMG_FULL_SIZE, img_full_data, ...; tone planes are off\n"
    "                   where the picture is transparent when a mask is listed\n"
    "  -interleave      With -planes, their bytes side by side in one stream per frame\n"
    "  -ftable          After the frames, <lprefix>_frames: a .dw line per frame naming\n"
    "                   its data label (each plane's), and its size with a codec\n"
    "  -tones C0,C1,C2  Off, dim and full as colours (#rrggbb): each pixel takes the tone of\n"
    "                   the nearest; one warning counts the pixels that are none of them\n"
    "  -tiles [WxH]     Cut the picture into tiles of W x H pixels (8x8 when the next\n"
    "                   argument is no size): each different tile once, in the order\n"
    "                   first seen, in <lprefix>_tiles; their numbers cell by cell in\n"
    "                   <lprefix>_map (.db, or .dw past 256 tiles)\n"
    "  -tileset FILE    With -tiles, the tiles of a source written before first, each\n"
    "                   keeping its number; new tiles after them\n"
    "  -format asm      An assembler source (default)\n"
    "  -format c        A C header: the symbols as #defines, each label an array of bytes,\n"
    "                   the frame table an array of their addresses\n"
    "  -format bin      The bytes alone, of a single stream: no symbols, no labels\n"
    "  -font WxH        A font: cells of W x H pixels in reading order, one glyph each,\n"
    "                   kept from its first lit column to its last; writes IMG_FIRST,\n"
    "                   IMG_GLYPHS, IMG_HEIGHT, img_widths (.db), img_offsets (.dw, and\n"
    "                   the end) and img_glyphs, the glyphs' columns as one stream\n"
    "  -first N         The character code of the first cell, 0 to 255 (default 32)\n"
    "  -fontspace N     Blank columns after each glyph, in its width (default 1)\n"
    "  -spacewidth N    The width of a glyph with no lit pixel (default: half the\n"
    "                   cell's width, rounded down)\n"
    "  @FILE            The words of FILE in its place: white space separates them,\n"
    "                   \"a b\" is one word, # begins a comment; no @FILE inside FILE\n"
    "                   (a file whose name begins with @ is given as ./@name)\n"
)
FONT_NUMBERS = {"first": "first character code", "fontspace": "font spacing",
                "spacewidth": "space width"}

FLAGS = ["dim", "xorder", "unflip", "strim", "etrim", "setsymb"]
# Beyond the classic options: frames and their masks, the padding of a frame
# and the frame's size as symbols.
MORE_FLAGS = ["plusmask", "pad", "dims", "luma", "invert", "interleave", "ftable", "q"]
PLANES = ["full", "dim", "mask"]
NAMES = {"vprefix": "IMG", "vsize": "_SIZE", "vpackets": "_PACKETS", "vstart": "_START",
         "vflag": "_FLAG", "lprefix": "img", "ldata": "_data"}
CODECS = ["raw", "rle", "srle", "frle", "bnp", "bit2xp"]
DITHERS = ["none", "fs", "atkinson", "bayer4", "bayer8"]
TABLE_CODES = ["none", "image", "data", "include"]
FORMATS = ["asm", "c", "bin"]
EXTENSIONS = [".bmp", ".ico", ".jpg", ".jpeg", ".pcx", ".png", ".tga", ".tif", ".tiff", ".gif",
              ".psd"]


class Answer(Exception):
    """--help or --version: `out` on standard output, status 0."""

    def __init__(self, out):
        super().__init__(out)
        self.out = out


class Failure(Exception):
    """Ends the run with status 1 after `err` on standard error."""

    def __init__(self, err):
        super().__init__(err)
        self.err = err


def ascii_lower(text):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


# --- command line ------------------------------------------------------------

def option_file(path):
    """The words of option file `path`, named from the scratch folder (whose
    option_files/ is this folder's). The files that are refused, and why, are
    ParseCommandLine.OptionFiles' to check: a golden case of one disagrees."""
    words = []
    for line in read(os.path.join(HERE, path)).split("\n"):
        line = re.sub(r'^((?:[^"#]|"[^"]*")*)#.*', r"\1", line)  # the comment cut off
        words += [w.replace('"', "") for w in re.findall(r'(?:[^ \t\r\v\f"]|"[^"]*")+', line)]
    return words


def parse(argv):
    """Returns the settings; raises Failure with the parser's whole stderr, or
    Answer for --help and --version."""
    opts = {flag: False for flag in FLAGS + MORE_FLAGS}
    opts.update(NAMES)
    opts.update(codec="raw", tc="none", image="", output="", frames=None, levels=(128, 192),
                dither="none", planes=[], tones=None, tiles=None, tileset="", format="asm",
                font=None, first=32, fontspace=1, spacewidth=None)
    given = set()

    def fail(line):
        raise Failure(line + USAGE)

    def more(i):
        """Puts the words of the option files at argument i in their place;
        whether an argument is left there."""
        while i < len(argv) and argv[i].startswith("@"):
            argv[i:i + 1] = option_file(argv[i][1:])
        return i < len(argv)

    argv = list(argv)
    if not more(0):
        raise Failure(USAGE)

    def fits(text):
        if len(text.encode("utf-8", "surrogateescape")) >= 512:
            fail(f'Error, argument too long "{text}"\n')
        return text

    i = 0
    while more(i):
        arg = argv[i]
        i += 1
        if not arg.startswith("-"):
            if opts["image"] == "":
                opts["image"] = fits(arg)
            elif opts["output"] == "":
                opts["output"] = fits(arg)
            else:
                fail(f'Error, unexpected argument "{arg}"\n')
            continue
        if ascii_lower(arg) == "--help":
            raise Answer(BANNER + USAGE + MORE_HELP)
        if ascii_lower(arg) == "--version":
            raise Answer(BANNER[:-1])
        name = ascii_lower(arg[1:])
        if name in FLAGS + MORE_FLAGS:
            opts[name] = True
            continue
        if name == "tiles":  # its size only when one follows
            size = frame_size(argv[i]) if more(i) else None
            i += size is not None
            opts["tiles"] = size or (8, 8)
            continue
        if name not in ("c", "tc", "frames", "levels", "dither", "planes", "tones",
                        "tileset", "format", "font") and name not in NAMES and \
                name not in FONT_NUMBERS:
            fail(f'Error, unknown option "{arg}"\n')
        if not more(i):
            break
        value = argv[i]
        i += 1
        given.add(name)
        if name == "c":
            if ascii_lower(value) not in CODECS + ["best"]:
                fail(f'Error, unknown compression format "{value}"\n')
            opts["codec"] = ascii_lower(value)
        elif name == "tc":
            if ascii_lower(value) not in TABLE_CODES:
                fail(f'Error, unknown table code "{value}"\n')
            opts["tc"] = ascii_lower(value)
        elif name == "levels":
            match = re.fullmatch(r"([0-9]{1,10}),([0-9]{1,10})", value)
            opts["levels"] = tuple(int(n) for n in match.groups()) if match else (0, 0)
            if not 0 < opts["levels"][0] <= opts["levels"][1] <= 255:
                fail(f'Error, invalid levels "{value}", expected A,B with 0 < A <= B <= 255\n')
        elif name == "planes":
            listed = [ascii_lower(p) for p in value.split(",")]
            if any(p not in PLANES for p in listed) or len(set(listed)) < len(listed):
                fail(f'Error, invalid planes "{value}"\n')
            opts["planes"] = listed
        elif name == "format":
            if ascii_lower(value) not in FORMATS:
                fail(f'Error, unknown output format "{value}"\n')
            opts["format"] = ascii_lower(value)
        elif name == "dither":
            if ascii_lower(value) not in DITHERS:
                fail(f'Error, unknown dither method "{value}"\n')
            opts["dither"] = ascii_lower(value)
        elif name == "tones":
            parts = value.split(",")
            if len(parts) != 3 or not all(re.fullmatch("#?[0-9A-Fa-f]{6}", p) for p in parts):
                fail(f'Error, invalid tones "{value}"\n')
            opts["tones"] = [[int(p[-6:][k:k + 2], 16) for k in (0, 2, 4)] for p in parts]
        elif name == "frames":
            opts["frames"] = ascii_lower(value) if ascii_lower(value) == "auto" else frame_size(value)
            if opts["frames"] is None:
                fail(f'Error, invalid frames "{value}"\n')
        elif name == "font":
            opts["font"] = frame_size(value)
            if opts["font"] is None:
                fail(f'Error, invalid font cell size "{value}"\n')
        elif name in FONT_NUMBERS:
            if not re.fullmatch("[0-9]{1,10}", value) or int(value) > 255:
                fail(f'Error, invalid {FONT_NUMBERS[name]} "{value}"\n')
            opts[name] = int(value)
            opts.setdefault("setting", name)  # the first given, which -font must come with
        else:
            opts[name] = fits(value)
    other = [o for o in ("luma", "levels", "dither") if o in given or o == "luma" and opts[o]]
    if opts["tones"] and other:
        fail(f"Error, -tones and -{other[0]} cannot be given together.\n")
    if opts["image"] == "":
        fail("Error, missing input image filename.\n")
    if opts["output"] == "":
        fail("Error, missing output filename.\n")
    if opts["font"]:
        together = [o for o, on in (("frames", "frames" in given), ("planes", opts["planes"]),
                                    ("plusmask", opts["plusmask"]),
                                    ("interleave", opts["interleave"]),
                                    ("ftable", opts["ftable"]), ("dims", opts["dims"])) if on]
        if together:
            fail(f"Error, -font and -{together[0]} cannot be given together.\n")
        if opts["font"][0] + opts["fontspace"] > 255:
            fail(f"Error, glyphs of {opts['font'][0]} columns and -fontspace {opts['fontspace']} "
                 "would be wider than 255 columns.\n")
    elif "setting" in opts:
        fail(f"Error, -{opts['setting']} needs -font.\n")
    if opts["planes"] and (opts["dim"] or opts["plusmask"]):
        fail(f"Error, -planes and {'-dim' if opts['dim'] else '-plusmask'} cannot be given "
             "together.\n")
    if opts["interleave"] and not opts["planes"]:
        fail("Error, -interleave needs -planes.\n")
    if opts["ftable"] and not opts["frames"]:
        fail("Error, -ftable needs -frames.\n")
    if opts["tileset"] and not opts["tiles"]:
        fail("Error, -tileset needs -tiles.\n")
    if opts["tiles"] and opts["frames"]:
        fail("Error, -tiles and -frames cannot be given together.\n")
    refuse_format(opts, fail)
    if opts["frames"] == "auto":
        base = opts["image"][opts["image"].rfind("/") + 1:]
        stem = base[:base.rfind(".")] if "." in base else base
        opts["frames"] = frame_size(stem[stem.rfind("_") + 1:]) if "_" in stem else None
        if opts["frames"] is None:
            cut = len(opts["image"]) - len(base) + len(stem)
            example = opts["image"][:cut] + "_16x16" + opts["image"][cut:]
            fail('Error, -frames auto needs the frame size in the image file name, as in '
                 f'"{example}"\n')
    if opts["font"] and opts["font"][1] % 8 and not opts["pad"]:
        fail(f"Error, font height {opts['font'][1]} is not a multiple of 8; "
             "give -pad to pad each cell.\n")
    if opts["frames"] and opts["frames"][1] % 8 and not opts["pad"]:
        fail(f"Error, frame height {opts['frames'][1]} is not a multiple of 8; "
             "give -pad to pad each frame.\n")
    if opts["tiles"] and opts["tiles"][1] % 8 and not opts["pad"]:
        fail(f"Error, tile height {opts['tiles'][1]} is not a multiple of 8; "
             "give -pad to pad each tile.\n")
    return opts


def refuse_format(opts, fail):
    """What a C header or the bytes alone cannot hold."""
    form = f"-format {opts['format']}"
    if opts["format"] != "asm" and opts["tc"] != "none":
        fail(f"Error, {form} and -tc {opts['tc']} cannot be given together.\n")
    for key in NAMES if opts["format"] == "c" else []:
        if not re.fullmatch("[A-Za-z0-9_]*", opts[key]) or \
                key in ("vprefix", "lprefix") and opts[key][:1].isdigit():
            fail(f'Error, invalid C name "{opts[key]}"\n')
    if opts["format"] == "bin" and opts["frames"]:
        fail(f"Error, {form} and -frames cannot be given together.\n")
    if opts["format"] == "bin" and opts["tiles"]:
        fail(f"Error, {form} and -tiles cannot be given together.\n")
    if opts["format"] == "bin" and len(opts["planes"]) > 1 and not opts["interleave"]:
        fail(f"Error, {form} with more than one plane needs -interleave.\n")


def frame_size(text):
    """(width, height) of "WxH", each 1 to 2^31 - 1 in decimal digits, else None."""
    match = re.fullmatch(r"([0-9]{1,10})[xX]([0-9]{1,10})", text)
    if not match or not all(0 < int(n) < 2 ** 31 for n in match.groups()):
        return None
    return int(match.group(1)), int(match.group(2))


# --- loading and packing -----------------------------------------------------

def load(name, fixtures, frames=None, cells="frames"):
    """The tone map (rows of levels 0..2) of the picture `name`, and its
    opacity (rows of 0 and 1) with the frames' size checked against it."""
    dot = name.rfind(".")
    if dot < 0:
        raise Failure("Error, no image extension.\n")
    extension = name[dot:]
    if ascii_lower(extension) not in EXTENSIONS:
        raise Failure(f'Error, unsupported image extension "{extension}".\n')
    entry = fixtures.get(name)
    if entry is None or entry.get("fails") == "open":
        raise Failure(f'Error, failed to open image "{name}".\n')
    width, height = entry["width"], entry["height"]
    if frames and (width % frames[0] or height % frames[1]):
        raise Failure(f'Error, image "{name}" is {width}x{height} pixels, not a whole number '
                      f'of {frames[0]}x{frames[1]} {cells}.\n')
    if not frames and height % 8:
        raise Failure("Error, height must be multiple of 8.\n")
    opaque = entry.get("opaque", ["1" * width] * height)
    tones = [[int(c) for c in row] for row in entry["tones"]]
    if "grey16" in entry:  # 16-bit grey: a sample's high byte is its level
        tones = [[0 if v < 128 else 1 if v < 192 else 2 for v in
                  (int(row[i:i + 4], 16) >> 8 for i in range(0, len(row), 4))]
                 for row in entry["grey16"]]
    return tones, [[int(c) for c in row] for row in opaque]


def divided(a, b):
    """a / b truncated toward zero, as the converter divides."""
    return -(-a // b) if a < 0 else a // b


def bayer(n):
    h = n // 2
    return [[0]] if n == 1 else [[4 * bayer(h)[y % h][x % h] + [0, 2, 3, 1][y // h * 2 + x // h]
                                  for x in range(n)] for y in range(n)]


def shade(values, opaque, opts, cut):
    """The tones of one picture or frame from its values: -levels, -dither,
    -invert; with `cut`, transparent pixels are off and pass no error."""
    dim, full = opts["levels"]
    height, width = len(values), len(values[0])

    def curve(v):
        if v < dim:
            return v * 128 // dim
        if v < full:
            return 128 + (v - dim) * 64 // (full - dim)
        return 255 if full == 255 else 192 + (v - full) * 63 // (255 - full)

    method = opts["dither"]
    if method == "none":
        tones = [[0 if v < dim else 1 if v < full else 2 for v in row] for row in values]
    elif method.startswith("bayer"):
        n = int(method[5:])
        matrix = bayer(n)
        tones = [[0] * width for _ in range(height)]
        for y in range(height):
            for x in range(width):
                v, bar = curve(values[y][x]), 2 * matrix[y % n][x % n] + 1
                tones[y][x] = (2 * n * n * v > 128 * bar) if v < 128 else \
                    1 + (2 * n * n * (v - 128) > 127 * bar)
    else:
        tones = [[0] * width for _ in range(height)]
        error = [[0] * width for _ in range(height + 2)]
        for y in range(height):
            d = 1 if y % 2 == 0 else -1
            for x in range(width) if d == 1 else reversed(range(width)):
                if cut and not opaque[y][x]:
                    continue
                want = 16 * curve(values[y][x]) + error[y][x]
                tone = (want >= 1024) + (want >= 3064)
                e = want - [0, 2048, 4080][tone]
                tones[y][x] = tone
                if method == "fs":
                    shares = [(0, d, divided(7 * e, 16)), (1, -d, divided(3 * e, 16)),
                              (1, 0, divided(5 * e, 16))]
                    shares.append((1, d, e - sum(share for _, _, share in shares)))
                else:
                    shares = [(dy, dx, divided(e, 8))
                              for dy, dx in ((0, d), (0, 2 * d), (1, -d), (1, 0), (1, d), (2, 0))]
                for dy, dx, share in shares:
                    if 0 <= x + dx < width:
                        error[y + dy][x + dx] += share
    return [[2 - t if opts["invert"] else t for t in row] for row in tones]


def shaded_tones(entry, opaque, opts):
    """The picture's tones as the tone options make them, each frame on its
    own; a pixel's value is its red component, or its luminance with -luma."""
    pixels = [[[int(text[i + k:i + k + 2], 16) for k in (0, 2, 4)] for i in range(0, len(text), 6)]
              for text in entry["rgb"]]
    values = [[(2126 * r + 7152 * g + 722 * b + 5000) // 10000 if opts["luma"] else r
               for r, g, b in row] for row in pixels]
    height, width = len(values), len(values[0])
    fw, fh = opts["frames"] or opts["tiles"] or (width, height)
    tones = [[0] * width for _ in range(height)]
    for top in range(0, height, fh):
        for left in range(0, width, fw):
            part = shade([row[left:left + fw] for row in values[top:top + fh]],
                         [row[left:left + fw] for row in opaque[top:top + fh]], opts,
                         "mask" in planes_of(opts)[0])
            for y, row in enumerate(part):
                tones[top + y][left:left + fw] = row
    return tones


def colour_tones(entry, opaque, opts):
    """-tones: each pixel the tone of the nearest colour (the lower on a tie),
    then -invert; and the warning on the pixels that are none of them, those
    that -plusmask's opacity cuts aside."""
    tones, strays = [], []
    for y, text in enumerate(entry["rgb"]):
        row = []
        for x in range(len(text) // 6):
            colour = [int(text[6 * x + k:6 * x + k + 2], 16) for k in (0, 2, 4)]
            distances = [sum((a - b) ** 2 for a, b in zip(colour, c)) for c in opts["tones"]]
            row.append(distances.index(min(distances)))
            if min(distances) and (opaque[y][x] or not opts["plusmask"]):
                strays.append((x, y, text[6 * x:6 * x + 6].lower()))
        tones.append([2 - t if opts["invert"] else t for t in row])
    if not strays:
        return tones, ""
    x, y, rgb = strays[0]
    said = (f"is none of the -tones colours; it is at {x},{y}, #{rgb}" if len(strays) == 1 else
            f"are none of the -tones colours; the first, at {x},{y}, is #{rgb}")
    return tones, (f'Warning, {len(strays)} pixel{"s" * (len(strays) > 1)} of "{opts["image"]}" '
                   f"{said}.\n")


def pack(tones, opts, lit=None):
    """Returns (bytes, start). A pixel is lit where `lit(tone, y, x)` says,
    by default where its tone reaches the plane's threshold."""
    height, width = len(tones), len(tones[0])
    blocks = height // 8
    threshold = 1 if opts["dim"] else 2
    lit = lit or (lambda tone, y, x: tone >= threshold)
    out = bytearray(width * blocks)
    for y in range(height):
        stored = (y if opts["unflip"] else height - 1 - y) // 8
        for x in range(width):
            index = stored * width + x if opts["xorder"] else x * blocks + stored
            if not lit(tones[y][x], y, x):
                out[index] |= 0x80 >> (y % 8)
    return trim(bytes(out), opts, 1)


def trim(data, opts, unit):
    """-strim and -etrim, in whole units of `unit` blank bytes; (bytes, start)."""
    start, blank = 0, b"\xff" * unit
    if opts["strim"]:
        while data[start:start + unit] == blank:
            start += unit
        data = data[start:]
    if opts["etrim"]:
        while data and data[-unit:] == blank:
            data = data[:-unit]
    return data, start


def planes_of(opts):
    """The planes made, in order, and whether they are one stream: those of
    -planes; -plusmask's sprite and mask side by side; or the one plane."""
    tone = "dim" if opts["dim"] else "full"
    if opts["planes"]:
        return opts["planes"], opts["interleave"]
    return ([tone, "mask"], True) if opts["plusmask"] else ([tone], True)


def pack_frames(tones, opaque, opts):
    """Each stream of a sheet (the whole picture without -frames) as (bytes,
    start), frame by frame in reading order, and in each frame each plane or
    the planes side by side; and the size of a frame in the plane."""
    height, width = len(tones), len(tones[0])
    fw, fh = opts["frames"] or (width, height)
    padded = fh + (-fh % 8 if opts["pad"] else 0)
    planes, together = planes_of(opts)
    cut = "mask" in planes
    streams = []
    for top in range(0, height, fh):
        for left in range(0, width, fw):
            rows = [row[left:left + fw] for row in tones[top:top + fh]] + [[0] * fw] * (padded - fh)
            alpha = [row[left:left + fw] for row in opaque[top:top + fh]] + [[0] * fw] * (padded - fh)
            lit = {"full": lambda t, y, x: t >= 2 and (alpha[y][x] or not cut),
                   "dim": lambda t, y, x: t >= 1 and (alpha[y][x] or not cut),
                   "mask": lambda t, y, x: alpha[y][x]}
            no_trim = dict(opts, strim=False, etrim=False)
            packed = [pack(rows, no_trim, lit[p])[0] for p in planes]
            if together:
                streams.append(trim(bytes(b for group in zip(*packed) for b in group), opts,
                                    len(planes)))
            else:
                streams += [trim(data, opts, 1) for data in packed]
    return streams, (fw, padded)


# --- codecs: each returns (output bytes, packets, extra symbols) ---------------

def runs(data, cap):
    i = 0
    while i < len(data):
        n = 1
        while i + n < len(data) and n < cap and data[i + n] == data[i]:
            n += 1
        yield data[i], n
        i += n


def flag_of(data):
    free = [v for v in range(1, 255) if v not in set(data)]
    if not free:
        raise Failure("Error, can't find unused byte value in data.\n")
    return free[-1]


def raw(data):
    return bytes(data), 0, []


def rle(data):
    out = bytearray()
    for value, n in runs(data, 255):
        out += bytes((n, value))
    return bytes(out), len(out) // 2, []


def srle(data):
    out, packets = bytearray(), 0
    for value, n in runs(data, 255):
        out += bytes((value, value, n)) if n > 1 else bytes((value,))
        packets += 1
    return bytes(out), packets, []


def frle(data):
    flag = flag_of(data)
    out, packets = bytearray((flag,)), 0
    for value, n in runs(data, 255):
        if n >= 3:
            out += bytes((flag, n, value))
            packets += 1
        else:
            out += bytes((value,)) * n
            packets += n
    return bytes(out), packets, []


def bnp(data):
    flag = flag_of(data)
    tokens, codes = [], []
    i = 0
    while i < len(data):
        value = data[i]
        n = 1
        if value in (0x00, 0xFF):
            while i + n < len(data) and n < 9 and data[i + n] == value:
                n += 1
        if n >= 2:
            tokens.append(None)
            codes.append(2 * (n - 2) + (1 if value == 0 else 0))
        else:
            tokens.append(value)
        i += n
    out, run = bytearray(), 0
    for token in tokens:
        if token is not None:
            out.append(token)
            continue
        out.append(flag)
        if run % 2 == 0:
            high = codes[run + 1] if run + 1 < len(codes) else 0
            out.append(codes[run] | high << 4)
        run += 1
    return bytes(out), len(tokens), [(3, flag)]


def bit2xp(data):
    bits = []
    for value in data:
        if value == 0xFF:
            bits.append(1)
        elif value == 0x00:
            bits += [0, 1]
        else:
            bits += [0, 0] + [(value >> k) & 1 for k in range(8)]
    out = bytearray((len(bits) + 7) // 8)
    for p, bit in enumerate(bits):
        out[p // 8] |= bit << (p % 8)
    return bytes(out), len(data), []


INCLUDES = {"raw": "raw", "rle": "rle", "srle": "srle", "frle": "frle", "bnp": "bnp",
            "bit2xp": "bit2xp"}


# --- writer ------------------------------------------------------------------

# Each of the file's parts as -format spells it: an assembler source, a C
# header, or the bytes alone (as latin-1 text, a character a byte).

def symbol(opts, name, value):
    """(file line, stdout line) of one symbol."""
    directive = "set" if opts["setsymb"] else "equ"
    said = f"Symbol '{name}' set to {value}\n"
    return {"asm": f"\t.{directive} {name} ${value:02X}\n", "c": f"#define {name} 0x{value:02X}\n",
            "bin": ""}[opts["format"]], said


def guard(opts):
    name = re.sub("[^A-Z0-9]", "_", opts["output"].split("/")[-1].upper())
    return "_" + name if name[:1].isdigit() else name


def header(opts):
    """The header comment, with -c best the codec chosen, with -planes the
    planes, and an empty line (and a C header's include guard)."""
    comments = [f"Created by {VERSION}"]
    comments += [f"codec: {opts['codec']}"] if opts.get("best") else []
    if opts["planes"]:
        comments.append("planes: " + ",".join(opts["planes"]) +
                        (" interleaved" if opts["interleave"] else ""))
    if opts["format"] == "c":
        return "".join(f"/* {c} */\n" for c in comments) + \
            f"\n#ifndef {guard(opts)}\n#define {guard(opts)}\n\n"
    return "".join(f"\t; {c}\n" for c in comments) + "\n" if opts["format"] == "asm" else ""


def block(opts, label, code, data):
    """A label's bytes, after the lookup stub or include line `code`."""
    if opts["format"] == "bin":
        return data.decode("latin-1")
    if opts["format"] == "asm":
        return f"{label}:\n{code}" + "".join(
            "\t.db " + ",".join(f"${b:02X}" for b in data[k:k + 16]) + "\n"
            for k in range(0, len(data), 16))
    if not data:
        return f"#define {label} ((const unsigned char *)0)\n"
    return f"static const unsigned char {label}[] = {{\n" + "".join(
        "\t" + "".join(f"0x{b:02X}," for b in data[k:k + 16]) + "\n"
        for k in range(0, len(data), 16)) + "};\n"


def frame_table(opts, label, table):
    """The frame table: each frame's (label, size symbol or None) of each stream."""
    if opts["format"] == "asm":
        return f"{label}:\n" + "".join("\t.dw " + ", ".join(n for pair in row for n in pair if n)
                                       + "\n" for row in table)
    wide = len(table[0]) > 1
    text = f"/* {label}: each frame's data by address"
    text += f", {label}_sizes: their sizes */\n" if table[0][0][1] else " */\n"
    for kind, name, k in [("unsigned char *const", label, 0), ("unsigned long", label + "_sizes", 1)]:
        if table[0][0][k]:
            text += f"static const {kind} {name}[]{f'[{len(table[0])}]' if wide else ''} = {{\n"
            text += "".join("\t" + "{" * wide + ", ".join(p[k] for p in row) + "}" * wide + ",\n"
                            for row in table) + "};\n"
    return text


def best_codec(frames, opts):
    """-c best: each codec's output of every frame, the smallest in total
    kept (the first on a tie); the encodings and the line that says so."""
    results = []
    for codec in CODECS:
        try:
            encoded = [globals()[codec](data) for data, _ in frames]
            results.append((codec, encoded, sum(len(e[0]) for e in encoded)))
        except Failure:
            results.append((codec, None, None))
    chosen = min((r for r in results if r[1] is not None), key=lambda r: r[2])
    opts.update(codec=chosen[0], best=True)
    sizes = ", ".join(f"{c} {'-' if t is None else t}" for c, _, t in results)
    return chosen[1], f"Best codec is {chosen[0]} ({sizes} bytes).\n"


def write(opts, data, packets, start, extra, frame=None, size=None, plane=None, first=True,
          tiles=False):
    """Returns (file text, stdout lines, first data label): a stream's symbols
    and data, frame `frame`'s and plane `plane`'s if given. `size` is the
    picture's, for -dims, written with the `first` stream of a picture."""
    text, out = "", ""
    suffixes = [opts["vsize"], opts["vpackets"], opts["vstart"], opts["vflag"]]
    prefix = opts["vprefix"] + ("" if frame is None else f"_{frame}")
    prefix += "" if plane is None else "_" + plane.upper()
    prefix = opts["vprefix"] + "_TILES" if tiles else prefix
    dims = [] if frame is not None or not opts.get("dims") or not first or tiles else [
        ("_WIDTH", size[0]), ("_HEIGHT", size[1])]
    for kind, value in [(0, len(data)), (1, packets), (2, start)] + extra:
        if kind == 2 and opts["tc"] == "image":
            value += 6
        line, said = symbol(opts, prefix + suffixes[kind], value)
        text, out = text + line, out + said
    for suffix, value in dims:
        line, said = symbol(opts, opts["vprefix"] + suffix, value)
        text, out = text + line, out + said

    number = "" if frame is None else ("" if opts["lprefix"] else "_") + str(frame)
    label = opts["lprefix"] + number + ("" if plane is None else "_" + plane) + opts["ldata"]
    label = opts["lprefix"] + "_tiles" if tiles else label
    if opts["tc"] == "include":
        # the decoder is included once a source
        code = f"\t.include \"tablecode_{INCLUDES[opts['codec']]}.asm\"\n" if first else ""
        out += f"Wrote {len(data)} bytes to '{label}'\n"
        return text + block(opts, label, code, data), out, label
    page = {"none": 256, "image": 250, "data": 252}[opts["tc"]]
    stub = {"none": "", "image": "\tmovp\ta, @a\n\tret\n\t.db 0,0,0,0\n",
            "data": "\tadd\ta, ($+4) & 255\n\tmovp\ta, @a\n\tret\n"}[opts["tc"]]
    index, rest = 0, data
    while True:
        name = f"{label}_{index}" if len(data) > page else label
        chunk = rest[:page]
        out += f"Wrote {len(chunk)} bytes to '{name}'\n"
        text += block(opts, name, stub, chunk)
        rest = rest[page:]
        index += 1
        if not rest:
            return text, out, f"{label}_0" if len(data) > page else label


# --- fonts -------------------------------------------------------------------

def font_glyphs(tones, opts):
    """-font: each cell's lit columns from the first to the last, packed as a
    picture of their own; (widths, offsets and the end, glyph bytes)."""
    fw, fh = opts["font"]
    padded = fh + (-fh % 8 if opts["pad"] else 0)
    threshold = 1 if opts["dim"] else 2
    widths, offsets, data = [], [], b""
    for top in range(0, len(tones), fh):
        for left in range(0, len(tones[0]), fw):
            rows = [row[left:left + fw] for row in tones[top:top + fh]] + [[0] * fw] * (padded - fh)
            lit = [x for x in range(fw) if any(row[x] >= threshold for row in rows)]
            offsets.append(len(data))
            if not lit:
                widths.append(fw // 2 if opts["spacewidth"] is None else opts["spacewidth"])
                continue
            kept = [row[lit[0]:lit[-1] + 1] for row in rows]
            data += pack(kept, dict(opts, strim=False, etrim=False))[0]
            widths.append(len(kept[0]) + opts["fontspace"])
    return widths, offsets + [len(data)], data, padded


def run_font(opts, tones):
    """The console lines, the refusal or the source of a font: (stdout lines
    after "Loaded", stderr, text)."""
    widths, offsets, data, height = font_glyphs(tones, opts)
    if opts["first"] + len(widths) > 256:
        return "", (f"Error, {len(widths)} glyphs from code {opts['first']} go past "
                    "code 255.\n"), None
    out = (f"Font: {len(widths)} glyphs of {opts['font'][0]}x{opts['font'][1]} from code "
           f"{opts['first']}.\nRAW image is {len(data)} bytes.\n")
    data, start = trim(data, opts, 1)
    if opts["codec"] == "best":
        (encoded,), said = best_codec([(data, start)], opts)
        out += said
    else:
        encoded = globals()[opts["codec"]](data)
    text, lines = header(opts), ""
    for suffix, value in (("_FIRST", opts["first"]), ("_GLYPHS", len(widths)), ("_HEIGHT", height)):
        line, said = symbol(opts, opts["vprefix"] + suffix, value)
        text, lines = text + line, lines + said
    text += f"{opts['lprefix']}_widths:\n" + "".join(
        "\t.db " + ",".join(f"${w:02X}" for w in widths[k:k + 16]) + "\n"
        for k in range(0, len(widths), 16))
    text += f"{opts['lprefix']}_offsets:\n" + "".join(
        "\t.dw " + ",".join(f"${o:04X}" for o in offsets[k:k + 8]) + "\n"
        for k in range(0, len(offsets), 8))
    lines += (f"Wrote the widths and offsets of {len(widths)} glyphs to '{opts['lprefix']}_widths' "
              f"and '{opts['lprefix']}_offsets'\n")
    more, said, _ = write(dict(opts, ldata="_glyphs"), encoded[0], encoded[1], start, encoded[2])
    return out + lines + said, "", text + more


# --- one run -----------------------------------------------------------------

def run(argv, fixtures):
    """Returns (stdout, stderr, status, output text or None)."""
    try:
        opts = parse(argv)
    except Answer as answer:
        return answer.out, "", 0, None
    except Failure as failure:
        return BANNER, failure.err, 1, None
    out, warning, said = BANNER, "", []

    def done(stdout, stderr, status, text=None):
        return "" if opts["q"] else stdout, warning + stderr, status, text
    framed = opts["frames"] is not None
    try:
        tones, opaque = load(opts["image"], fixtures,
                             opts["frames"] or opts["tiles"] or opts["font"],
                             "tiles" if opts["tiles"] else "font cells" if opts["font"] else "frames")
        plain = (opts["levels"], opts["dither"], opts["luma"], opts["invert"]) == \
            ((128, 192), "none", False, False)
        if opts["tones"]:
            tones, warning = colour_tones(fixtures[opts["image"]], opaque, opts)
        elif not plain:
            tones = shaded_tones(fixtures[opts["image"]], opaque, opts)
        out += f"Loaded {len(tones[0])}x{len(tones)} image.\n"
        if opts["tiles"]:
            text = tiled(opts, tones, opaque, fixtures, said)
            return done(out + "".join(said) + "Operation completed.\n", "", 0, text)
        if opts["font"]:
            said, err, text = run_font(opts, tones)
            if err:
                return done(out, err, 1)
            return done(out + said + "Operation completed.\n", "", 0, text)
        if framed or opts["plusmask"] or opts["planes"]:
            frames, size = pack_frames(tones, opaque, opts)
        else:
            frames, size = [pack(tones, opts)], (len(tones[0]), len(tones))
        if framed:
            planes, together = planes_of(opts)
            count = len(frames) // (1 if together else len(planes))
            out += f"Frames: {count} of {opts['frames'][0]}x{opts['frames'][1]}.\n"
        out += f"RAW image is {sum(len(data) for data, _ in frames)} bytes.\n"
        if opts["codec"] == "best":
            encoded, said = best_codec(frames, opts)
            out += said
        else:
            encoded = [globals()[opts["codec"]](data) for data, _ in frames]
    except Failure as failure:
        return done(out + "".join(said), failure.err, 1)
    path = opts["output"]
    if path == "adir" or "/" in path and not path.startswith("/dev/"):
        return done(out, f'Error, couldn\'t open "{path}".\n', 1)
    planes, together = planes_of(opts)
    named = [None] if together else planes
    text, lines = header(opts), ""
    if framed:
        head = [("_FRAMES", len(frames) // len(named))]
        head += [("_WIDTH", size[0]), ("_HEIGHT", size[1])] if opts["dims"] else []
        for suffix, value in head:
            line, said = symbol(opts, opts["vprefix"] + suffix, value)
            text, lines = text + line, lines + said
    table = []
    for k, ((data, packets, extra), (_, start)) in enumerate(zip(encoded, frames)):
        frame, plane = k // len(named), named[k % len(named)]
        more, said, label = write(opts, data, packets, start, extra,
                                  frame=frame if framed else None, size=size, plane=plane,
                                  first=k == 0)
        text, lines = text + more, lines + said
        if k % len(named) == 0:
            table.append([])
        prefix = opts["vprefix"] + (f"_{frame}" if framed else "")
        table[-1].append((label, None if opts["codec"] == "raw" else
                          prefix + ("" if plane is None else "_" + plane.upper()) + opts["vsize"]))
    if opts["ftable"]:
        label = opts["lprefix"] + "_frames"
        text += frame_table(opts, label, table)
        lines += f"Wrote a table of {len(table)} frames to '{label}'\n"
    text += f"\n#endif /* {guard(opts)} */\n" if opts["format"] == "c" else ""
    text = text.encode("latin-1") if opts["format"] == "bin" else text
    if path == "/dev/full":
        return done(out + lines, f'Error, couldn\'t write "{path}".\n', 1)
    return done(out + lines + "Operation completed.\n", "", 0, text if path == OUT_NAME else None)


# --- tiles --------------------------------------------------------------------

def cut_tiles(tones, opaque, opts):
    """Each cell's tile in reading order as the tile set holds it (its planes
    side by side, or one after the other), and a tile's size in the plane."""
    planes, together = planes_of(opts)
    streams, size = pack_frames(tones, opaque, dict(opts, frames=opts["tiles"], strim=False,
                                                    etrim=False))
    per = 1 if together else len(planes)
    return [b"".join(data for data, _ in streams[k:k + per])
            for k in range(0, len(streams), per)], size


def tile_kind(opts, size):
    planes = ",".join(opts["planes"]) + (" interleaved" if opts["interleave"] else "")
    return f"{size[0]}x{size[1]}" + (f" of the planes {planes}" if opts["planes"] else "")


def known_tiles(opts, size, fixtures):
    """-tileset: the tiles of the golden case whose source it names, made
    from that case's own picture and options."""
    case = re.fullmatch(r"data/\.\./golden/(\w+)\.asm", opts["tileset"]).group(1)
    theirs = parse([OUT_NAME if a == "@OUT@" else a
                    for a in read(os.path.join(HERE, case + ".args")).split("\n") if a])
    their_tones, their_opaque = load(theirs["image"], fixtures)
    tiles, _, _, their_size = tile_set(theirs, their_tones, their_opaque, fixtures)
    if tile_kind(theirs, their_size) != tile_kind(opts, size):
        raise Failure(f'Error, the tiles of "{opts["tileset"]}" are '
                      f"{tile_kind(theirs, their_size)}, not {tile_kind(opts, size)}.\n")
    return tiles


def tile_set(opts, tones, opaque, fixtures):
    """(the tiles in number order, how many came from -tileset, the map, a
    tile's size): each different tile once, in the order first seen."""
    cells, size = cut_tiles(tones, opaque, opts)
    tiles = known_tiles(opts, size, fixtures) if opts["tileset"] else []
    numbers = {}
    for k, tile in enumerate(tiles):
        numbers.setdefault(tile, k)
    known = len(tiles)
    for tile in cells:
        if tile not in numbers:
            numbers[tile] = len(tiles)
            tiles.append(tile)
    return tiles, known, [numbers[tile] for tile in cells], size


def tiled(opts, tones, opaque, fixtures, said):
    """-tiles: appends the console lines to `said`; returns the source."""
    tiles, known, cells, size = tile_set(opts, tones, opaque, fixtures)
    if len(tiles) > 65536:
        raise Failure("Error, the picture holds more different tiles than a map numbers (65536).\n")
    across, down = len(tones[0]) // opts["tiles"][0], len(tones) // opts["tiles"][1]
    origin = f", {known} of them from '{opts['tileset']}'," if known else ""
    said.append(f"Tiles: {len(tiles)} of {opts['tiles'][0]}x{opts['tiles'][1]}{origin} in a map "
                f"of {across}x{down}.\n")
    planes, together = planes_of(opts)
    data, start = trim(b"".join(tiles), opts, len(planes) if together else 1)
    said.append(f"RAW image is {len(data)} bytes.\n")
    if opts["codec"] == "best":
        (encoded,), line = best_codec([(data, start)], opts)
        said.append(line)
    else:
        encoded = globals()[opts["codec"]](data)
    text = header(dict(opts, best=True))
    head = [("_TILE_COUNT", len(tiles)), ("_TILE_WIDTH", size[0]), ("_TILE_HEIGHT", size[1]),
            ("_MAP_WIDTH", across), ("_MAP_HEIGHT", down)]
    head += [("_WIDTH", size[0] * across), ("_HEIGHT", size[1] * down)] if opts["dims"] else []
    for suffix, value in head:
        line, shown = symbol(opts, opts["vprefix"] + suffix, value)
        text, said[len(said):] = text + line, [shown]
    more, shown, _ = write(opts, *encoded[:2], start, encoded[2], tiles=True)
    said.append(shown)
    words = len(tiles) > 256
    label = opts["lprefix"] + "_map"
    text += more + f"{label}:\n" + "".join(
        ("\t.dw " if words else "\t.db ") +
        ",".join(f"${n:04X}" if words else f"${n:02X}" for n in cells[k:k + 16]) + "\n"
        for k in range(0, len(cells), 16))
    said.append(f"Wrote a map of {across}x{down} tiles to '{label}'\n")
    return text


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def read(path):
    return read_bytes(path).decode("utf-8", "surrogateescape")


def check(name, fixtures):
    """Compares one case with its committed files; returns a list of complaints."""
    base = os.path.join(HERE, name)
    argv = read(base + ".args").split("\n")
    argv = argv[:-1] if argv and argv[-1] == "" else argv
    argv = [OUT_NAME if a == "@OUT@" else a for a in argv]
    stdout, stderr, status, text = run(argv, fixtures)
    complaints = []
    for suffix, want in ((".stdout", stdout), (".stderr", stderr), (".status", f"{status}\n")):
        if read(base + suffix) != want:
            complaints.append(f"{suffix[1:]} differs; the model expects:\n{want}")
    has_asm = os.path.exists(base + ".asm")
    if text is None and has_asm:
        complaints.append("an output file is committed but none must be written")
    elif text is not None and (not has_asm or (read_bytes(base + ".asm") if isinstance(text, bytes)
                                               else read(base + ".asm")) != text):
        complaints.append(f"output file differs; the model expects:\n{text}")
    return complaints


def self_check():
    """The model's own codecs, packer and writer against known results, so that
    a slip in the model cannot bless a wrong golden file."""
    h = bytes.fromhex
    encodings = [
        (rle, "05050507FFFF", "0305010702FF", 3), (rle, "00" * 300, "FF002D00", 2),
        (rle, "AA" * 256, "FFAA01AA", 2),
        (srle, "05050507FFFF", "05050307FFFF02", 3), (srle, "00" * 300, "0000FF00002D", 2),
        (srle, "AA" * 256, "AAAAFFAA", 2), (srle, "AA" * 257, "AAAAFFAAAA02", 2),
        (frle, "05050507FFFF", "FEFE030507FFFF", 4), (frle, "FEFEFEFD01", "FCFC03FEFD01", 3),
        (frle, "09090009090909", "FE090900FE0409", 4), (frle, "AA" * 257, "FEFEFFAAAAAA", 3),
        (frle, "FE" * 256, "FDFDFFFEFE", 2), (frle, "", "FE", 0),
        (bnp, "FFFFFF00000000FEFF0000FFFFFFFFFFFFFFFFFFFFFF00", "FD52FDFEFFFDE1FDFD0000", 8),
        (bnp, "00" * 10, "FE0F00", 2), (bnp, "FF" * 18, "FEEEFE", 2), (bnp, "FE000000", "FEFD03", 2),
        (bnp, "818181", "818181", 3), (bnp, "FE" * 256 + "0000", "FE" * 256 + "FD01", 257),
        (bit2xp, "FF008100", "2550", 4), (bit2xp, "FF" * 9, "FF01", 9), (bit2xp, "00" * 4, "AA", 4),
        (bit2xp, "3C", "F000", 1), (bit2xp, "01", "0400", 1), (bit2xp, "81" * 4, "0412482081", 4),
    ]
    for codec, data, want, packets in encodings:
        got = codec(h(data))[:2]
        assert got == (h(want), packets), (codec.__name__, data, got)
    assert bnp(b"")[2] == [(3, 254)]
    try:
        frle(bytes(range(256)))
        raise AssertionError("a flag was found in data holding every value")
    except Failure:
        pass

    # 3 columns x 16 rows: column 1 full in rows 0 and 15, column 2 dim in rows 8..15.
    tones = [[0, 2 if y in (0, 15) else 0, 0 if y < 8 else 1] for y in range(16)]
    for flags, want, start in [("", "FFFFFE7FFFFF", 0), ("unflip", "FFFF7FFEFFFF", 0),
                               ("xorder", "FFFEFFFF7FFF", 0), ("unflip xorder", "FF7FFFFFFEFF", 0),
                               ("dim", "FFFFFE7F00FF", 0), ("strim", "FE7FFFFF", 2),
                               ("etrim", "FFFFFE7F", 0), ("strim etrim", "FE7F", 2)]:
        opts = {flag: flag in flags.split() for flag in FLAGS}
        assert pack(tones, opts) == (h(want), start), flags

    opts = dict(NAMES, setsymb=False, tc="image", codec="raw", format="asm")
    text, out, _ = write(opts, bytes(300), 0, 0, [])
    assert "img_data_0:\n\tmovp\ta, @a\n\tret\n\t.db 0,0,0,0\n" in text
    assert out.endswith("Wrote 250 bytes to 'img_data_0'\nWrote 50 bytes to 'img_data_1'\n")
    assert "\t.equ IMG_START $06\n" in text
    assert text.count("\t.db $") == 16 + 4


def main(names):
    self_check()
    with open(os.path.join(DATA, "fixtures.json")) as f:
        fixtures = json.load(f)
    if not names:
        names = sorted(n[:-5] for n in os.listdir(HERE) if n.endswith(".args"))
    bad = 0
    for name in names:
        complaints = check(name, fixtures)
        for complaint in complaints:
            print(f"{name}: {complaint}")
        bad += bool(complaints)
    print(f"{len(names) - bad} of {len(names)} golden cases agree with the model")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
