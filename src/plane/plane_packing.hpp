// One tone plane packed into bytes of eight vertically stacked pixels.
//
// A picture of W columns and H rows (H a multiple of 8) has B = H / 8 blocks
// of eight rows, block 0 at the top. The byte of column x in block k holds
// the pixel of the block's row i in bit 7 - i; the bit is set when that pixel
// is unlit, so 0xFF is a blank byte. Packing runs in two steps that may run
// in different processes: each block's W bytes are made from its rows
// (PackBlock), then put in their place in the plane (BlockPlacer).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/img_options.hpp"
#include "plane/plane_layout.hpp"

namespace pelmo {

// The red component from which a pixel is lit in the plane that `dim`
// chooses: the full plane lights full pixels (192 and up), the dim plane
// lights dim and full ones (128 and up).
constexpr std::uint8_t LitFromRed(bool dim) {
    return dim ? 128 : 192;
}

// A row is read as bits, eight pixels to a byte, the leftmost in bit 7; a
// bit is set when its pixel is unlit. This many bytes hold a row; the bits
// past the width are ignored.
constexpr std::size_t RowBytes(std::size_t width) {
    return (width + 7) / 8;
}

// Makes the `width` bytes of one block from the bits of its eight rows,
// which lie `stride` (at least RowBytes(width)) bytes apart, top row first.
void PackBlock(const std::uint8_t* rows, std::size_t stride, std::size_t width,
               std::uint8_t* bytes);

// Puts the bytes of whole blocks of a sheet in their place in the frames'
// planes, as PlaneLayout and FrameGrid say: a picture that is not cut is one
// frame.
class BlockPlacer {
  public:
    BlockPlacer(const ImgOptions& options, std::size_t width, std::size_t blocks,
                std::uint8_t* plane)
        : BlockPlacer(options, FrameGrid{width, blocks}, plane) {}
    BlockPlacer(const ImgOptions& options, const FrameGrid& grid, std::uint8_t* plane)
        : grid_(grid), frame_(options, grid.width, grid.blocks), plane_(plane) {}

    // Places `count` blocks of the sheet from block `first` on, whose bytes
    // follow each other in `bytes`: for each block, SheetWidth() bytes of
    // each plane, the sprite's before the mask's.
    void Place(std::size_t first, std::size_t count, const std::uint8_t* bytes) const;

  private:
    FrameGrid grid_;
    PlaneLayout frame_;
    std::uint8_t* plane_;
};

}  // namespace pelmo
