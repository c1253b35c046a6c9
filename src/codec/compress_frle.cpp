#include "codec/compress_frle.hpp"

#include <algorithm>
#include <cstdio>

#include "codec/run_scan.hpp"
#include "image/raw_data.hpp"

namespace pelmo {

bool CPelmoImgCompress_fRLE::Compress(const ImgRawData& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* const begin = BeginOutput(raw, 2 * n);  // never more than n + 1
    const std::uint8_t* in = raw.buffer.data();
    const int found = FindUnusedByte(in, n);
    if (found < 0) {
        std::fputs("Error, can't find unused byte value in data.\n", stderr);
        return false;
    }
    const auto flag = static_cast<std::uint8_t>(found);
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

}  // namespace pelmo
