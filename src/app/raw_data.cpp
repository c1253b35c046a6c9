#include "app/raw_data.hpp"

#include <algorithm>
#include <span>
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
    Trim(Interleave());
    return true;
}

void ImgRawData::PackFrame(const ImgToneMap& toneMap, std::size_t frame,
                           std::optional<std::size_t> plane) {
    const std::size_t size = toneMap.grid.FrameBytes();
    const std::span<const std::uint8_t> bytes(toneMap.plane.data() + frame * size, size);
    const Interleave& carried = toneMap.grid.interleave;
    if (plane) {
        buffer = carried.Take(bytes, *plane);
    } else {
        buffer.assign(bytes.begin(), bytes.end());
    }
    length = static_cast<std::int32_t>(buffer.size());
    start = 0;
    Trim(plane ? Interleave() : carried);
}

void ImgRawData::TakeBytes(std::vector<std::uint8_t> bytes) {
    buffer = std::move(bytes);
    length = static_cast<std::int32_t>(buffer.size());
    start = 0;
    Trim(Interleave());
}

void ImgRawData::Trim(const Interleave& interleave) {
    const auto valid = [&] {
        return std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(length));
    };
    if (options.strim) {
        const auto removed = static_cast<std::int32_t>(interleave.BlankAtStart(valid()));
        std::copy(buffer.begin() + removed, buffer.begin() + length, buffer.begin());
        start = removed;
        length -= removed;
    }
    if (options.etrim) length -= static_cast<std::int32_t>(interleave.BlankAtEnd(valid()));
}

}  // namespace pelmo
