// The packed bytes of a tone plane, as the codecs read them.
#pragma once

#include <cstdint>
#include <vector>

namespace pelmo {

// A set bit is an unlit pixel, so 0xFF is a blank byte; the row at the top
// of an 8-row block sits in bit 7. The packed bitmap (ImgRawData) is one of
// these; a codec reads nothing else of it.
struct RawBytes {
    std::vector<std::uint8_t> buffer;
    std::int32_t length = 0;  // valid bytes at the front of `buffer`
    std::int32_t start = 0;   // blank bytes removed from the front by -strim
};

}  // namespace pelmo
