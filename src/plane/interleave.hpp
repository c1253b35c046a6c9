// Planes whose bytes take turns in one stream: with n planes, byte i of plane
// p is byte n * i + p of the stream, so that a group of n bytes holds the same
// eight pixels of every plane. A sprite and its mask (-plusmask) are two such
// planes; a single plane is the plain case. The packer lays planes out this
// way, the trimmer removes only whole groups, and the renderer takes the
// planes apart again, all through this one definition.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/img_options.hpp"

namespace pelmo {

struct Interleave {
    std::size_t planes = 1;

    // The planes that `options` make, side by side as they travel from the
    // decoder (see PlaneSet).
    static Interleave Of(const ImgOptions& options);

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

// The planes a conversion makes of a picture, in the order they are made and
// written: those -planes lists; -plusmask's sprite (the plane -dim chooses)
// and mask; or the one plane that -dim or -mask choose.
struct PlaneSet {
    std::array<PlaneKind, 3> kinds{};
    std::size_t count = 1;
    // The tone planes are off where the picture is less than half opaque:
    // with -alpha, or beside a mask.
    bool cut = false;
    // Written as one stream under the usual names, their bytes side by side
    // (-plusmask, -interleave; a single plane), not each plane as a stream
    // of its own named after it (-planes).
    bool together = true;

    static PlaneSet Of(const ImgOptions& options) {
        PlaneSet set;
        const PlaneKind tone = options.dim ? PlaneKind::Dim : PlaneKind::Full;
        if (options.planeCount > 0) {
            set.count = options.planeCount;
            std::copy_n(options.planes.begin(), set.count, set.kinds.begin());
            set.together = options.interleave;
        } else if (options.plusmask) {
            set.count = 2;
            set.kinds = {tone, PlaneKind::Mask};
        } else {
            set.kinds[0] = options.mask ? PlaneKind::Mask : tone;
        }
        set.cut = options.alpha || set.Has(PlaneKind::Mask);
        return set;
    }
    bool Has(PlaneKind kind) const {
        return std::find(kinds.begin(), kinds.begin() + static_cast<std::ptrdiff_t>(count), kind) !=
               kinds.begin() + static_cast<std::ptrdiff_t>(count);
    }
    // As the planes travel from the decoder, and as each stream is written.
    Interleave Carried() const { return {count}; }
    Interleave Written() const { return {together ? count : 1}; }
};

inline Interleave Interleave::Of(const ImgOptions& options) {
    return PlaneSet::Of(options).Carried();
}

}  // namespace pelmo
