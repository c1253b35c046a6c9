// The pixels of a picture that are none of the colours of -tones: how many,
// and the first in reading order, for the one warning that tells of them.
#pragma once

#include <cstdint>

namespace pelmo {

// Plain data, sent as it is from the decoding child to the parent.
struct StrayPixels {
    std::uint64_t count = 0;
    // The first: its place (0,0 at the top left) and colour (0xRRGGBB).
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t colour = 0;

    // One more, after those noted so far in reading order.
    void Note(std::uint32_t atX, std::uint32_t atY, std::uint32_t rgb) {
        if (count++ == 0) *this = {1, atX, atY, rgb};
    }
    // The strays of a page whose rows begin at row `top` of the picture,
    // below every row noted so far.
    void Add(const StrayPixels& page, std::uint32_t top) {
        if (page.count == 0) return;
        if (count == 0) *this = {0, page.x, top + page.y, page.colour};
        count += page.count;
    }
};

}  // namespace pelmo
