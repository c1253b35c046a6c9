#include "plane/plane_packing.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace pelmo {

namespace {

static_assert(std::endian::native == std::endian::little,
              "a group's eight columns are stored as one little-endian word");

// Transposes eight rows of eight pixels: byte i of the result (in memory
// order) is column i of the group, its top row in bit 7.
std::uint64_t Transpose(const std::uint8_t* rows, std::size_t stride) {
    std::uint64_t x = 0;
    for (std::size_t i = 0; i < 8; ++i) x |= std::uint64_t{rows[i * stride]} << (56 - 8 * i);
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    x ^= t ^ (t << 28);
    // Column c now sits in byte 7 - c, counted from the least significant.
    return __builtin_bswap64(x);
}

}  // namespace

void PackBlock(const std::uint8_t* rows, std::size_t stride, std::size_t width,
               std::uint8_t* bytes) {
    std::size_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const std::uint64_t columns = Transpose(rows + x / 8, stride);
        std::memcpy(bytes + x, &columns, 8);
    }
    if (x < width) {  // the last one to seven columns
        const std::uint64_t columns = Transpose(rows + x / 8, stride);
        std::memcpy(bytes + x, &columns, width - x);
    }
}

void BlockPlacer::Place(std::size_t first, std::size_t count, const std::uint8_t* bytes) const {
    const std::size_t width = grid_.SheetWidth();
    if (width == 0) return;  // nothing to place, and no plane to place it in
    const std::size_t planes = grid_.interleave.planes;
    const std::size_t step = frame_.ColumnStep() * planes;
    // Taken a tile of columns at a time, the blocks are read in stretches and
    // each column's bytes written one after the other, so that reads and
    // writes stay in the cache; a frame's block whose bytes lie side by side
    // is one copy.
    const std::size_t tile = step == 1 ? grid_.width : 64;
    for (std::size_t c = 0; c < grid_.across; ++c) {
        for (std::size_t x0 = 0; x0 < grid_.width; x0 += tile) {
            const std::size_t n = std::min(tile, grid_.width - x0);
            for (std::size_t g = 0; g < count; ++g) {
                const std::size_t block = first + g;
                const std::size_t frame = block / grid_.blocks * grid_.across + c;
                std::uint8_t* to =
                    plane_ + frame * grid_.FrameBytes() +
                    grid_.interleave.Index(frame_.Index(x0, block % grid_.blocks), 0);
                for (std::size_t p = 0; p < planes; ++p) {
                    const std::uint8_t* from =
                        bytes + (g * planes + p) * width + c * grid_.width + x0;
                    if (step == 1) {
                        std::memcpy(to, from, n);
                        continue;
                    }
                    for (std::size_t i = 0; i < n; ++i) to[i * step + p] = from[i];
                }
            }
        }
    }
}

}  // namespace pelmo
