// A synthetic picture shaped like the artwork this converter is fed: flat
// areas of all three tones, a dithered gradient, line art and fine noise.
// The same width and height always give the same pixels.
#pragma once

#include <cstdint>

namespace pelmo::bench {

struct Rgb {
    std::uint8_t r, g, b;
};

// Fills `row` (width pixels) with row `y` of a width x height picture, row 0
// at the top.
void ArtworkRow(std::int32_t width, std::int32_t height, std::int32_t y, Rgb* row);

}  // namespace pelmo::bench
