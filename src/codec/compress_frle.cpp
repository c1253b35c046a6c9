#include "codec/compress_frle.hpp"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/errors.hpp"
#include "codec/run_scan.hpp"

namespace pelmo {

bool CPelmoImgCompress_fRLE::CanCompress(const RawBytes& raw) const {
    return FindUnusedByte(raw.buffer.data(), static_cast<std::size_t>(raw.length)).has_value();
}

bool CPelmoImgCompress_fRLE::Compress(const RawBytes& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    // The flag, then no more than a byte for each: two literals are two
    // bytes, and a run of three or more takes three.
    std::uint8_t* const begin = BeginOutput(raw, n + 1);
    const std::uint8_t* in = raw.buffer.data();
    const std::optional<std::uint8_t> found = FindUnusedByte(in, n);
    if (!found) {
        PrintError(kNoFlagByte);
        return false;
    }
    const std::uint8_t flag = *found;
    std::uint8_t* out = begin;
    *out++ = flag;
    // Counted in a local: stores through `out` may alias a member, which
    // would otherwise be read back from memory for every token.
    std::int32_t tokens = 0;
    std::size_t left = n;
    while (left > 0) {
        const std::uint8_t value = *in;
        const std::size_t run = RunLength(in, std::min<std::size_t>(left, 255));
        if (run >= 3) {
            *out++ = flag;
            *out++ = static_cast<std::uint8_t>(run);
            *out++ = value;
            ++tokens;
        } else {  // one or two literals
            for (std::size_t k = 0; k < run; ++k) *out++ = value;
            tokens += static_cast<std::int32_t>(run);
        }
        in += run;
        left -= run;
    }
    packets = tokens;
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

Expected<DecodedStream> CPelmoImgCompress_fRLE::Decode(const EncodedStream& in) {
    const std::span<const std::uint8_t> s = in.bytes;
    if (s.empty()) return decode::Fail(0, "the flag byte is missing");
    const std::uint8_t flag = s[0];
    if (flag == 0x00 || flag == 0xFF) {
        return decode::Fail(0, "the flag byte is " + std::to_string(flag) + ", not 1 to 254");
    }
    DecodedStream out;
    std::size_t pos = 1;
    for (std::uint32_t k = 0; k < in.packets; ++k) {
        if (pos >= s.size()) return decode::Fail(pos, decode::EndsIn(k));
        std::size_t count = 1;
        std::uint8_t value = s[pos];
        if (value == flag) {  // flag, count, value; the count may equal the flag
            if (s.size() - pos < 3) return decode::Fail(pos, decode::EndsIn(k));
            count = s[pos + 1];
            value = s[pos + 2];
            if (count < 3) {
                return decode::Fail(pos + 1, decode::Packet(k) + " has run count " +
                                                 std::to_string(count) + ", below 3");
            }
            if (value == flag)
                return decode::Fail(pos + 2, decode::Packet(k) + " repeats the flag");
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
