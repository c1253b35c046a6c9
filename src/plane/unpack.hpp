// Unpacking a tone plane: the reverse of packing it (plane/plane_packing.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/img_options.hpp"
#include "plane/plane_layout.hpp"

namespace pelmo {

// Where unpacked pixels go, one byte each: row 0 (the top of the picture as
// displayed) starts at `top`, and each row starts `stride` bytes after the
// one above it (a negative stride for pictures stored bottom up).
struct PixelRows {
    std::uint8_t* top = nullptr;
    std::ptrdiff_t stride = 0;
};

// Gives every pixel of a `width` × `height` picture that `plane` lights the
// value `lit`, and every other pixel `unlit` or, when `unlit` is negative,
// leaves it as it is. The bytes are laid out as PlaneLayout says for the
// layout's -xorder and -unflip; a clear bit is a lit pixel, bit 7 the top
// row of an 8-row block.
void PaintPlane(const PackedPlane& plane, std::int32_t width, std::int32_t height,
                const ImgOptions& layout, std::uint8_t lit, int unlit, PixelRows rows);

}  // namespace pelmo
