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
    std::size_t left = n;
    while (left > 0) {
        const std::size_t run = RunLength(in, std::min<std::size_t>(left, 255));
        *out++ = *in;
        if (run > 1) {  // the value doubled announces a run; its length follows
            *out++ = *in;
            *out++ = static_cast<std::uint8_t>(run);
        }
        ++packets;
        in += run;
        left -= run;
    }
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

}  // namespace pelmo
