#include "codec/compress_srle.hpp"

#include <algorithm>

#include "codec/run_scan.hpp"
#include "image/raw_data.hpp"

namespace pelmo {

bool CPelmoImgCompress_sRLE::Compress(const ImgRawData& raw) {
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

}  // namespace pelmo
