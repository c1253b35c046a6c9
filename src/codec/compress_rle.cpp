#include "codec/compress_rle.hpp"

#include <algorithm>

#include "codec/run_scan.hpp"
#include "image/raw_data.hpp"

namespace pelmo {

bool CPelmoImgCompress_RLE::Compress(const ImgRawData& raw) {
    const auto n = static_cast<std::size_t>(raw.length);
    std::uint8_t* const begin = BeginOutput(raw, 2 * n);  // one pair per byte at worst
    std::uint8_t* out = begin;
    const std::uint8_t* in = raw.buffer.data();
    std::size_t left = n;
    while (left > 0) {
        const std::size_t run = RunLength(in, std::min<std::size_t>(left, 255));
        *out++ = static_cast<std::uint8_t>(run);
        *out++ = *in;
        ++packets;
        in += run;
        left -= run;
    }
    size = static_cast<std::int32_t>(out - begin);
    return true;
}

}  // namespace pelmo
