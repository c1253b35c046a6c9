#include "codec/compress_bit2xp.hpp"

#include "image/raw_data.hpp"

namespace pelmo {

bool CPelmoImgCompress_Bit2xP::Compress(const ImgRawData& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    // Ten bits per byte at worst; the stream's trailing bits stay 0.
    std::uint8_t* const begin = BeginOutput(raw, 2 * n);
    std::uint8_t* out = begin;
    const std::uint8_t* in = raw.buffer.data();

    // Codes gather in `bits` from bit 0 up; whole bytes leave from the bottom.
    std::uint64_t bits = 0;
    unsigned used = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t v = in[i];
        if (v == 0xFF) {
            bits |= std::uint64_t{1} << used;  // 1
            used += 1;
        } else if (v == 0x00) {
            bits |= std::uint64_t{2} << used;  // 0, 1
            used += 2;
        } else {
            bits |= std::uint64_t{v} << (used + 2);  // 0, 0, then bits 0 to 7
            used += 10;
        }
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
