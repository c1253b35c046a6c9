#include "image/unpack.hpp"

#include <vector>

namespace pelmo {

void PaintLitPixels(std::span<const std::uint8_t> packed, std::int32_t width, std::int32_t height,
                    const ImgOptions& layout, std::uint8_t value, PixelRows rows) {
    const auto w = static_cast<std::size_t>(width);
    const auto blocks = static_cast<std::size_t>(height / 8);
    // Column order keeps a block's bytes `blocks` apart: gathered once, they
    // serve the block's eight rows.
    std::vector<std::uint8_t> gathered(layout.xorder ? 0 : w);
    for (std::size_t k = 0; k < blocks; ++k) {  // k-th block from the top
        const std::size_t stored = layout.unflip ? k : blocks - 1 - k;
        const std::uint8_t* bytes = packed.data() + stored * w;
        if (!layout.xorder) {
            for (std::size_t x = 0; x < w; ++x) gathered[x] = packed[x * blocks + stored];
            bytes = gathered.data();
        }
        for (unsigned i = 0; i < 8; ++i) {
            std::uint8_t* row = rows.top + static_cast<std::ptrdiff_t>(8 * k + i) * rows.stride;
            const unsigned shift = 7 - i;
            for (std::size_t x = 0; x < w; ++x) {
                row[x] = ((bytes[x] >> shift) & 1u) != 0 ? row[x] : value;
            }
        }
    }
}

}  // namespace pelmo
