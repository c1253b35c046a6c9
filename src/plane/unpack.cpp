#include "plane/unpack.hpp"

#include <algorithm>
#include <vector>

namespace pelmo {

namespace {

// The eight rows of one block from its `width` bytes.
template <typename Pixel>
void PaintBlock(const std::uint8_t* bytes, std::size_t width, std::uint8_t* top,
                std::ptrdiff_t stride, Pixel pixel) {
    for (unsigned i = 0; i < 8; ++i) {
        std::uint8_t* row = top + static_cast<std::ptrdiff_t>(i) * stride;
        const unsigned shift = 7 - i;
        for (std::size_t x = 0; x < width; ++x)
            row[x] = pixel(((bytes[x] >> shift) & 1u) == 0, row[x]);
    }
}

}  // namespace

void PaintPlane(const PackedPlane& plane, std::int32_t width, std::int32_t height,
                const ImgOptions& options, std::uint8_t lit, int unlit, PixelRows rows) {
    const PlaneLayout layout(options, static_cast<std::size_t>(width),
                             static_cast<std::size_t>(height / 8));
    const std::size_t w = layout.Width();
    // One block's bytes side by side.
    std::vector<std::uint8_t> block(w);
    for (std::size_t k = 0; k < layout.Blocks(); ++k) {  // the k-th block from the top
        const std::size_t first = layout.BlockStart(k);
        if (layout.ByBlocks()) {
            // The block's stretch of the plane, where it overlaps the given bytes.
            const std::size_t from = std::max(plane.start, first);
            const std::size_t to = std::min(plane.End(), first + w);
            std::fill(block.begin(), block.end(), std::uint8_t{0xFF});
            if (from < to) {
                std::copy_n(plane.bytes.data() + (from - plane.start), to - from,
                            block.data() + (from - first));
            }
        } else {
            for (std::size_t x = 0; x < w; ++x)
                block[x] = plane.ByteAt(first + x * layout.ColumnStep());
        }
        std::uint8_t* top = rows.top + static_cast<std::ptrdiff_t>(8 * k) * rows.stride;
        if (unlit < 0) {
            PaintBlock(block.data(), w, top, rows.stride,
                       [lit](bool on, std::uint8_t old) { return on ? lit : old; });
        } else {
            const auto off = static_cast<std::uint8_t>(unlit);
            PaintBlock(block.data(), w, top, rows.stride,
                       [lit, off](bool on, std::uint8_t) { return on ? lit : off; });
        }
    }
}

}  // namespace pelmo
