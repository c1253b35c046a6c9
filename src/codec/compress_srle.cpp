#include "codec/compress_srle.hpp"

#include <algorithm>

#include "codec/run_scan.hpp"

namespace pelmo {

bool CPelmoImgCompress_sRLE::Compress(const RawBytes& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* const begin = BeginOutput(raw, 2 * n);  // never more than 3/2 n
    std::uint8_t* out = begin;
    const std::uint8_t* in = raw.buffer.data();
    // Counted in a local: stores through `out` may alias a member, which
    // would otherwise be read back from memory for every token.
    std::int32_t tokens = 0;
    std::size_t left = n;
    while (left > 0) {
        const std::uint8_t value = *in;
        const std::size_t run = RunLength(in, std::min<std::size_t>(left, 255));
        *out++ = value;
        if (run > 1) {  // the value doubled announces a run; its length follows
            *out++ = value;
            *out++ = static_cast<std::uint8_t>(run);
        }
        ++tokens;
        in += run;
        left -= run;
    }
    packets = tokens;
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

// A byte equal to the one after it opens a run; the last byte of the stream
// has none after it, so it is always a single.
Expected<DecodedStream> CPelmoImgCompress_sRLE::Decode(const EncodedStream& in) {
    const std::span<const std::uint8_t> s = in.bytes;
    DecodedStream out;
    std::size_t pos = 0;
    for (std::uint32_t k = 0; k < in.packets; ++k) {
        if (pos >= s.size()) return decode::Fail(pos, decode::EndsIn(k));
        const std::uint8_t value = s[pos];
        std::size_t count = 1;
        if (pos + 1 < s.size() && s[pos + 1] == value) {
            if (pos + 2 >= s.size()) return decode::Fail(pos, decode::EndsIn(k));
            count = s[pos + 2];
            if (count < 2) {
                return decode::Fail(pos + 2, decode::Packet(k) + " has run count " +
                                                 std::to_string(count) + ", below 2");
            }
            pos += 2;
        }
        if (!decode::AppendRun(out, count, value, in.limit)) {
            return decode::Fail(pos, decode::TooLong(in.limit));
        }
        ++pos;
    }
    out.consumed = pos;
    return out;
}

}  // namespace pelmo
