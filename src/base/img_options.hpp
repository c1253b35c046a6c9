// The settings of one conversion, which every stage that needs them copies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/limits.hpp"

namespace pelmo {

// Values selected with -c; the keyword, class and include file of each live
// in the codec table (codec/codec_table.hpp).
enum class ImgCodecKind : std::int32_t {
    Raw = 0,
    Rle = 1,
    Srle = 2,
    Frle = 3,
    Bnp = 4,
    Bit2xp = 5
};

// Values selected with -dither: none, error diffusion (Floyd-Steinberg,
// Atkinson) or ordered dithering with a 4 x 4 or 8 x 8 Bayer matrix.
enum class DitherMethod : std::uint8_t { None, FloydSteinberg, Atkinson, Bayer4, Bayer8 };

// The planes -planes names: the full plane (full pixels lit), the dim plane
// (dim and full pixels lit) and the mask (opaque pixels lit).
enum class PlaneKind : std::uint8_t { Full, Dim, Mask };

// Values selected with -tc.
enum class TableCodeMode : std::int32_t { None = 0, Image = 1, Data = 2, Include = 3 };

// Values selected with -format: an assembler source, a C header, or the
// bytes of the one stream alone.
enum class OutputFormat : std::uint8_t { Asm, C, Bin };

// The seven naming strings, addressed by index in this order.
enum class SymbolName : std::size_t {
    vprefix = 0,
    vsize,
    vpackets,
    vstart,
    vflag,
    lprefix,
    ldata,
};
inline constexpr std::size_t kSymbolNameCount = 7;

// A name or value must fit a 512-byte text field with its terminating NUL.
inline constexpr std::size_t kTextFieldSize = 512;

// Every conversion option. Each stage that needs options keeps its own copy.
struct ImgOptions {
    bool dim = false;      // -dim: pack the dim plane instead of the full plane
    bool unflip = false;   // -unflip: store 8-row blocks top first
    bool xorder = false;   // -xorder: lay bytes out block by block
    bool strim = false;    // -strim: trim leading blank bytes into the start count
    bool etrim = false;    // -etrim: trim trailing blank bytes
    bool setsymb = false;  // -setsymb: ".set" instead of ".equ"
    TableCodeMode tc = TableCodeMode::None;   // -tc
    OutputFormat format = OutputFormat::Asm;  // -format
    // -vprefix -vsize -vpackets -vstart -vflag -lprefix -ldata, in SymbolName order.
    std::array<std::string, kSymbolNameCount> names{"IMG",   "_SIZE", "_PACKETS", "_START",
                                                    "_FLAG", "img",   "_data"};
    std::uint64_t maxPixels = kDefaultPixelLimit;  // -maxpixels: larger pictures are refused
    bool alpha = false;  // -alpha: pixels less than half opaque are off in every plane
    bool mask = false;   // -mask: the opacity plane instead of a tone plane
    bool pad = false;    // -pad: off rows at the bottom up to a multiple of 8
    bool dims = false;   // -dims: the picture's width and height as two more symbols
    bool quiet = false;  // -q: nothing on standard output
    // -frames WxH (or auto, from the file name): the picture cut into frames
    // of this size, each packed, trimmed and compressed on its own; 0 x 0
    // without. -frames all: every frame of the file, each as large as the
    // first.
    std::uint32_t frameWidth = 0;
    std::uint32_t frameHeight = 0;
    bool allFrames = false;
    // -tiles WxH: the picture cut as -frames cuts it, into tiles of
    // frameWidth x frameHeight; identical tiles are kept once, and a map
    // names the tile of every cell.
    bool tiles = false;
    bool plusmask = false;  // -plusmask: each sprite byte followed by its mask byte
    // -planes: the planes written, in this order (planeCount of them; none
    // without -planes: the one plane that -dim or -mask choose, or the two
    // of -plusmask); -interleave: their bytes side by side in one stream.
    std::array<PlaneKind, 3> planes{};
    std::uint8_t planeCount = 0;
    bool interleave = false;
    bool ftable = false;  // -ftable: a table of the frames' labels after them
    // -font WxH: the picture a sheet of glyph cells, cut as -frames cuts
    // frames (frameWidth x frameHeight hold the cell's size), each glyph kept
    // from its first lit column to its last; -first: the character code of
    // the first cell; -fontspace: blank columns after each glyph's;
    // -spacewidth: the width of a glyph with no lit pixel (half the cell's
    // width, rounded down, when not given).
    bool font = false;
    std::uint32_t fontFirst = 32;
    std::uint32_t fontSpace = 1;
    std::optional<std::uint32_t> spaceWidth;
    // How a pixel's tone is decided (see tones/tone_rows.hpp): by its red
    // component, or its luminance with -luma; off below `dimFrom`, full from
    // `fullFrom` (-levels); off and full swapped with -invert; dithered with
    // -dither.
    bool luma = false;
    std::uint8_t dimFrom = 128;
    std::uint8_t fullFrom = 192;
    bool invert = false;
    DitherMethod dither = DitherMethod::None;
    // -tones: each pixel takes the tone of the nearest of these colours
    // (0xRRGGBB: off, dim, full) instead of its value's.
    bool colourTones = false;
    std::array<std::uint32_t, 3> toneColours{};

    // True when the tones are the red component's at the usual levels.
    bool PlainTones() const {
        return !luma && dimFrom == 128 && fullFrom == 192 && !invert &&
               dither == DitherMethod::None && !colourTones;
    }

    bool Frames() const { return (frameWidth != 0 && !tiles && !font) || allFrames; }
    std::uint32_t SpaceWidth() const { return spaceWidth.value_or(frameWidth / 2); }

    const std::string& Name(SymbolName n) const { return names[static_cast<std::size_t>(n)]; }
    std::string& Name(SymbolName n) { return names[static_cast<std::size_t>(n)]; }
};

}  // namespace pelmo
