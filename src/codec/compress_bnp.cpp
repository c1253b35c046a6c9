#include "codec/compress_bnp.hpp"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/errors.hpp"
#include "codec/run_scan.hpp"

namespace pelmo {

bool CPelmoImgCompress_BNP::CanCompress(const RawBytes& raw) const {
    return FindUnusedByte(raw.buffer.data(), static_cast<std::size_t>(raw.length)).has_value();
}

bool CPelmoImgCompress_BNP::Compress(const RawBytes& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* const begin = BeginOutput(raw, 3 * n);
    const std::uint8_t* in = raw.buffer.data();
    const std::optional<std::uint8_t> found = FindUnusedByte(in, n);
    flag = found ? *found : -1;
    if (!found) {
        PrintError(kNoFlagByte);
        return false;
    }
    const std::uint8_t marker = *found;

    // The run codes of runs 0 and 1 share the nibble byte after run 0's
    // marker (low nibble, high nibble), those of runs 2 and 3 the one after
    // run 2's, and so on.
    std::uint8_t* out = begin;
    std::uint8_t* nibbles = nullptr;  // nibble byte still waiting for its high half
    // Counted in a local: stores through `out` may alias a member, which
    // would otherwise be read back from memory for every token.
    std::int32_t tokens = 0;
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t v = in[i];
        ++tokens;
        if (v != 0x00 && v != 0xFF) {
            *out++ = v;
            ++i;
            continue;
        }
        const std::size_t run = RunLength(in + i, std::min<std::size_t>(n - i, 9));
        i += run;
        if (run == 1) {
            *out++ = v;
            continue;
        }
        const auto code = static_cast<std::uint8_t>(2 * (run - 2) + (v == 0x00 ? 1 : 0));
        *out++ = marker;
        if (nibbles == nullptr) {
            nibbles = out;
            *out++ = code;
        } else {
            *nibbles = static_cast<std::uint8_t>(*nibbles | (code << 4));
            nibbles = nullptr;
        }
    }
    packets = tokens;
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

bool CPelmoImgCompress_BNP::WriteOutput(SourceSink& writer) {
    WriteCommonSymbols(writer);
    writer.WriteSymbol(SymbolKind::Flag, flag);
    writer.WriteData(buffer.data(), size, *this);
    return true;
}

// Markers take turns: the first of each two is followed by the nibble byte
// whose low half codes its run and whose high half codes the next marker's.
Expected<DecodedStream> CPelmoImgCompress_BNP::Decode(const EncodedStream& in) {
    if (in.flag < 1 || in.flag > 254) {
        return decode::Fail(decode::kAtSymbols,
                            "the flag is " + std::to_string(in.flag) + ", not 1 to 254");
    }
    const std::span<const std::uint8_t> s = in.bytes;
    DecodedStream out;
    std::size_t pos = 0;
    std::size_t nibbles = 0;  // the offset of the nibble byte whose high half is still unused
    bool paired = false;      // the next marker uses that high half
    for (std::uint32_t k = 0; k < in.packets; ++k) {
        if (pos >= s.size()) return decode::Fail(pos, decode::EndsIn(k));
        const std::uint8_t b = s[pos];
        std::size_t count = 1;
        std::uint8_t value = b;
        if (b == in.flag) {
            unsigned code = 0;
            if (paired) {
                code = s[nibbles] >> 4;
            } else {
                if (pos + 1 >= s.size()) return decode::Fail(pos, decode::EndsIn(k));
                nibbles = ++pos;
                code = s[nibbles] & 0x0Fu;
            }
            paired = !paired;
            count = code / 2 + 2;
            value = (code & 1u) != 0 ? 0x00 : 0xFF;
        }
        if (!decode::AppendRun(out, count, value, in.limit)) {
            return decode::Fail(pos, decode::TooLong(in.limit));
        }
        ++pos;
    }
    if (paired && (s[nibbles] >> 4) != 0) {
        return decode::Fail(nibbles, "the last run has no partner, but its nibble byte codes one");
    }
    out.consumed = pos;
    return out;
}

}  // namespace pelmo
