// The rows of a decoded bitmap as flags of the plane (see plane_packing.hpp).
#pragma once

#include <FreeImage.h>

#include <array>
#include <cstdint>
#include <optional>

namespace pelmo {

class BitmapRows {
  public:
    // True when the red component of every pixel of `bitmap` can be read
    // straight from its pixels and is exactly what the 32-bit conversion
    // would give: 24-bit RGB and 32-bit RGB(A) bitmaps, and 1-, 4- and 8-bit
    // ones through their palette. Decided by image type, bit depth and colour
    // type alone; a 32-bit CMYK bitmap is not RGB. Every other kind is read
    // after the 32-bit conversion.
    static bool ReadsDirectly(FIBITMAP* bitmap);

    // A reader of `bitmap`, which must read directly (or be the result of
    // the 32-bit conversion); a pixel is lit when its red is `litFrom` or more.
    BitmapRows(FIBITMAP* bitmap, std::uint8_t litFrom);

    // The flags of picture row `y` (0 at the top; the bitmap's scan lines
    // count from the bottom) into `flags`, which has room for
    // PaddedRow(width) bytes; the bytes past the width are undefined.
    void Read(std::uint32_t y, std::uint8_t* flags) const;

  private:
    enum class Layout { Rgb24, Rgb32, Palette8, Palette4, Palette1 };

    FIBITMAP* bitmap_;
    Layout layout_;
    std::uint32_t width_;
    std::uint32_t height_;
    std::uint8_t litFrom_;
    // For palette bitmaps: the flags of one byte of pixels, by its value.
    std::array<std::uint8_t, 256> ofIndex_{};
    std::array<std::uint16_t, 256> ofPair_{};
    std::array<std::uint64_t, 256> ofOctet_{};
};

}  // namespace pelmo
