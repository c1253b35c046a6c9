// The rows of a decoded bitmap as bits of the plane (see plane_packing.hpp).
#pragma once

#include <FreeImage.h>

#include <array>
#include <cstdint>
#include <vector>

#include "tones/pixel_layout.hpp"

namespace pelmo {

// What a pixel's opacity does: nothing (the tone alone decides), makes a
// pixel less than half opaque (alpha below 128) unlit (-alpha), or is all
// that counts (-mask: lit from alpha 128 on).
enum class AlphaRule { Ignore, Cut, Only };

class BitmapRows {
  public:
    // True when the red component of every pixel of `bitmap` can be read
    // straight from its pixels and is exactly what the 32-bit conversion
    // would give: 24-bit RGB and 32-bit RGB(A) bitmaps, and 1-, 4- and 8-bit
    // ones through their palette. Decided by image type, bit depth and colour
    // type alone; a 32-bit CMYK bitmap is not RGB. Every other kind is read
    // after the 32-bit conversion.
    // With an alpha rule, only 32-bit RGBA bitmaps do.
    static bool ReadsDirectly(FIBITMAP* bitmap, AlphaRule alpha = AlphaRule::Ignore);

    // A reader of `bitmap`, which must read directly (or be the result of
    // the 32-bit conversion); a pixel is lit when its red is `litFrom` (1 or
    // more) or more. `vectors` false keeps to the plain loops (for tests).
    BitmapRows(FIBITMAP* bitmap, std::uint8_t litFrom, AlphaRule alpha = AlphaRule::Ignore,
               bool vectors = true);

    // The bits of picture row `y` (0 at the top; the bitmap's scan lines
    // count from the bottom) into the RowBytes(width) bytes at `bits`; the
    // bits past the width are undefined.
    void Read(std::uint32_t y, std::uint8_t* bits) const;

  private:
    // A row's bits from red components (24- and 32-bit), from palette
    // indices a byte each, and from palette indices a nibble each.
    void ReadReds(const BYTE* line, std::uint8_t* bits) const;
    template <int kAt>
    void ReadComponent(const BYTE* line, std::uint8_t litFrom, std::uint8_t* bits) const;
    void ReadBytes(const BYTE* line, std::uint8_t* bits) const;
    void ReadNibbles(const BYTE* line, std::uint8_t* bits) const;

    FIBITMAP* bitmap_;
    PixelLayout layout_ = PixelLayout::Rgb32;
    std::uint32_t width_;
    std::uint32_t height_;
    std::uint8_t litFrom_;
    AlphaRule alpha_;
    // A row's opacity bits when the tone decides too (-alpha).
    mutable std::vector<std::uint8_t> alphaBits_;
    bool vectors_ = false;  // the processor's vector instructions are used
    // For palette bitmaps: the bits of the pixels that one byte of the scan
    // line holds (1, 2 or 8 of them, the leftmost highest), by its value.
    std::array<std::uint8_t, 256> unlitBits_{};
    // For 4-bit bitmaps: 0xFF for each palette index whose pixel is unlit.
    std::array<std::uint8_t, 16> nibbleFlags_{};
};

}  // namespace pelmo
