#!/usr/bin/env python3
"""Renders the sample picture and what each tone plane packs to, as PNG files.

The picture is only enlarged. The planes are drawn from the assembler source
that pelmoimage writes for a raw conversion (the full plane by default, the dim
plane with -dim): the .db bytes are read back and unpacked the way the target
reads them, so the images show what the target will display.

    docs/render_planes.py --exe build/pelmoimage

writes docs/sample_large.png, docs/plane_full.png and docs/plane_dim.png.
Only the Python standard library is used.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

# How the target's screen looks: lit pixels bright on a dark glass.
UNLIT = (0x1C, 0x24, 0x1E)
LIT = (0xE8, 0xF4, 0xD0)


# --- PNG reading and writing -------------------------------------------------


def _chunks(data):
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG file")
    pos = 8
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos : pos + 4])
        kind = data[pos + 4 : pos + 8]
        yield kind, data[pos + 8 : pos + 8 + length]
        pos += 12 + length


def _unfilter(raw, width_bytes, height, bpp):
    rows, prev, pos = [], bytearray(width_bytes), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1 : pos + 1 + width_bytes])
        pos += 1 + width_bytes
        for i in range(width_bytes):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
            elif kind != 0:
                raise ValueError("bad PNG filter type %d" % kind)
        rows.append(line)
        prev = line
    return rows


def read_png(path):
    """Returns (width, height, rows of (r, g, b) tuples) of a non-interlaced PNG
    of 8 bits per sample, or of a palette of 1, 2, 4 or 8 bits."""
    with open(path, "rb") as f:
        data = f.read()
    idat, palette = b"", []
    for kind, body in _chunks(data):
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i : i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    if interlace or (depth != 8 and colour != 3):
        raise ValueError("unsupported PNG layout in %s" % path)
    bits = depth * channels
    rows = _unfilter(zlib.decompress(idat), (width * bits + 7) // 8, height, max(1, bits // 8))
    pixels = []
    for line in rows:
        if colour == 3:
            per = 8 // depth
            idx = [(line[x // per] >> (8 - depth * (x % per + 1))) & ((1 << depth) - 1)
                   for x in range(width)]
            pixels.append([palette[i] for i in idx])
        elif colour in (0, 4):
            pixels.append([(line[x * channels],) * 3 for x in range(width)])
        else:
            pixels.append([tuple(line[x * channels : x * channels + 3]) for x in range(width)])
    return width, height, pixels


def write_png(path, rows, palette):
    """Writes rows of palette indices as an 8-bit palette PNG."""
    height, width = len(rows), len(rows[0])

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    with open(path, "wb") as f:
        f.write(PNG_SIGNATURE)
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)))
        f.write(chunk(b"PLTE", b"".join(bytes(c) for c in palette)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def enlarge(rows, scale):
    return [[v for v in row for _ in range(scale)] for row in rows for _ in range(scale)]


# --- Reading the produced source ---------------------------------------------

DB_LINE = re.compile(r"^\t\.db (\$[0-9A-F]{2}(?:,\$[0-9A-F]{2})*)$")
SIZE_LINE = re.compile(r"^\t\.(?:equ|set) IMG_SIZE \$([0-9A-F]+)$")


def read_db_bytes(path):
    """The data bytes of a source file, checked against its size symbol."""
    data, size = bytearray(), None
    with open(path, encoding="ascii") as f:
        for line in f.read().splitlines():
            m = DB_LINE.match(line)
            if m:
                data += bytes(int(v[1:], 16) for v in m.group(1).split(","))
            elif line.startswith("\t.db"):
                raise ValueError("%s: unexpected data line %r" % (path, line))
            m = SIZE_LINE.match(line)
            if m:
                size = int(m.group(1), 16)
    if size != len(data):
        raise ValueError("%s: %s bytes listed, size symbol says %s" % (path, len(data), size))
    return bytes(data)


def unpack_plane(data, width, height):
    """Lit pixels (True) of a packed plane: bytes of eight vertical pixels, top
    row in bit 7, a set bit unlit; column by column, bottom 8-row block first."""
    blocks = height // 8
    if len(data) != width * blocks:
        raise ValueError("%d bytes cannot be a %dx%d picture" % (len(data), width, height))
    lit = [[False] * width for _ in range(height)]
    for x in range(width):
        for s in range(blocks):
            byte = data[x * blocks + s]
            top = (blocks - 1 - s) * 8
            for bit in range(8):
                lit[top + bit][x] = not (byte >> (7 - bit)) & 1
    return lit


def convert(exe, picture, out_path, extra):
    """Runs a raw conversion; returns the picture's (width, height) it reports."""
    result = subprocess.run([exe, *extra, picture, out_path], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("%s failed:\n%s" % (exe, result.stderr))
    m = re.search(r"^Loaded (\d+)x(\d+) image\.$", result.stdout, re.MULTILINE)
    return int(m.group(1)), int(m.group(2))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", default=os.path.join(here, "..", "build", "pelmoimage"))
    parser.add_argument("--picture", default=os.path.join(here, "sample.png"))
    parser.add_argument("--out", default=here, help="folder for the PNG files")
    parser.add_argument("--scale", type=int, default=3)
    args = parser.parse_args()

    width, height, pixels = read_png(args.picture)
    colours = sorted({c for row in pixels for c in row})
    if len(colours) > 256:
        sys.exit("%s has more than 256 colours" % args.picture)
    index = {c: i for i, c in enumerate(colours)}
    write_png(os.path.join(args.out, "sample_large.png"),
              enlarge([[index[c] for c in row] for row in pixels], args.scale), colours)

    with tempfile.TemporaryDirectory() as tmp:
        for name, extra in (("full", []), ("dim", ["-dim"])):
            source = os.path.join(tmp, name + ".asm")
            w, h = convert(args.exe, args.picture, source, ["-c", "raw", *extra])
            lit = unpack_plane(read_db_bytes(source), w, h)
            rows = [[1 if v else 0 for v in row] for row in lit]
            write_png(os.path.join(args.out, "plane_%s.png" % name),
                      enlarge(rows, args.scale), [UNLIT, LIT])


if __name__ == "__main__":
    main()
