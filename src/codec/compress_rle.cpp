#include "codec/compress_rle.hpp"

#include <algorithm>

#include "codec/run_scan.hpp"

namespace pelmo {

bool CPelmoImgCompress_RLE::Compress(const RawBytes& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* const begin = BeginOutput(raw, 2 * n);  // one pair per byte at worst
    std::uint8_t* out = begin;
    const std::uint8_t* in = raw.buffer.data();
    // Counted in a local: stores through `out` may alias a member, which
    // would otherwise be read back from memory for every pair.
    std::int32_t pairs = 0;
    std::size_t left = n;
    while (left > 0) {
        const std::uint8_t value = *in;
        const std::size_t run = RunLength(in, std::min<std::size_t>(left, 255));
        *out++ = static_cast<std::uint8_t>(run);
        *out++ = value;
        ++pairs;
        in += run;
        left -= run;
    }
    packets = pairs;
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

Expected<DecodedStream> CPelmoImgCompress_RLE::Decode(const EncodedStream& in) {
    const std::span<const std::uint8_t> s = in.bytes;
    DecodedStream out;
    std::size_t pos = 0;
    for (std::uint32_t k = 0; k < in.packets; ++k) {
        if (s.size() - pos < 2) return decode::Fail(pos, decode::EndsIn(k));
        const std::uint8_t count = s[pos];
        if (count == 0) return decode::Fail(pos, decode::Packet(k) + " has count 0");
        if (!decode::AppendRun(out, count, s[pos + 1], in.limit)) {
            return decode::Fail(pos, decode::TooLong(in.limit));
        }
        pos += 2;
    }
    out.consumed = pos;
    return out;
}

}  // namespace pelmo
