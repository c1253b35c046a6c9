// Where every packed byte of a plane lies: the one definition of the layout
// that the packer (BlockPlacer), the unpacker (PaintPlane) and the cutting of
// a sheet into frames all follow.
//
// A plane of W columns and B blocks of eight rows (block 0 at the top) holds
// W x B bytes. With -unflip the blocks are stored top first, otherwise
// bottom first; with -xorder block by block (the W bytes of one stored block
// side by side), otherwise column by column (the B bytes of column 0, then
// those of column 1, ...). A source may leave out blank bytes (0xFF) at the
// front (its start count) and at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/img_options.hpp"
#include "plane/interleave.hpp"

namespace pelmo {

class PlaneLayout {
  public:
    PlaneLayout(const ImgOptions& options, std::size_t width, std::size_t blocks)
        : unflip_(options.unflip), xorder_(options.xorder), width_(width), blocks_(blocks) {}

    std::size_t Width() const { return width_; }
    std::size_t Blocks() const { return blocks_; }
    std::size_t Size() const { return width_ * blocks_; }
    bool ByBlocks() const { return xorder_; }

    // The place among the stored blocks of block `block` from the top.
    std::size_t Stored(std::size_t block) const { return unflip_ ? block : blocks_ - 1 - block; }
    // The index of the byte of column 0 of block `block`, and how far apart
    // the bytes of neighbouring columns of one block lie.
    std::size_t BlockStart(std::size_t block) const {
        return xorder_ ? Stored(block) * width_ : Stored(block);
    }
    std::size_t ColumnStep() const { return xorder_ ? 1 : blocks_; }
    // The index of the byte of column `x` in block `block`.
    std::size_t Index(std::size_t x, std::size_t block) const {
        return BlockStart(block) + x * ColumnStep();
    }

  private:
    bool unflip_;
    bool xorder_;
    std::size_t width_;
    std::size_t blocks_;
};

// A plane as a source gives it: `start` blank bytes (0xFF), then `bytes`,
// then blank bytes up to the end.
struct PackedPlane {
    std::span<const std::uint8_t> bytes;
    std::size_t start = 0;

    std::size_t End() const { return start + bytes.size(); }
    std::uint8_t ByteAt(std::size_t index) const {
        return index >= start && index < End() ? bytes[index - start] : std::uint8_t{0xFF};
    }
};

// A sheet cut into frames in reading order (left to right, then top to
// bottom): `across` x `down` frames of `width` columns and `blocks` blocks
// each. Frame f's plane, laid out as PlaneLayout says for its own size, is
// the f-th stretch of FrameBytes() bytes of the sheet's plane. A picture
// that is not cut is a sheet of one frame.
struct FrameGrid {
    std::size_t width = 0;
    std::size_t blocks = 0;
    std::size_t across = 1;
    std::size_t down = 1;
    // The planes of each frame, whose bytes take turns (the sprite's and the
    // mask's with -plusmask).
    Interleave interleave = {};

    std::size_t Count() const { return across * down; }
    std::size_t FrameBytes() const { return interleave.Bytes(width * blocks); }
    std::size_t SheetWidth() const { return width * across; }
    std::size_t SheetBlocks() const { return blocks * down; }
};

}  // namespace pelmo
