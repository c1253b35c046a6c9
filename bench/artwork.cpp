#include "artwork.hpp"

namespace pelmo::bench {

namespace {

// Red components well inside the off, dim and full tone ranges.
constexpr std::uint8_t kToneRed[3] = {40, 160, 230};

constexpr std::uint8_t kBayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// Flat blocks whose tone changes every few hundred pixels, with a disc of
// another tone in every block.
std::uint8_t FlatRed(std::int32_t x, std::int32_t y, std::int32_t cell) {
    const std::int32_t cx = x / cell;
    const std::int32_t cy = y / cell;
    const std::uint32_t h = Hash(static_cast<std::uint32_t>(cx), static_cast<std::uint32_t>(cy));
    const std::int32_t dx = x % cell - cell / 2;
    const std::int32_t dy = y % cell - cell / 2;
    const std::int32_t radius = cell / 4 + static_cast<std::int32_t>(h % (cell / 8 + 1));
    const bool inDisc = dx * dx + dy * dy < radius * radius;
    return kToneRed[(h + (inDisc ? 1 + (h >> 8) % 2 : 0)) % 3];
}

// A left-to-right ramp through the three tones, ordered-dithered.
std::uint8_t DitheredRed(std::int32_t x, std::int32_t y, std::int32_t width) {
    const std::int32_t level = static_cast<std::int32_t>(std::int64_t{x} * 2 * 64 / width);
    const std::int32_t base = level / 64;  // 0 or 1: which pair of tones
    const bool upper = level % 64 > kBayer8[y & 7][x & 7];
    return kToneRed[base + (upper ? 1 : 0)];
}

// Thin diagonal lines over a flat background, like line art.
std::uint8_t LineArtRed(std::int32_t x, std::int32_t y) {
    const std::int32_t d = (x + y) % 37;
    const std::int32_t e = (x - y + (1 << 20)) % 53;
    if (d == 0) return kToneRed[2];
    if (e == 0 || e == 1) return kToneRed[1];
    return kToneRed[0];
}

// Fine noise: single pixels of the other two tones sprinkled over a dim
// background, one pixel in sixteen of each.
std::uint8_t SpeckleRed(std::int32_t x, std::int32_t y) {
    const std::uint32_t h = Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) % 16;
    return kToneRed[h == 0 ? 0 : h == 1 ? 2 : 1];
}

}  // namespace

void ArtworkRow(std::int32_t width, std::int32_t height, std::int32_t y, Rgb* row) {
    // Bands from the top: flat areas 40 %, dithered ramp 25 %, line art
    // 20 %, fine noise 15 %.
    const std::int32_t flatEnd = height * 40 / 100;
    const std::int32_t rampEnd = height * 65 / 100;
    const std::int32_t linesEnd = height * 85 / 100;
    const std::int32_t cell = width / 16 > 8 ? width / 16 : 8;
    for (std::int32_t x = 0; x < width; ++x) {
        std::uint8_t red;
        if (y < flatEnd) {
            red = FlatRed(x, y, cell);
        } else if (y < rampEnd) {
            red = DitheredRed(x, y, width);
        } else if (y < linesEnd) {
            red = LineArtRed(x, y);
        } else {
            red = SpeckleRed(x, y);
        }
        // Green and blue follow red loosely, as in real artwork; only red counts.
        row[x] = {red, static_cast<std::uint8_t>(red / 2 + 32),
                  static_cast<std::uint8_t>(255 - red)};
    }
}

}  // namespace pelmo::bench
