#include "image/raw_data.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "image/huge_pages.hpp"

namespace pelmo {

namespace {

// Blocks packed together before their bytes are copied out in column order.
constexpr std::int32_t kBlocksPerGroup = 8;

constexpr std::uint64_t kEveryByte = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x80 * kEveryByte;

// 0x80 in every byte of `tones` whose tone is below `threshold` (an unlit
// pixel), 0x00 in the others. Works on the eight bytes at once: setting
// each byte's top bit before subtracting keeps borrows inside the byte.
std::uint64_t UnlitBits(std::uint64_t tones, std::uint8_t threshold) {
    const std::uint64_t atLeast = ((tones | kHighBits) - threshold * kEveryByte) | tones;
    return ~atLeast & kHighBits;
}

// The bytes of the eight neighbouring columns of one Y block whose top row
// starts at `top`, its rows lying `stride` apart, in memory order. Row i of
// the block goes to bit 7 - i of each byte.
std::uint64_t PackEightColumns(const std::uint8_t* top, std::size_t stride,
                               std::uint8_t threshold) {
    std::uint64_t packed = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        std::uint64_t tones;
        std::memcpy(&tones, top + i * stride, 8);
        packed |= UnlitBits(tones, threshold) >> i;
    }
    return packed;
}

// The `width` bytes of the Y block whose top row starts at `rows`.
void PackBlock(const std::uint8_t* rows, std::size_t width, std::uint8_t threshold,
               std::uint8_t* bytes) {
    std::size_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const std::uint64_t packed = PackEightColumns(rows + x, width, threshold);
        std::memcpy(bytes + x, &packed, 8);
    }
    if (x < width) {  // the last one to seven columns, padded to eight
        const std::size_t n = width - x;
        std::array<std::uint8_t, 64> tail{};
        for (std::size_t i = 0; i < 8; ++i) std::memcpy(&tail[8 * i], rows + i * width + x, n);
        const std::uint64_t packed = PackEightColumns(tail.data(), 8, threshold);
        std::memcpy(bytes + x, &packed, n);
    }
}

}  // namespace

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
        buffer.reserve(static_cast<std::size_t>(length));
        AdviseHugePages(buffer.data(), buffer.capacity());
        buffer.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        std::fputs("Error, not enough memory.\n", stderr);
        return false;
    }

    // Eight rows make one Y block; each column of a block makes one byte.
    // The bits come from the row within the block and never move; with
    // -unflip the blocks are stored top first, otherwise bottom first.
    const std::uint8_t threshold = options.dim ? 1 : 2;
    const std::int32_t blocks = h / 8;
    const std::size_t width = static_cast<std::size_t>(w);
    std::uint8_t* out = buffer.data();
    const auto storedBlock = [&](std::int32_t k) { return options.unflip ? k : blocks - 1 - k; };
    const auto blockRows = [&](std::int32_t k) {
        return toneMap.pixels.data() + static_cast<std::size_t>(k) * 8 * width;
    };
    if (options.xorder) {
        for (std::int32_t k = 0; k < blocks; ++k) {
            PackBlock(blockRows(k), width, threshold,
                      out + static_cast<std::size_t>(storedBlock(k)) * width);
        }
    } else {
        // The bytes of one column lie side by side, so a group of blocks is
        // packed first and then copied out column by column: the output is
        // written in stretches instead of one byte per column per block.
        const std::int32_t group = std::min(kBlocksPerGroup, blocks);
        std::vector<std::uint8_t> packed(static_cast<std::size_t>(group) * width);
        for (std::int32_t first = 0; first < blocks; first += group) {
            const std::int32_t count = std::min(group, blocks - first);
            for (std::int32_t g = 0; g < count; ++g) {
                PackBlock(blockRows(first + g), width, threshold, packed.data() + g * width);
            }
            for (std::size_t x = 0; x < width; ++x) {
                std::uint8_t* column = out + x * blocks;
                for (std::int32_t g = 0; g < count; ++g) {
                    column[storedBlock(first + g)] = packed[g * width + x];
                }
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
