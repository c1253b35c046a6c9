#!/usr/bin/python3
"""Writes pictures as the tools people have write them, for the validity tests.

    make_matrix.py OUTDIR SEED SET EXTENSION

SET `valid` writes every variant of EXTENSION (".png", ".tif" ...) from the
Python imaging library, ImageMagick, libtiff's and libjpeg's tools, netpbm and
a few written byte by byte here; SET `damaged` writes damaged and harmless
kin of valid pictures. OUTDIR/manifest.tsv gets one line a picture:

    name  writer  variant  flags  expect

flags: L when the file holds every pixel of its source (NAME.rgba then holds
them as width x height RGBA bytes, top row first), A when it declares an
alpha channel, T a transparent palette entry. expect, for the damaged set:
`valid` for a twin, `refuse` for a file whose data the decoders lose,
`same:NAME` for one that must convert exactly like the valid NAME, and
`alpha-dropped` for a grey and alpha picture whose alpha the image library
drops. The pixels come from SEED and the picture's name.
"""
import io
import os
import random
import shlex
import shutil
import struct
import subprocess
import sys
import zlib

try:
    from PIL import Image
except ImportError:
    sys.exit("missing writer: the Python imaging library (install python3-pil)")

CONVERT = "/usr/bin/convert"  # ImageMagick's own, whatever else PATH finds first
TOOLS = {CONVERT: "imagemagick", "tiffcp": "libtiff-tools", "cjpeg": "libjpeg-turbo-progs",
         "jpegtran": "libjpeg-turbo-progs", "pnmtopng": "netpbm", "pamtotga": "netpbm"}

# Reds on both sides of the tone edges (128 dim, 192 full), alphas of 128;
# and values far from them, for formats that keep 4 or 5 bits of a colour.
REDS = [0, 60, 127, 128, 150, 191, 192, 230, 255]
ALPHAS = [0, 90, 127, 128, 200, 255]
COARSE_REDS = [0, 60, 100, 160, 170, 230, 255]
COARSE_ALPHAS = [0, 60, 200, 255]


class Matrix:
    def __init__(self, out, seed, extension):
        self.out, self.seed, self.extension = out, seed, extension
        self.work = os.path.join(out, "work")
        os.makedirs(self.work, exist_ok=True)
        self.entries = []

    def rng(self, name):
        return random.Random(f"{self.seed}/{name}")

    def wants(self, name):
        return os.path.splitext(name)[1] == self.extension

    def source(self, name, mode, size=None, colours=48, coarse=False):
        """A picture of `mode` in cells of colours drawn from a fixed set."""
        rng = self.rng(name)
        w, h = size or (rng.randint(9, 120), 8 * rng.randint(1, 12))
        alpha = mode in ("RGBA", "LA", "PA")
        reds, alphas = (COARSE_REDS, COARSE_ALPHAS) if coarse else (REDS, ALPHAS)
        pal = [(rng.choice(reds) if i >= len(reds) else reds[i], rng.randrange(256),
                rng.randrange(256), rng.choice(alphas) if alpha else 255)
               for i in range(colours)]
        if alpha:
            pal[0] = pal[0][:3] + (0,)
            pal[1] = pal[1][:3] + (255,)
        cw, ch = rng.randint(1, 6), rng.randint(1, 5)
        cells = {}
        data = []
        for y in range(h):
            for x in range(w):
                key = (x // cw, (y + x // 7) // ch)
                if key not in cells:
                    cells[key] = rng.randrange(len(pal))
                data.append(cells[key])
        if alpha:  # the transparent colour is used, so that writers keep it
            data[0] = 0
        if mode == "1":
            return Image.frombytes("1", (w, h), bytes(255 * (pal[i][0] >= 128) for i in data))
        if mode in ("L", "LA", "I;16"):
            grey = Image.frombytes("L", (w, h), bytes(pal[i][0] for i in data))
            if mode == "I;16":
                return Image.frombytes("I;16", (w, h),
                                       b"".join(struct.pack("<H", 257 * pal[i][0]) for i in data))
            if mode == "L":
                return grey
            a = Image.frombytes("L", (w, h), bytes(pal[i][3] for i in data))
            return Image.merge("LA", (grey, a))
        if mode in ("P", "PA"):
            im = Image.frombytes("P", (w, h), bytes(data))
            im.putpalette([c for p in pal for c in p[:3]])
            if mode == "PA":  # one index transparent, through the palette
                im.info["transparency"] = 0
            return im
        rgba = Image.frombytes("RGBA", (w, h), b"".join(bytes(pal[i]) for i in data))
        return rgba if mode == "RGBA" else rgba.convert(mode)

    def add(self, name, writer, variant, im=None, lossless=True, alpha="", expect="-"):
        flags = ("L" if lossless and im is not None else "") + alpha or "-"
        if "L" in flags:
            ref = im.convert("RGBA") if im.mode != "I;16" else Image.frombytes(
                "L", im.size, bytes(v >> 8 for v in struct.unpack(f"<{im.width * im.height}H",
                                                                  im.tobytes()))).convert("RGBA")
            with open(os.path.join(self.out, name + ".rgba"), "wb") as f:
                f.write(ref.tobytes())
        self.entries.append((name, writer, variant, flags, expect))

    def run(self, command):
        done = subprocess.run(command, shell=True, capture_output=True, cwd=self.work)
        if done.returncode != 0:
            sys.exit(f"writer failed: {command}\n{done.stderr.decode(errors='replace')}")

    def path(self, name):
        return os.path.join(self.out, name)

    def staged(self, im, name, fmt):
        """`im` saved without loss for another tool to read."""
        path = os.path.join(self.work, name + "." + fmt)
        if fmt == "pam":  # netpbm keeps alpha in a PAM made from a PNG
            im.save(path + ".png")
            self.run(f"pngtopam -alphapam {shlex.quote(path + '.png')} > {shlex.quote(path)}")
        else:
            (im.convert("RGB") if im.mode == "P" and fmt == "ppm" else im).save(path)
        return shlex.quote(path)

    # One method a writer: each makes the picture `name` from a source of `mode`.
    def pil(self, name, mode, variant, size=None, lossless=True, colours=48, coarse=False,
            **params):
        if not self.wants(name):
            return
        im = self.source(name, mode, size, colours, coarse)
        im.save(self.path(name), **params)
        self.add(name, "pillow", variant, im, lossless, alpha_of(mode))

    def im(self, name, mode, args, variant, lossless=True, colours=48, size=None, prefix="",
           coarse=False):
        if not self.wants(name):
            return
        im = self.source(name, mode, size, colours, coarse)
        src = self.staged(im, name, "png")
        self.run(f"{CONVERT} {src} {args} {prefix}{shlex.quote(self.path(name))}")
        self.add(name, "imagemagick", variant, im, lossless, alpha_of(mode))

    def pnm(self, name, mode, pipeline, variant, writer="netpbm", lossless=True, colours=48,
            size=None, coarse=False, alpha=None):
        if not self.wants(name):
            return
        im = self.source(name, mode, size, colours, coarse)
        fmt = {"1": "pbm", "L": "pgm", "I;16": "pgm"}.get(mode, "pam" if "A" in mode else "ppm")
        if mode == "I;16":
            src = f"<(pngtopam {self.staged(im, name, 'png')})"
        else:
            src = self.staged(im, name, fmt)
        command = pipeline.format(src=src) + " > " + shlex.quote(self.path(name))
        self.run(f"bash -c {shlex.quote(command)}")
        self.add(name, writer, variant, im, lossless, alpha_of(mode) if alpha is None else alpha)

    def tiffcp(self, name, mode, args, variant, lossless=True, colours=48):
        if not self.wants(name):
            return
        im = self.source(name, mode, None, colours)
        src = self.staged(im, name, "tif")
        self.run(f"tiffcp {args} {src} {shlex.quote(self.path(name))}")
        self.add(name, "libtiff", variant, im, lossless, alpha_of(mode))

    def hand(self, name, mode, variant, write, size=None, lossless=True):
        if not self.wants(name):
            return
        im = self.source(name, mode, size)
        with open(self.path(name), "wb") as f:
            f.write(write(im))
        self.add(name, "hand", variant, im, lossless, alpha_of(mode))


def alpha_of(mode):
    """A for an alpha channel, T for a palette with a transparent index."""
    return {"RGBA": "A", "LA": "A", "PA": "T"}.get(mode, "")


def saved(im, fmt, **params):
    buf = io.BytesIO()
    im.save(buf, fmt, **params)
    return buf.getvalue()


def top_down_bmp(im):
    """Pillow's bottom-up BMP turned top-down: rows reversed, height negative."""
    data = bytearray(saved(im, "BMP"))
    offset, = struct.unpack_from("<I", data, 10)
    width, height, bits = struct.unpack_from("<iiH", data, 18)
    height = abs(height)
    stride = (width * struct.unpack_from("<H", data, 28)[0] + 31) // 32 * 4
    rows = [data[offset + i * stride: offset + (i + 1) * stride] for i in range(height)]
    data[offset:offset + stride * height] = b"".join(reversed(rows))
    struct.pack_into("<i", data, 22, -height)
    return bytes(data)


def raw_pcx(im):
    """An uncompressed (encoding 0) 8-bit palette PCX."""
    w, h = im.size
    line = w + (w & 1)
    head = struct.pack("<4B6H48s2B4H", 10, 5, 0, 8, 0, 0, w - 1, h - 1, 72, 72, b"", 0, 1, line,
                       1, 0, 0).ljust(128, b"\0")
    pixels = b"".join(im.tobytes()[y * w:(y + 1) * w].ljust(line, b"\0") for y in range(h))
    return head + pixels + b"\x0c" + bytes(im.getpalette()[:768]).ljust(768, b"\0")


def tga_map_type(kind, **params):
    """Pillow's palette TGA under another colour map type: 2 to 127 are
    reserved and 128 up the vendor's own, and each still says a map is there."""
    def write(im):
        data = bytearray(saved(im, "TGA", **params))
        data[1] = kind
        return bytes(data)
    return write


def tga_with_map(bits):
    """A true-colour TGA (24 or 16 bits, bottom-up) carrying a colour map of
    four 24-bit entries before its pixels, as the format allows."""
    def write(im):
        w, h = im.size
        rows = [im.tobytes()[y * w * 3:(y + 1) * w * 3] for y in reversed(range(h))]
        if bits == 24:  # blue, green, red
            pixels = b"".join(bytes(row[i:i + 3][::-1]) for row in rows
                              for i in range(0, len(row), 3))
        else:
            pixels = b"".join(struct.pack("<H", (row[i] >> 3) << 10 | (row[i + 1] >> 3) << 5 |
                                          row[i + 2] >> 3)
                              for row in rows for i in range(0, len(row), 3))
        head = struct.pack("<3BHHB4H2B", 0, 1, 2, 0, 4, 24, 0, 0, w, h, bits, 0)
        return head + bytes(range(12)) + pixels
    return write


def tiff_narrow_types(im):
    """Pillow's TIFF with its width and height stored as BYTEs and its rows per
    strip as a signed LONG: integer types the TIFF decoder reads as any other."""
    data = bytearray(saved(im, "TIFF"))
    ifd, = struct.unpack_from("<I", data, 4)
    count, = struct.unpack_from("<H", data, ifd)
    for e in range(count):
        at = ifd + 2 + 12 * e
        tag, kind = struct.unpack_from("<HH", data, at)
        if tag in (256, 257):
            value = struct.unpack_from("<H" if kind == 3 else "<I", data, at + 8)[0]
            struct.pack_into("<HHII", data, at, tag, 1, 1, value)
        elif tag == 278 and kind == 4:
            struct.pack_into("<H", data, at + 2, 9)
    return bytes(data)


def ycbcr_tiff(sub_x, sub_y):
    """Uncompressed YCbCr TIFF subsampled sub_x x sub_y: each block's luma, then
    the chroma of its first pixel."""
    def write(im):
        w, h = im.size
        ycc = im.convert("RGB").convert("YCbCr")
        data = bytearray()
        for by in range(0, h, sub_y):
            for bx in range(0, w, sub_x):
                for dy in range(sub_y):
                    for dx in range(sub_x):
                        data.append(ycc.getpixel((min(bx + dx, w - 1), min(by + dy, h - 1)))[0])
                data += bytes(ycc.getpixel((bx, by))[1:])
        tags = [(256, 4, 1, w), (257, 4, 1, h), (258, 3, 3, None), (259, 3, 1, 1), (262, 3, 1, 6),
                (273, 4, 1, None), (277, 3, 1, 3), (278, 4, 1, h), (279, 4, 1, len(data)),
                (530, 3, 2, sub_x | sub_y << 16)]
        ifd_at, bits_at = 8, 8 + 2 + 12 * len(tags) + 4
        data_at = bits_at + 6
        out = b"II*\0" + struct.pack("<I", ifd_at) + struct.pack("<H", len(tags))
        for tag, kind, count, value in tags:
            value = bits_at if tag == 258 else data_at if tag == 273 else value
            out += struct.pack("<HHII", tag, kind, count, value)
        return out + b"\0\0\0\0" + struct.pack("<HHH", 8, 8, 8) + bytes(data)
    return write


def valid(m):
    # PNG
    for mode, v in [("RGB", "rgb"), ("RGBA", "rgba"), ("L", "grey"), ("LA", "grey+alpha"),
                    ("P", "palette8"), ("PA", "palette+trns"), ("1", "bilevel"),
                    ("I;16", "grey16")]:
        m.pil(f"pil_{v}.png", mode, v)
    m.pil("pil_palette4.png", "P", "palette4", colours=16, bits=4)
    m.pil("pil_rgb_oddh.png", "RGB", "odd height", size=(37, 21))
    m.pil("pil_two_columns.png", "L", "rows of 16 bits, over a million pixels", size=(2, 524296))
    for fmt, mode in [("PNG8", "P"), ("PNG24", "RGB"), ("PNG32", "RGBA"), ("PNG48", "RGB"),
                      ("PNG64", "RGBA")]:
        m.im(f"im_{fmt.lower()}.png", mode, "", fmt, prefix=fmt + ":")
    m.im("im_interlace.png", "RGB", "-interlace PNG", "interlaced")
    m.im("im_palette_interlace.png", "P", "-interlace PNG", "palette interlaced", prefix="PNG8:")
    m.im("im_grey.png", "L", "-type Grayscale", "grey")
    m.im("im_grey16.png", "I;16", "-depth 16", "grey16")
    m.im("im_grey4.png", "L", "-depth 4", "grey4", lossless=False)
    m.im("im_bilevel.png", "1", "-type Bilevel", "bilevel")
    m.im("im_grey_alpha.png", "LA", "-type GrayscaleAlpha", "grey+alpha")
    m.im("im_palette_alpha.png", "PA", "", "palette+trns", prefix="PNG8:")
    m.pnm("pnm_rgb.png", "RGB", "pnmtopng {src}", "rgb")
    m.pnm("pnm_interlace.png", "RGB", "pnmtopng -interlace {src}", "interlaced")
    m.pnm("pnm_grey.png", "L", "pnmtopng {src}", "grey")
    m.pnm("pnm_grey16.png", "I;16", "pnmtopng {src}", "grey16")
    m.pnm("pnm_bilevel.png", "1", "pnmtopng {src}", "bilevel")
    m.pnm("pnm_rgba.png", "RGBA", "pamtopng {src}", "rgba")
    # BMP
    for mode, v in [("1", "1-bit"), ("L", "grey8"), ("P", "palette8"), ("RGB", "rgb24"),
                    ("RGBA", "rgba32")]:
        m.pil(f"pil_{v}.bmp", mode, v)
    m.pil("pil_rgb_oddh.bmp", "RGB", "odd height", size=(50, 30))
    m.im("im_bmp3_rgb.bmp", "RGB", "", "BMP3 rgb24", prefix="BMP3:")
    m.im("im_bmp3_palette.bmp", "P", "-type Palette", "BMP3 palette (RLE8)", prefix="BMP3:")
    m.im("im_bmp3_palette_none.bmp", "P", "-type Palette -compress none",
         "BMP3 palette uncompressed", prefix="BMP3:")
    m.im("im_bmp3_palette4.bmp", "P", "-type Palette -compress none", "BMP3 16 colours",
         colours=16, prefix="BMP3:")
    m.im("im_bmp3_bilevel.bmp", "1", "-type Bilevel", "BMP3 bilevel", prefix="BMP3:")
    m.im("im_bmp_rgb.bmp", "RGB", "", "BMP v5 rgb24")
    m.im("im_bmp_rgba.bmp", "RGBA", "", "BMP v5 rgba32")
    m.im("im_bmp_palette.bmp", "P", "-type Palette", "BMP v5 palette (RLE8)")
    m.im("im_bmp2.bmp", "RGB", "", "BMP2 (OS/2) rgb24", prefix="BMP2:")
    m.im("im_rgb565.bmp", "RGB", "-define bmp:subtype=RGB565", "rgb565", coarse=True)
    m.im("im_argb4444.bmp", "RGBA", "-define bmp:subtype=ARGB4444", "argb4444", coarse=True)
    for bpp, mode in [(24, "RGB"), (8, "RGB"), (4, "RGB"), (1, "1")]:
        m.pnm(f"pnm_bpp{bpp}.bmp", mode, f"ppmtobmp -bpp {bpp} {{src}}", f"{bpp}-bit",
              colours=16 if bpp == 4 else 48)
        if bpp != 1:
            m.pnm(f"pnm_os2_bpp{bpp}.bmp", mode, f"ppmtobmp -os2 -bpp {bpp} {{src}}",
                  f"OS/2 {bpp}-bit", colours=16 if bpp == 4 else 48)
    m.hand("hand_topdown24.bmp", "RGB", "top-down rgb24", top_down_bmp)
    m.hand("hand_topdown8.bmp", "P", "top-down palette8", top_down_bmp)
    # GIF
    m.pil("pil_interlaced.gif", "P", "interlaced (default)")
    m.pil("pil_plain.gif", "P", "not interlaced", interlace=False)
    m.pil("pil_trns.gif", "PA", "transparent index", transparency=0)
    m.pil("pil_grey.gif", "L", "grey")
    m.pil("pil_bilevel.gif", "1", "bilevel")
    m.pil("pil_palette16.gif", "P", "16 colours", colours=16)
    m.pil("pil_oddh.gif", "P", "odd height", size=(40, 13))
    m.im("im_plain.gif", "P", "", "gif")
    m.im("im_interlace.gif", "P", "-interlace GIF", "interlaced")
    m.im("im_trns.gif", "PA", "", "transparent index")
    m.im("im_bilevel.gif", "1", "", "bilevel")
    m.pnm("pnm_ppmtogif.gif", "RGB", "ppmtogif {src}", "ppmtogif")
    m.pnm("pnm_interlace.gif", "RGB", "pamtogif -interlace {src}", "interlaced")
    m.pnm("pnm_nolzw.gif", "RGB", "pamtogif -nolzw {src}", "uncompressed codes")
    m.pnm("pnm_alpha.gif", "PA", "pamtogif {src}", "transparent from alpha")
    m.pnm("pnm_bilevel.gif", "1", "pamtogif {src}", "bilevel")
    # JPEG, both extensions
    for ext in (".jpg", ".jpeg"):
        e = ext[1:]
        m.pil(f"pil_baseline.{e}", "RGB", "baseline", lossless=False, quality=90)
        m.pil(f"pil_progressive.{e}", "RGB", "progressive", lossless=False, progressive=True)
        m.pil(f"pil_grey.{e}", "L", "grey", lossless=False)
        m.pil(f"pil_444.{e}", "RGB", "4:4:4", lossless=False, subsampling=0, quality=95)
        m.pil(f"pil_cmyk.{e}", "CMYK", "cmyk", lossless=False)
        m.pil(f"pil_oddh.{e}", "RGB", "odd height", lossless=False, size=(30, 20))
        for args, v in [("", "baseline"), ("-progressive", "progressive"),
                        ("-arithmetic", "arithmetic"), ("-restart 1", "restart 1 row"),
                        ("-restart 3B", "restart 3 blocks"), ("-optimize", "optimized"),
                        ("-arithmetic -progressive -restart 2", "arithmetic progressive restart"),
                        ("-sample 2x2", "4:2:0")]:
            m.pnm(f"cjpeg_{v.replace(' ', '_')}.{e}", "RGB", f"cjpeg {args} {{src}}", v,
                  writer="libjpeg", lossless=False)
        m.pnm(f"cjpeg_grey.{e}", "L", "cjpeg {src}", "grey", writer="libjpeg", lossless=False)
        for args, v in [("-progressive", "progressive"), ("-arithmetic", "arithmetic"),
                        ("-restart 2", "restart 2 rows"), ("-grayscale", "grey")]:
            m.pnm(f"jpegtran_{v.replace(' ', '_')}.{e}", "RGB",
                  f"cjpeg {{src}} | jpegtran {args}", v, writer="libjpeg", lossless=False)
    m.im("im_progressive.jpg", "RGB", "-interlace JPEG", "progressive", lossless=False)
    m.im("im_420.jpg", "RGB", "-sampling-factor 4:2:0 -quality 60", "4:2:0", lossless=False)
    m.im("im_grey.jpeg", "L", "-type Grayscale", "grey", lossless=False)
    m.im("im_cmyk.jpeg", "RGB", "-colorspace CMYK", "cmyk", lossless=False)
    m.pnm("pnm_baseline.jpg", "RGB", "pnmtojpeg {src}", "baseline", lossless=False)
    m.pnm("pnm_progressive.jpeg", "RGB", "pnmtojpeg -progressive -restart=2 {src}",
          "progressive restart", lossless=False)
    # TIFF, both extensions
    for comp in ["raw", "tiff_lzw", "tiff_deflate", "tiff_adobe_deflate", "packbits"]:
        m.pil(f"pil_{comp}.tif", "RGB", comp, compression=comp)
    m.pil("pil_jpeg.tif", "RGB", "jpeg", lossless=False, compression="jpeg")
    m.pil("pil_group3.tif", "1", "group3", compression="group3")
    m.pil("pil_group4.tiff", "1", "group4", compression="group4")
    m.pil("pil_bilevel.tif", "1", "bilevel, no BitsPerSample")
    m.pil("pil_bilevel64.tiff", "1", "64x64 bilevel, no BitsPerSample", size=(64, 64))
    for mode, v in [("L", "grey"), ("LA", "grey+alpha"), ("RGBA", "rgba"), ("I;16", "grey16"),
                    ("CMYK", "cmyk")]:
        m.pil(f"pil_{v.replace('+', '_')}.tiff", mode, v)
    # Its colour map holds value x 256, which the library reads back one lower
    # from 128 on (128 as 127): reds away from the tone edges.
    m.pil("pil_palette.tiff", "P", "palette", coarse=True)
    m.pil("pil_lzw_rgba.tif", "RGBA", "lzw rgba", compression="tiff_lzw")
    m.pil("pil_oddh.tif", "RGB", "odd height", size=(41, 26))
    for comp in ["None", "LZW", "Zip", "RLE"]:
        m.im(f"im_{comp.lower()}.tif", "RGB", f"-compress {comp}", comp)
    m.im("im_jpeg.tif", "RGB", "-compress JPEG", "JPEG", lossless=False)
    m.im("im_group4.tif", "1", "-compress Group4", "Group4")
    m.im("im_fax.tiff", "1", "-compress Fax", "Fax (group 3)")
    m.im("im_tiles.tiff", "RGB", "-define tiff:tile-geometry=16x16", "tiles 16x16")
    m.im("im_strips.tiff", "RGB", "-define tiff:rows-per-strip=3", "3 rows a strip")
    m.im("im_grey_alpha.tiff", "LA", "", "grey+alpha")
    m.im("im_rgba.tif", "RGBA", "", "rgba")
    m.im("im_rgb48.tif", "RGB", "-depth 16", "rgb48")
    m.im("im_rgba64.tif", "RGBA", "-depth 16", "rgba64")
    m.im("im_grey16.tif", "I;16", "-depth 16", "grey16")
    m.im("im_palette.tif", "P", "-type Palette", "palette")
    m.im("im_msb.tif", "RGB", "-endian MSB", "big-endian")
    m.im("im_planar.tiff", "RGB", "-interlace Plane", "planar separate")
    m.im("im_ycbcr_jpeg.tif", "RGB", "-compress JPEG -sampling-factor 2x2", "YCbCr JPEG 4:2:0",
         lossless=False)
    for args, v in [("-c none", "none"), ("-c lzw", "lzw"), ("-c lzw:2", "lzw predictor"),
                    ("-c zip", "deflate"), ("-c zip:2", "deflate predictor"),
                    ("-c packbits", "packbits"), ("-t -w 16 -l 16", "tiles"),
                    ("-t -w 32 -l 16 -c lzw", "lzw tiles"), ("-s -r 1", "1 row a strip"),
                    ("-p separate", "planar separate"), ("-B", "big-endian"),
                    ("-8", "BigTIFF")]:
        m.tiffcp(f"tiffcp_{v.replace(' ', '_')}.tif", "RGB", args, v)
    m.tiffcp("tiffcp_jpeg.tiff", "RGB", "-c jpeg -r 16", "jpeg, strips of 16 rows",
             lossless=False)  # JPEG strips are whole blocks of 16 rows
    m.tiffcp("tiffcp_g3.tiff", "1", "-c g3", "group3")
    m.tiffcp("tiffcp_g3_2d.tiff", "1", "-c g3:2d", "group3 2-D")
    m.tiffcp("tiffcp_g4.tiff", "1", "-c g4", "group4")
    m.tiffcp("tiffcp_rgba_tiles.tiff", "RGBA", "-t -w 16 -l 16 -c zip", "rgba deflate tiles")
    for args, v, mode in [("", "default", "RGB"), ("-lzw", "lzw", "RGB"),
                          ("-packbits", "packbits", "RGB"), ("-flate", "deflate", "RGB"),
                          ("-lzw -predictor=2", "lzw predictor", "RGB"),
                          ("-rowsperstrip=1", "1 row a strip", "RGB"),
                          ("-color", "palette", "P"), ("", "grey", "L"), ("-g3", "group3", "1"),
                          ("-g4", "group4", "1"), ("-miniswhite", "bilevel min-is-white", "1"),
                          ("-msb2lsb", "fill order lsb", "1")]:
        m.pnm(f"pnm_{v.replace(' ', '_')}.tiff", mode, f"pamtotiff {args} {{src}}", v)
    m.hand("hand_narrow_types.tif", "RGB", "sizes as bytes, rows per strip signed",
           tiff_narrow_types)
    m.hand("hand_ycbcr420.tif", "RGB", "YCbCr 4:2:0 uncompressed", ycbcr_tiff(2, 2),
           lossless=False)
    m.hand("hand_ycbcr422.tiff", "RGB", "YCbCr 4:2:2 uncompressed", ycbcr_tiff(2, 1),
           lossless=False)
    # PCX
    for mode, v in [("1", "1-bit"), ("L", "grey8"), ("P", "palette8"), ("RGB", "rgb24")]:
        m.pil(f"pil_{v}.pcx", mode, v)
    m.pil("pil_rgb_290x40.pcx", "RGB", "rgb24 290x40", size=(290, 40))
    m.pil("pil_oddh.pcx", "P", "odd height", size=(33, 19))
    m.im("im_rgb.pcx", "RGB", "", "rgb24")
    m.im("im_palette.pcx", "P", "-type Palette", "palette8")
    m.im("im_bilevel.pcx", "1", "-type Bilevel", "1-bit")
    m.im("im_grey.pcx", "L", "", "grey")
    m.pnm("pnm_default.pcx", "RGB", "ppmtopcx {src}", "ppmtopcx 48 colours")
    # A width that is not a multiple of 8, where the library misreads the last
    # pixel of each row.
    m.pnm("pnm_planes16.pcx", "RGB", "ppmtopcx {src}", "16 colours in planes", colours=16,
          size=(53, 64))
    m.pnm("pnm_packed16.pcx", "RGB", "ppmtopcx -packed {src}", "16 colours packed", colours=16)
    m.pnm("pnm_8bit.pcx", "RGB", "ppmtopcx -8bit {src}", "8-bit")
    m.pnm("pnm_24bit.pcx", "RGB", "ppmtopcx -24bit {src}", "24-bit")
    m.pnm("pnm_bilevel.pcx", "1", "ppmtopcx {src}", "1-bit")
    m.hand("hand_raw8.pcx", "P", "uncompressed 8-bit", raw_pcx)
    # TGA
    for mode, v in [("RGB", "rgb"), ("RGBA", "rgba"), ("L", "grey"), ("P", "palette")]:
        m.pil(f"pil_{v}.tga", mode, v)
        m.pil(f"pil_rle_{v}.tga", mode, "rle " + v, compression="tga_rle")
    m.hand("hand_maptype2.tga", "P", "colour map type 2", tga_map_type(2))
    m.hand("hand_maptype128_rle.tga", "P", "colour map type 128, rle",
           tga_map_type(128, compression="tga_rle"))
    m.hand("hand_rgb_map.tga", "RGB", "24-bit after a colour map", tga_with_map(24))
    m.hand("hand_rgb16_map.tga", "RGB", "16-bit after a colour map", tga_with_map(16),
           lossless=False)
    m.pil("pil_topleft.tga", "RGB", "top-left origin", orientation=1)
    m.pil("pil_oddh.tga", "RGB", "odd height", size=(20, 12))
    # ImageMagick 6 stores the top row first under a bottom-left origin: every
    # reader shows its TGA upside down, so the source's pixels are not the file's.
    m.im("im_rgb.tga", "RGB", "-compress None", "rgb", lossless=False)
    m.im("im_rle.tga", "RGB", "-compress RLE", "rle", lossless=False)
    m.im("im_rgba.tga", "RGBA", "", "rgba", lossless=False)
    m.im("im_grey.tga", "L", "-type Grayscale", "grey", lossless=False)
    m.im("im_palette.tga", "P", "-type Palette", "palette", lossless=False)
    for args, v, mode in [("-rgb", "rgb rle", "RGB"), ("-rgb -norle", "rgb", "RGB"),
                          ("-cmap", "colour map", "RGB"), ("-cmap -norle", "colour map raw", "RGB"),
                          ("-cmap16", "15-bit colour map", "RGB"),
                          ("-cmap16 -norle", "15-bit colour map raw", "RGB"),
                          ("-mono", "grey", "L"), ("", "rgba", "RGBA")]:
        m.pnm(f"pnm_{v.replace(' ', '_')}.tga", mode, f"pamtotga {args} {{src}}", v,
              coarse="16" in args)
    # ICO
    for s in (16, 24, 32, 48, 64, 256):
        m.pil(f"pil_bmp_rgba{s}.ico", "RGBA", f"bmp entry rgba {s}", size=(s, s), sizes=[(s, s)],
              bitmap_format="bmp")
    for s in (16, 24, 48):
        m.pil(f"pil_bmp_rgb{s}.ico", "RGB", f"bmp entry rgb {s}", size=(s, s), sizes=[(s, s)],
              bitmap_format="bmp")
    m.pil("pil_bmp_p32.ico", "P", "bmp entry palette 32", size=(32, 32), sizes=[(32, 32)],
          bitmap_format="bmp")
    m.pil("pil_bmp_multi.ico", "RGBA", "bmp entries 16..64", size=(64, 64), bitmap_format="bmp",
          sizes=[(16, 16), (32, 32), (64, 64)], lossless=False)
    for s in (32, 256):
        m.pil(f"pil_png{s}.ico", "RGBA", f"png entry {s}", size=(s, s), sizes=[(s, s)])
    m.im("im_rgba32.ico", "RGBA", "", "rgba 32", size=(32, 32))
    m.im("im_rgb48.ico", "RGB", "", "rgb 48", size=(48, 48))
    m.im("im_rgba256.ico", "RGBA", "", "rgba 256", size=(256, 256))
    m.pnm("pnm_rgba32.ico", "RGBA", "pamtowinicon {src}", "rgba 32", size=(32, 32))
    m.pnm("pnm_rgb24.ico", "RGB", "pamtowinicon {src}", "rgb 24", size=(24, 24))
    # Its PNG entry is a palette with a transparent entry for each alpha.
    m.pnm("pnm_png64.ico", "RGBA", "pamtowinicon -pngthreshold=32 {src}", "png entry 64",
          size=(64, 64), alpha="T")
    # PSD: ImageMagick alone writes it
    for mode, args, v in [("RGB", "", "rgb"), ("RGBA", "", "rgba"), ("L", "", "grey"),
                          ("LA", "", "grey+alpha"), ("P", "-type Palette", "indexed"),
                          ("1", "-type Bilevel", "bilevel"), ("RGB", "-depth 16", "rgb48"),
                          ("RGB", "-compress None", "rgb raw"),
                          ("RGB", "-compress RLE", "rgb rle")]:
        m.im(f"im_{v.replace(' ', '_').replace('+', '_')}.psd", mode, args, v)
    m.im("im_cmyk.psd", "RGB", "-colorspace CMYK", "cmyk", lossless=False)
    m.im("im_oddh.psd", "RGB", "", "odd height", size=(45, 30))
    # A valid file with bytes after its end.
    first, _, _, flags, _ = m.entries[0]
    name = "hand_trailing" + m.extension
    with open(m.path(first), "rb") as f:
        body = f.read()
    with open(m.path(name), "wb") as f:
        f.write(body + bytes(m.rng(name).randrange(256) for _ in range(100)))
    if "L" in flags:
        shutil.copy(m.path(first + ".rgba"), m.path(name + ".rgba"))
    m.entries.append((name, "hand", "100 bytes after " + first, flags, "-"))

def chunks(png):
    """A PNG's chunks as (type, data) after its signature."""
    at, out = 8, []
    while at < len(png):
        size, = struct.unpack_from(">I", png, at)
        out.append((png[at + 4:at + 8], png[at + 8:at + 8 + size]))
        at += 12 + size
    return out


def chunk(kind, data, crc=None):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(
        ">I", zlib.crc32(kind + data) if crc is None else crc)


def spoiled(data, fails):
    """`data` with 8 bytes overwritten from the middle on: the first place
    where `fails` says a decoder stops on them."""
    for at in range(len(data) // 2, len(data) - 8):
        bad = data[:at] + b"\xff" * 8 + data[at + 8:]
        if fails(bad):
            return bad
    sys.exit("no damage that the decoder notices")


def inflate_fails(size):
    def fails(data):
        try:
            return len(zlib.decompressobj().decompress(data, size)) < size
        except zlib.error:
            return True
    return fails


def strip(tif):
    """Offset and length of the first strip of a little-endian TIFF."""
    ifd, = struct.unpack_from("<I", tif, 4)
    count, = struct.unpack_from("<H", tif, ifd)
    tags = {}
    for i in range(count):
        tag, kind, n, value = struct.unpack_from("<HHII", tif, ifd + 2 + 12 * i)
        tags[tag] = value if kind == 4 or n > 1 else value & 0xFFFF
    return tags[273], tags[279]


def gif_parts(gif):
    """A GIF up to its first image's LZW data, and that data without its
    sub-block lengths."""
    at = 13 + (3 << ((gif[10] & 7) + 1) if gif[10] & 0x80 else 0)
    while gif[at] == 0x21:  # extensions: label, then sub-blocks
        at += 2
        while gif[at]:
            at += gif[at] + 1
        at += 1
    at += 10 + (3 << ((gif[at + 9] & 7) + 1) if gif[at + 9] & 0x80 else 0)
    head, at = gif[:at + 1], at + 1
    data = b""
    while gif[at]:
        data += gif[at + 1:at + 1 + gif[at]]
        at += gif[at] + 1
    return head, data


def gif_joined(head, data):
    """The GIF of `head` and LZW `data` in sub-blocks, the terminator, the trailer."""
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    return head + blocks + b"\0;"


def pillow_reads(data):
    try:
        Image.open(io.BytesIO(data)).load()
        return True
    except (OSError, SyntaxError):
        return False


def jpeg_scans(jpeg):
    """Where each scan's entropy-coded data starts and ends."""
    scans, at = [], jpeg.find(b"\xff\xda")
    while at >= 0:
        start = end = at + 2 + struct.unpack_from(">H", jpeg, at + 2)[0]
        while jpeg[end] != 0xFF or jpeg[end + 1] == 0 or 0xD0 <= jpeg[end + 1] <= 0xD7:
            end += 1
        scans.append((start, end))
        at = jpeg.find(b"\xff\xda", end)
    return scans


def damaged(m):
    """Each damaged file from its valid twin, which comes first; files with
    harmless faults convert exactly like their twin."""
    def put(name, data, expect, variant, writer="pillow"):
        if m.wants(name):
            with open(m.path(name), "wb") as f:
                f.write(data)
            m.add(name, writer, variant, expect=expect)

    im = m.source("twin", "RGB", size=(96, 64))
    png = saved(im, "PNG")
    put("ok_plain.png", png, "valid", "the twin")
    parts = chunks(png)
    idat = b"".join(d for k, d in parts if k == b"IDAT")
    raw = (im.width * 3 + 1) * im.height
    rest = [(k, d) for k, d in parts if k not in (b"IDAT", b"IEND")]
    def rebuilt(data, extra=b""):
        return png[:8] + b"".join(chunk(k, d) for k, d in rest) + extra + chunk(
            b"IDAT", data) + chunk(b"IEND", b"")
    put("dmg_idat.png", rebuilt(spoiled(idat, inflate_fails(raw))), "refuse",
        "IDAT data damaged, CRC right")
    put("dmg_idat_half.png", rebuilt(idat[:len(idat) // 2]), "refuse", "IDAT data cut to half")
    text = chunk(b"tEXt", b"Comment\0harmless", crc=0)
    put("ok_text_crc.png", rebuilt(idat, text), "same:ok_plain.png", "tEXt chunk with a bad CRC")
    put("ok_trailing.png", png + b"\0" * 13 + b"trailing", "same:ok_plain.png",
        "bytes after IEND")

    jpeg = saved(im, "JPEG", quality=90)
    put("ok_plain.jpg", jpeg, "valid", "the twin")
    start, end = jpeg_scans(jpeg)[0]
    put("dmg_quarter.jpg", jpeg[:start + (end - start) // 4] + b"\xff\xd9", "refuse",
        "scan data cut to a quarter, then the end marker")
    put("dmg_truncated.jpg", jpeg[:len(jpeg) // 2], "refuse", "cut to half, no end marker")
    progressive = saved(im, "JPEG", progressive=True)
    start, end = max(jpeg_scans(progressive), key=lambda scan: scan[1] - scan[0])
    put("dmg_progressive.jpg", progressive[:(start + end) // 2] + b"\xff\xd9", "refuse",
        "progressive, its longest scan cut in half, then the end marker")
    app0 = 4 + struct.unpack_from(">H", jpeg, 4)[0]
    put("ok_stray.jpg", jpeg[:app0] + b"\x00\x11\x22" + jpeg[app0:], "same:ok_plain.jpg",
        "stray bytes before a marker")
    put("ok_trailing.jpg", jpeg + b"trailing", "same:ok_plain.jpg", "bytes after the end marker")
    put("ok_restart.jpg", jpeg[:app0] + b"\xff\xd0" + jpeg[app0:], "same:ok_plain.jpg",
        "a marker without a length before the frame header")
    put("dmg_stray_cut.jpg", (jpeg[:app0] + b"\x00\x11\x22" + jpeg[app0:])[:len(jpeg) // 2],
        "refuse", "stray bytes before a marker (a harmless warning first), then cut to half")

    plain = saved(im, "TIFF")
    put("ok_plain.tif", plain, "valid", "the twin")
    from PIL import TiffImagePlugin
    tags = TiffImagePlugin.ImageFileDirectory_v2()
    tags[65000], tags[65001] = "private", 7
    put("ok_private_tags.tif", saved(im, "TIFF", tiffinfo=tags), "same:ok_plain.tif",
        "unknown private tags")
    small = m.source("small", "RGB", size=(24, 16))
    for comp, v in [("tiff_deflate", "deflate"), ("tiff_lzw", "lzw")]:
        tif = saved(small if v == "lzw" else im, "TIFF", compression=comp)
        at, size = strip(tif)
        fails = inflate_fails(len(im.tobytes())) if v == "deflate" else lambda data: True
        bad = spoiled(tif[at:at + size], fails)
        put(f"dmg_{v}.tif", tif[:at] + bad + tif[at + size:], "refuse",
            f"{v} strip damaged")
    tif = saved(im, "TIFF", compression="jpeg")
    at, size = strip(tif)
    put("dmg_jpeg.tif", tif[:at] + tif[at:at + size // 3] + b"\0" * (size - size // 3) +
        tif[at + size:], "refuse", "JPEG strip zeroed from a third on")
    tif = saved(im, "TIFF", compression="packbits")
    at, size = strip(tif)
    counts = tif.index(struct.pack("<HHII", 279, 4, 1, size))
    put("dmg_packbits_short.tif", tif[:counts + 8] + struct.pack("<I", size // 2) +
        tif[counts + 12:], "refuse", "packbits strip declared half its length")
    if m.wants("dmg_group3.tif"):
        dithered = m.source("fax", "RGB", size=(96, 64)).convert("1")
        fax = saved(dithered, "TIFF", compression="group3")
        at, size = strip(fax)

        def warns(data):  # decoded to the end, a line of the wrong length only warned of
            path = os.path.join(m.work, "fax.tif")
            with open(path, "wb") as f:
                f.write(fax[:at] + data + fax[at + size:])
            done = subprocess.run(["tiffcp", "-c", "none", path, path + ".out"],
                                  capture_output=True)
            return done.returncode == 0 and b"Line length mismatch" in done.stderr
        put("dmg_group3.tif", fax[:at] + spoiled(fax[at:at + size], warns) + fax[at + size:],
            "refuse", "group 3 fax strip damaged: a line of the wrong length, warned of")

    gif = saved(im.quantize(48), "GIF", interlace=False)
    put("ok_plain.gif", gif, "valid", "the twin")
    head, data = gif_parts(gif)
    put("dmg_third.gif", gif_joined(head, data[:len(data) // 3]), "refuse",
        "LZW data cut to a third, blocks and trailer kept")
    put("dmg_codes.gif", gif_joined(head, spoiled(data, lambda bad: not pillow_reads(
        gif_joined(head, bad)))), "refuse", "LZW codes overwritten, blocks and trailer kept")
    head, data = gif_parts(saved(im.quantize(48), "GIF"))
    put("dmg_third_interlaced.gif", gif_joined(head, data[:len(data) // 3]), "refuse",
        "interlaced, LZW data cut to a third")

    # Duotone and an extra channel, raw: the image library reads the tone alone.
    tone = m.source("duotone", "L", size=(40, 24)).tobytes()
    put("duotone_alpha.psd", b"8BPS" + struct.pack(">H6xHIIHH", 1, 2, 24, 40, 8, 8) + bytes(14) +
        tone + tone[::-1], "alpha-dropped", "duotone and an extra channel", writer="hand")

    # Grey and alpha as ImageMagick writes them from a grey and alpha PNG.
    grey = m.staged(m.source("grey+alpha", "LA", size=(40, 24)), "grey+alpha", "png")
    for ext in (".tif", ".psd"):
        name = "grey_alpha" + ext
        if m.wants(name):
            m.run(f"{CONVERT} {grey} {shlex.quote(m.path(name))}")
            m.add(name, "imagemagick", "grey+alpha", expect="alpha-dropped")


def main():
    if len(sys.argv) != 5 or sys.argv[3] not in ("valid", "damaged"):
        sys.exit(__doc__)
    out, seed, which, extension = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
    for tool, package in TOOLS.items():
        if shutil.which(tool) is None:
            sys.exit(f"missing writer: {tool} (install {package})")
    m = Matrix(out, seed, extension)
    (valid if which == "valid" else damaged)(m)
    shutil.rmtree(m.work)
    with open(os.path.join(out, "manifest.tsv"), "w") as f:
        f.writelines("\t".join(entry) + "\n" for entry in m.entries)


if __name__ == "__main__":
    main()
