#include "codec/compress_bit2xp.hpp"

#include <array>

#include "image/raw_data.hpp"

namespace pelmo {

namespace {

// A code's bits in stream order from bit 0 up, and how many there are.
struct Code {
    std::uint16_t bits;
    std::uint8_t length;
};

constexpr std::array<Code, 256> kCodes = [] {
    std::array<Code, 256> codes{};
    for (unsigned v = 0; v < 256; ++v) {
        if (v == 0xFF) {
            codes[v] = {0b1, 1};  // 1
        } else if (v == 0x00) {
            codes[v] = {0b10, 2};  // 0, 1
        } else {
            codes[v] = {static_cast<std::uint16_t>(v << 2), 10};  // 0, 0, then bits 0 to 7
        }
    }
    return codes;
}();

}  // namespace

bool CPelmoImgCompress_Bit2xP::Compress(const ImgRawData& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    // Ten bits per byte at worst. Whole bytes are written, the last one with
    // its trailing bits 0.
    std::uint8_t* const begin = BeginOutput(raw, 2 * n);
    std::uint8_t* out = begin;
    const std::uint8_t* in = raw.buffer.data();

    // Codes gather in `bits` from bit 0 up; whole bytes leave from the bottom.
    std::uint64_t bits = 0;
    unsigned used = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Code code = kCodes[in[i]];
        bits |= std::uint64_t{code.bits} << used;
        used += code.length;
        if (used >= 32) {
            for (int k = 0; k < 4; ++k) *out++ = static_cast<std::uint8_t>(bits >> (8 * k));
            bits >>= 32;
            used -= 32;
        }
    }
    while (used > 0) {
        *out++ = static_cast<std::uint8_t>(bits);
        bits >>= 8;
        used = used > 8 ? used - 8 : 0;
    }
    packets = static_cast<std::int32_t>(n);
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

}  // namespace pelmo
