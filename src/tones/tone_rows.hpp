// The rows of a decoded bitmap as bits of the plane, through the tones that
// -luma, -levels, -invert, -dither and -tones decide (BitmapRows reads the
// plain red tones, faster).
//
// Each pixel has a value from 0 to 255: its red component, or with -luma its
// luminance (2126 R + 7152 G + 722 B + 5000) / 10000, in integers. Without
// dithering it is off below the dim level A (128), dim below the full level B
// (192) and full from there (-levels A,B). With dithering the three tones are
// mixed so that the mean of their display levels (off 0, dim 128, full 255,
// as the renderer draws them) follows the value; the value is first moved by
// the curve that takes A to 128 and B to 192 (linear between 0, A, B and 255,
// so the usual levels change nothing):
//
//   - error diffusion (fs, atkinson) runs along each row from the left, the
//     next row from the right, and so on (serpentine); a pixel takes the tone
//     whose level is nearest its value plus the error that reached it (in
//     sixteenths: off below 64, dim below 191.5, full from there), and passes
//     the error on: Floyd-Steinberg 7/16 ahead, 3/16 behind below, 5/16 below
//     and the rest ahead below; Atkinson 1/8 to each of two pixels ahead, one
//     behind below, one below, one ahead below and one two rows below,
//     dropping the last quarter. Every share is an integer of sixteenths,
//     divided with truncation toward zero: the same bytes on every machine.
//   - ordered dithering (bayer4, bayer8) compares the value with an N x N
//     Bayer matrix laid from the top left: entry m (0 to N * N - 1) makes a
//     pixel below 128 dim when 2 N N v > 128 (2m + 1), and one from 128 on
//     full when 2 N N (v - 128) > 127 (2m + 1).
//
// With -tones a pixel takes instead the tone of the nearest of its three
// colours (the least sum of the squares of the differences of red, green and
// blue), the lower tone on a tie; the pixels that are none of them exactly
// are counted, those that -alpha makes off aside.
//
// -invert then swaps off and full, and with -alpha (and the sprite of
// -plusmask) a pixel less than half opaque is off, takes no part in the
// dithering and passes no error on. With -frames each frame is dithered on
// its own, as a picture of its own: the matrix from its top left, the error
// kept within it.
#pragma once

#include <FreeImage.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/img_options.hpp"
#include "tones/bitmap_rows.hpp"
#include "tones/pixel_layout.hpp"
#include "tones/stray_pixels.hpp"

namespace pelmo {

class ToneRows {
  public:
    // A reader of `bitmap`, which must be one BitmapRows reads (directly, or
    // its 32-bit copy), for the plane `options` choose, opacity cut or
    // ignored as `alpha` says (not AlphaRule::Only). The picture's rows come
    // in bands of `band` rows (the whole picture; a row of frames with
    // -frames), and a band's columns in frames of options.frameWidth (the
    // whole width without -frames).
    ToneRows(FIBITMAP* bitmap, const ImgOptions& options, AlphaRule alpha, std::uint32_t band);

    // The bits of picture row `y` as BitmapRows::Read gives them. Each band's
    // rows are read in order, from its first.
    void Read(std::uint32_t y, std::uint8_t* bits);

    // -tones: the pixels of the rows read so far that are none of its colours.
    const StrayPixels& Strays() const { return strays_; }

  private:
    void ReadValues(const BYTE* line, std::uint32_t y);
    void ReadColours(const BYTE* line, std::uint32_t y);
    template <typename ColourAt>
    void ColourTones(std::uint32_t y, const ColourAt& colourAt);
    template <DitherMethod kMethod, bool kCut>
    void Diffuse(std::uint32_t row);
    void Order(std::uint32_t row);

    FIBITMAP* bitmap_;
    PixelLayout layout_ = PixelLayout::Rgb32;
    std::uint32_t width_;
    std::uint32_t height_;
    std::uint32_t band_;
    std::uint32_t frameWidth_;
    DitherMethod dither_;
    bool luma_;
    bool byColour_;  // -tones
    std::array<std::uint32_t, 3> colours_;
    // 1 for each tone that leaves a pixel of the plane unlit: below the
    // plane's (full, or dim with -dim), after -invert.
    std::array<std::uint8_t, 3> unlit_{};
    // The tone of each value without dithering, and the value after the
    // levels' curve with it.
    std::array<std::uint8_t, 256> toneOf_{};
    std::array<std::uint8_t, 256> curve_{};
    std::array<std::uint8_t, 256> paletteValue_{};    // for palette bitmaps
    std::array<std::uint32_t, 256> paletteColour_{};  // the same, 0xRRGGBB, for -tones
    StrayPixels strays_;
    // The opacity of a row, read as -mask reads it (with -alpha).
    std::optional<BitmapRows> opacity_;
    std::vector<std::uint8_t> opacityBits_;
    std::vector<std::uint8_t> values_;  // a row's values, then its tones
    // Error diffusion: the error (in sixteenths of a level) that reached the
    // pixels of this row and the next two, each frame's stretch with two
    // cells on either side that catch what goes past its edges.
    std::array<std::vector<std::int32_t>, 3> errors_;
};

}  // namespace pelmo
