#include "codec/compress_bit2xp.hpp"

#include <array>

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

bool CPelmoImgCompress_Bit2xP::Compress(const RawBytes& raw) {
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

// Stream bit p is bit p % 8 of byte p / 8.
Expected<DecodedStream> CPelmoImgCompress_Bit2xP::Decode(const EncodedStream& in) {
    const std::span<const std::uint8_t> s = in.bytes;
    const std::size_t total = s.size() * 8;
    const auto bit = [&](std::size_t p) { return (s[p / 8] >> (p % 8)) & 1u; };
    DecodedStream out;
    std::size_t p = 0;
    for (std::uint32_t k = 0; k < in.packets; ++k) {
        if (out.bytes.size() >= in.limit) return decode::Fail(p / 8, decode::TooLong(in.limit));
        if (p < total && bit(p) == 1) {
            out.bytes.push_back(0xFF);
            p += 1;
        } else if (p + 2 <= total && bit(p + 1) == 1) {
            out.bytes.push_back(0x00);
            p += 2;
        } else if (p + 10 <= total) {
            unsigned v = 0;
            for (unsigned i = 0; i < 8; ++i) v |= bit(p + 2 + i) << i;
            out.bytes.push_back(static_cast<std::uint8_t>(v));
            p += 10;
        } else {
            return decode::Fail(p / 8, decode::EndsIn(k));
        }
    }
    out.consumed = (p + 7) / 8;
    for (std::size_t q = p; q < out.consumed * 8; ++q) {
        if (bit(q) != 0) return decode::Fail(q / 8, "the bits after the last code are not all 0");
    }
    return out;
}

}  // namespace pelmo
