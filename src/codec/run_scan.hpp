// Scans shared by the run-length codecs.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace pelmo {

// Number of bytes from `p` on that equal p[0], counting at most `limit`
// (limit >= 1, and `limit` bytes must be readable). A lone byte is settled
// by one compare; longer runs are compared eight bytes at a time, the first
// nonzero byte of `differ` in memory order being the first unequal one.
inline std::size_t RunLength(const std::uint8_t* p, std::size_t limit) {
    if (limit == 1 || p[1] != p[0]) return 1;
    const std::uint64_t repeated = p[0] * std::uint64_t{0x0101010101010101};
    std::size_t n = 1;
    while (n + 8 <= limit) {
        std::uint64_t word;
        std::memcpy(&word, p + n, 8);
        const std::uint64_t differ = word ^ repeated;
        if (differ != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                       : std::countl_zero(differ);
            return n + static_cast<std::size_t>(bit / 8);
        }
        n += 8;
    }
    while (n < limit && p[n] == p[0]) ++n;
    return n;
}

// What the flagged codecs say when every candidate occurs in the data.
inline constexpr std::string_view kNoFlagByte = "Error, can't find unused byte value in data.\n";

// The flag byte of the flagged codecs: the highest value from 1 to 254 that
// does not occur in the data (0x00 and 0xFF never qualify), or none when
// every such value occurs.
inline std::optional<std::uint8_t> FindUnusedByte(const std::uint8_t* data, std::size_t count) {
    std::array<bool, 256> seen{};
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        // Eight bytes equal to the eight before them add no new value; blank
        // and full areas of a picture repeat whole words.
        if (i >= 8 && std::memcmp(data + i, data + i - 8, 8) == 0) continue;
        for (std::size_t k = 0; k < 8; ++k) seen[data[i + k]] = true;
    }
    for (; i < count; ++i) seen[data[i]] = true;
    for (int v = 254; v >= 1; --v) {
        if (!seen[static_cast<std::size_t>(v)]) return static_cast<std::uint8_t>(v);
    }
    return std::nullopt;
}

}  // namespace pelmo
