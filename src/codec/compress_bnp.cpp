#include "codec/compress_bnp.hpp"

#include <algorithm>
#include <cstdio>

#include "asm/asm_writer.hpp"
#include "codec/run_scan.hpp"
#include "image/raw_data.hpp"

namespace pelmo {

bool CPelmoImgCompress_BNP::Compress(const ImgRawData& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* const begin = BeginOutput(raw, 3 * n);
    const std::uint8_t* in = raw.buffer.data();
    flag = FindUnusedByte(in, n);
    if (flag < 0) {
        std::fputs("Error, can't find unused byte value in data.\n", stderr);
        return false;
    }
    const auto marker = static_cast<std::uint8_t>(flag);

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

bool CPelmoImgCompress_BNP::WriteOutput(ImgAsmWriter& writer) {
    WriteCommonSymbols(writer);
    writer.WriteSymbol(SymbolKind::Flag, flag);
    writer.WriteData(buffer.data(), size, *this);
    return true;
}

}  // namespace pelmo
