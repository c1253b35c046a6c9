#include "image/plane_packing.hpp"

#include <cstring>

namespace pelmo {

namespace {

// The bytes of eight neighbouring columns: row i's flags (0x80 where unlit)
// shifted down to bit 7 - i of each byte.
std::uint64_t PackEightColumns(const std::uint8_t* top, std::size_t stride) {
    std::uint64_t packed = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        std::uint64_t flags;
        std::memcpy(&flags, top + i * stride, 8);
        packed |= flags >> i;
    }
    return packed;
}

}  // namespace

void PackBlock(const std::uint8_t* flags, std::size_t stride, std::size_t width,
               std::uint8_t* bytes) {
    std::size_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const std::uint64_t packed = PackEightColumns(flags + x, stride);
        std::memcpy(bytes + x, &packed, 8);
    }
    if (x < width) {  // the last one to seven columns; the padding is read, not kept
        const std::uint64_t packed = PackEightColumns(flags + x, stride);
        std::memcpy(bytes + x, &packed, width - x);
    }
}

void BlockPlacer::Place(std::size_t first, std::size_t count, const std::uint8_t* bytes) const {
    if (xorder_) {
        for (std::size_t g = 0; g < count; ++g) {
            std::memcpy(plane_ + Stored(first + g) * width_, bytes + g * width_, width_);
        }
        return;
    }
    // The bytes of one column lie side by side; with several blocks at hand
    // each column's stretch is written at once.
    for (std::size_t x = 0; x < width_; ++x) {
        std::uint8_t* column = plane_ + x * blocks_;
        for (std::size_t g = 0; g < count; ++g) column[Stored(first + g)] = bytes[g * width_ + x];
    }
}

}  // namespace pelmo
