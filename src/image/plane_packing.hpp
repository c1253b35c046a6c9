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

// Puts the bytes of whole blocks in their place in the plane: with -unflip
// the blocks are stored top first, otherwise bottom first; with -xorder block
// by block, otherwise column by column (the B bytes of column 0, then those
// of column 1, ...).
class BlockPlacer {
  public:
    BlockPlacer(const ImgOptions& options, std::size_t width, std::size_t blocks,
                std::uint8_t* plane)
        : unflip_(options.unflip),
          xorder_(options.xorder),
          width_(width),
          blocks_(blocks),
          plane_(plane) {}

    // Places `count` blocks from block `first` on, whose bytes follow each
    // other in `bytes`, `width` to a block.
    void Place(std::size_t first, std::size_t count, const std::uint8_t* bytes) const;

  private:
    std::size_t Stored(std::size_t block) const { return unflip_ ? block : blocks_ - 1 - block; }

    bool unflip_;
    bool xorder_;
    std::size_t width_;
    std::size_t blocks_;
    std::uint8_t* plane_;
};

}  // namespace pelmo
