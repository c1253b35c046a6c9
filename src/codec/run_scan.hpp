// Scans shared by the run-length codecs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pelmo {

// Number of bytes from `p` on that equal p[0], counting at most `limit`
// (limit >= 1, and `limit` bytes must be readable).
inline std::size_t RunLength(const std::uint8_t* p, std::size_t limit) {
    const std::uint8_t v = p[0];
    std::size_t n = 1;
    while (n < limit && p[n] == v) ++n;
    return n;
}

// The flag byte of the flagged codecs: the highest value from 1 to 254 that
// does not occur in the data (0x00 and 0xFF never qualify), or -1 when every
// such value occurs.
inline int FindUnusedByte(const std::uint8_t* data, std::size_t count) {
    std::array<bool, 256> seen{};
    for (std::size_t i = 0; i < count; ++i) seen[data[i]] = true;
    for (int v = 254; v >= 1; --v) {
        if (!seen[static_cast<std::size_t>(v)]) return v;
    }
    return -1;
}

}  // namespace pelmo
