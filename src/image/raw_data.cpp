#include "image/raw_data.hpp"

#include <algorithm>
#include <utility>

#include "base/errors.hpp"

namespace pelmo {

bool ImgRawData::Pack(ImgToneMap& toneMap) {
    buffer = std::vector<std::uint8_t>();
    const std::int32_t w = toneMap.width;
    const std::int32_t h = toneMap.height;
    // Both fit 32 bits and so does their product: the picture was loaded.
    length = static_cast<std::int32_t>((std::int64_t{w} * h) >> 3);
    start = 0;
    // Only the loader's own checks keep such maps out.
    if (w == 0 || h == 0 || h % 8 != 0 ||
        toneMap.plane.size() != static_cast<std::size_t>(length)) {
        length = 0;
        PrintError("Error, invalid image dimensions.\n");
        return false;
    }
    buffer = std::move(toneMap.plane);
    toneMap.plane = std::vector<std::uint8_t>();
    if (options.strim) TrimStart();
    if (options.etrim) TrimEnd();
    return true;
}

void ImgRawData::TrimStart() {
    const auto first = buffer.begin();
    const auto end = first + length;
    const auto kept = std::find_if(first, end, [](std::uint8_t b) { return b != 0xFF; });
    const auto removed = static_cast<std::int32_t>(kept - first);
    if (removed == 0) return;
    std::copy(kept, end, first);
    start = removed;
    length -= removed;
}

void ImgRawData::TrimEnd() {
    while (length > 0 && buffer[static_cast<std::size_t>(length) - 1] == 0xFF) --length;
}

}  // namespace pelmo
