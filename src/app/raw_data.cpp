#include "app/raw_data.hpp"

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

void ImgRawData::PackFrame(const ImgToneMap& toneMap, std::size_t frame) {
    const std::size_t size = toneMap.grid.FrameBytes();
    const auto first = toneMap.plane.begin() + static_cast<std::ptrdiff_t>(frame * size);
    buffer.assign(first, first + static_cast<std::ptrdiff_t>(size));
    length = static_cast<std::int32_t>(size);
    start = 0;
    if (options.strim) TrimStart(toneMap.grid.planes);
    if (options.etrim) TrimEnd(toneMap.grid.planes);
}

void ImgRawData::TrimStart(std::size_t unit) {
    const auto first = buffer.begin();
    const auto end = first + length;
    const auto blank = std::find_if(first, end, [](std::uint8_t b) { return b != 0xFF; }) - first;
    const auto removed = static_cast<std::int32_t>(blank / static_cast<std::ptrdiff_t>(unit) *
                                                   static_cast<std::ptrdiff_t>(unit));
    if (removed == 0) return;
    std::copy(first + removed, end, first);
    start = removed;
    length -= removed;
}

void ImgRawData::TrimEnd(std::size_t unit) {
    const auto step = static_cast<std::int32_t>(unit);
    const auto blank = [&](std::int32_t at) {
        return std::all_of(buffer.begin() + at, buffer.begin() + at + step,
                           [](std::uint8_t b) { return b == 0xFF; });
    };
    while (length >= step && blank(length - step)) length -= step;
}

}  // namespace pelmo
