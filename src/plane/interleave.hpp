// Planes whose bytes take turns in one stream: with n planes, byte i of plane
// p is byte n * i + p of the stream, so that a group of n bytes holds the same
// eight pixels of every plane. A sprite and its mask (-plusmask) are two such
// planes; a single plane is the plain case. The packer lays planes out this
// way, the trimmer removes only whole groups, and the renderer takes the
// planes apart again, all through this one definition.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/img_options.hpp"

namespace pelmo {

struct Interleave {
    std::size_t planes = 1;

    // The planes that `options` interleave: the sprite and its mask with
    // -plusmask, the one plane otherwise.
    static Interleave Of(const ImgOptions& options) { return {options.plusmask ? 2u : 1u}; }

    // The stream bytes of `perPlane` bytes of each plane.
    std::size_t Bytes(std::size_t perPlane) const { return perPlane * planes; }
    // Where byte `byte` of plane `plane` lies in the stream.
    std::size_t Index(std::size_t byte, std::size_t plane) const { return byte * planes + plane; }
    // True when `count` stream bytes are whole groups.
    bool Whole(std::size_t count) const { return count % planes == 0; }

    // The bytes of plane `plane` in `stream`.
    std::vector<std::uint8_t> Take(std::span<const std::uint8_t> stream, std::size_t plane) const {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(stream.size() / planes + 1);
        for (std::size_t k = plane; k < stream.size(); k += planes) bytes.push_back(stream[k]);
        return bytes;
    }

    // The stream bytes of the whole groups of blank bytes (0xFF in every
    // plane) at the front of `stream` (whole groups from its start on), and
    // at its end (a stream of whole groups): what trimming takes.
    std::size_t BlankAtStart(std::span<const std::uint8_t> stream) const {
        const auto blank =
            std::find_if(stream.begin(), stream.end(), [](std::uint8_t b) { return b != 0xFF; }) -
            stream.begin();
        return static_cast<std::size_t>(blank) / planes * planes;
    }
    std::size_t BlankAtEnd(std::span<const std::uint8_t> stream) const {
        const auto blank =
            std::find_if(stream.rbegin(), stream.rend(), [](std::uint8_t b) { return b != 0xFF; }) -
            stream.rbegin();
        return static_cast<std::size_t>(blank) / planes * planes;
    }
};

}  // namespace pelmo
