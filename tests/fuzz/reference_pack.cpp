#include "reference_pack.hpp"

namespace pelmo::fuzz {

PELMO_NO_COVERAGE Packed ReferencePack(std::size_t w, std::size_t h,
                                       const std::vector<std::uint8_t>& tones,
                                       const ImgOptions& o) {
    Packed p;
    if (w == 0 || h == 0) {
        p.error = "Error, invalid image dimensions.\n";
        return p;
    }
    if (h % 8 != 0) {
        p.error = "Error, invalid image dimensions.\n";
        return p;
    }
    const std::size_t blocks = h / 8;
    std::vector<std::uint8_t> all(w * h / 8, 0);
    const int threshold = o.dim ? 1 : 2;
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t s = (o.unflip ? y : h - 1 - y) / 8;
            const std::size_t index = o.xorder ? s * w + x : x * blocks + s;
            const bool lit = tones[y * w + x] >= threshold;
            if (!lit) all[index] |= static_cast<std::uint8_t>(0x80 >> (y % 8));
        }
    }
    std::size_t first = 0;
    std::size_t last = all.size();
    if (o.strim) {
        while (first < last && all[first] == 0xFF) ++first;
    }
    if (o.etrim) {
        while (last > first && all[last - 1] == 0xFF) --last;
    }
    p.ok = true;
    p.allocated = all.size();
    p.start = static_cast<std::int32_t>(first);
    p.bytes.assign(all.begin() + static_cast<std::ptrdiff_t>(first),
                   all.begin() + static_cast<std::ptrdiff_t>(last));
    return p;
}

}  // namespace pelmo::fuzz
