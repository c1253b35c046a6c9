// Unpacking a tone plane: the reverse of ImgRawData::Pack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "app/options.hpp"

namespace pelmo {

// Where unpacked pixels go, one byte each: row 0 (the top of the picture as
// displayed) starts at `top`, and each row starts `stride` bytes after the
// one above it (a negative stride for pictures stored bottom up).
struct PixelRows {
    std::uint8_t* top = nullptr;
    std::ptrdiff_t stride = 0;
};

// Sets to `value` every pixel of a `width` × `height` picture that `packed`
// lights, and leaves the others as they are. `packed` holds width × height / 8
// bytes laid out as Pack lays them with the layout's -xorder and -unflip: a
// clear bit is a lit pixel, bit 7 the top row of an 8-row block.
void PaintLitPixels(std::span<const std::uint8_t> packed, std::int32_t width, std::int32_t height,
                    const ImgOptions& layout, std::uint8_t value, PixelRows rows);

}  // namespace pelmo
