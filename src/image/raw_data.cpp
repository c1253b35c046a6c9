#include "image/raw_data.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace pelmo {

bool ImgRawData::Pack(const ImgToneMap& toneMap) {
    buffer = std::vector<std::uint8_t>();
    const std::int32_t w = toneMap.width;
    const std::int32_t h = toneMap.height;
    // Both fit 32 bits and so does their product: the tone map was allocated.
    length = static_cast<std::int32_t>((std::int64_t{w} * h) >> 3);
    start = 0;
    if (w == 0 || h == 0) {
        length = 0;
        std::fputs("Error, invalid image dimensions.\n", stderr);
        return false;
    }
    if (h % 8 != 0) {  // only the loader's own check keeps such maps out
        length = 0;
        std::fputs("Error, height must be multiple of 8.\n", stderr);
        return false;
    }
    try {
        buffer.resize(static_cast<std::size_t>(length));  // zero-filled
    } catch (const std::bad_alloc&) {
        std::fputs("Error, not enough memory.\n", stderr);
        return false;
    }

    // A pixel at or above the plane's threshold is lit and leaves its bit 0.
    const std::uint8_t threshold = options.dim ? 1 : 2;
    const std::int32_t blocks = h / 8;
    const std::uint8_t* tones = toneMap.pixels.data();
    std::uint8_t* out = buffer.data();
    for (std::int32_t y = 0; y < h; ++y) {
        const std::int32_t r = options.unflip ? y : h - 1 - y;
        const std::int32_t s = r / 8;  // stored block
        // The bit comes from y, not r: blocks move, bits within them never do.
        const std::uint8_t mask = static_cast<std::uint8_t>(1u << (7 - (y & 7)));
        const std::uint8_t* row = tones + static_cast<std::size_t>(y) * w;
        if (options.xorder) {
            std::uint8_t* block = out + static_cast<std::size_t>(s) * w;
            for (std::int32_t x = 0; x < w; ++x) {
                if (row[x] < threshold) block[x] |= mask;
            }
        } else {
            for (std::int32_t x = 0; x < w; ++x) {
                if (row[x] < threshold) out[static_cast<std::size_t>(x) * blocks + s] |= mask;
            }
        }
    }

    if (options.strim) TrimStart();
    if (options.etrim) TrimEnd();
    return true;
}

void ImgRawData::TrimStart() {
    const auto first = buffer.begin();
    const auto end = first + length;
    const auto kept = std::find_if(first, end, [](std::uint8_t b) { return b != 0xFF; });
    const auto removed = static_cast<std::int32_t>(kept - first);
    if (removed == 0) return;
    std::copy(kept, end, first);
    start = removed;
    length -= removed;
}

void ImgRawData::TrimEnd() {
    while (length > 0 && buffer[static_cast<std::size_t>(length) - 1] == 0xFF) --length;
}

}  // namespace pelmo
