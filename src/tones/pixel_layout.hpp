// How the pixels of a decoded bitmap lie in its scan lines, and its palette:
// what the row readers (BitmapRows, ToneRows) learn of a bitmap before they
// read its rows.
#pragma once

#include <FreeImage.h>

#include <array>
#include <cstdint>

namespace pelmo {

// Red, green and blue a byte each (at FI_RGBA_RED and its kin), three bytes
// a pixel, or four with alpha; or a palette index of 8, 4 or 1 bits, a byte
// holding one, two or eight pixels, the leftmost in its highest bits.
enum class PixelLayout { Rgb24, Rgb32, Palette8, Palette4, Palette1 };

// The bits of a palette index in `layout`: 8, 4 or 1; 0 for RGB.
constexpr unsigned IndexBits(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Palette8:
            return 8;
        case PixelLayout::Palette4:
            return 4;
        case PixelLayout::Palette1:
            return 1;
        default:
            return 0;
    }
}

// The palette index of pixel `x` (0 the leftmost) of a scan line of
// `bits`-bit indices (8, 4 or 1). Inlined with a constant `bits`, it is the
// plain shift and mask of that depth.
constexpr unsigned PaletteIndex(const BYTE* line, std::uint32_t x, unsigned bits) {
    const unsigned perByte = 8 / bits;
    return (line[x / perByte] >> (bits * (perByte - 1 - x % perByte))) & ((1u << bits) - 1);
}

class BitmapLayout {
  public:
    // The layout of `bitmap`, named from its bit depth alone: 24 and 32 bits
    // are RGB, 8 and 4 bits palette indices, any other depth 1-bit indices
    // (Readable tells whether the bitmap holds what that says).
    explicit BitmapLayout(FIBITMAP* bitmap);

    PixelLayout Pixels() const { return pixels_; }

    // True when the bitmap holds what its layout says: a standard bitmap
    // (FIT_BITMAP) of 24 bits, or of 32 bits that are not CMYK, or of 1, 4 or
    // 8 bits with a palette.
    bool Readable() const { return readable_; }

    // Palette entry `index`; black past the entries the bitmap has, and for
    // RGB. The library gives every palette bitmap 2^bpp entries: the guard
    // only keeps the lookups within whatever it gave.
    RGBQUAD Entry(unsigned index) const {
        return index < colours_ ? palette_[index] : RGBQUAD{0, 0, 0, 0};
    }

    // `value(entry)` of each palette entry, by index from 0 to 255.
    template <typename Value>
    std::array<std::uint8_t, 256> PerIndex(const Value& value) const {
        std::array<std::uint8_t, 256> values{};
        for (unsigned i = 0; i < 256; ++i) values[i] = static_cast<std::uint8_t>(value(Entry(i)));
        return values;
    }

  private:
    PixelLayout pixels_;
    bool readable_ = false;
    const RGBQUAD* palette_ = nullptr;
    unsigned colours_ = 0;  // the palette's entries
};

}  // namespace pelmo
