// Tone maps for the packing tests, made from tone levels by the same two
// steps that decoding takes (PackBlock in the child, BlockPlacer in the
// parent), and packed planes read back through the renderer's unpacker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/options.hpp"
#include "app/tone_map.hpp"

namespace pelmo::unit {

// A map as a successful Load leaves it: `tones` holds width × height tone
// levels, row-major, the top row first; the plane is the one `options` chooses.
ImgToneMap ToneMapOf(int width, int height, const std::vector<std::uint8_t>& tones,
                     const ImgOptions& options);

// Checks a packed plane against the tone levels it was made from (as for
// ToneMapOf): the `kept` bytes after `start` trimmed ones, read back through
// the renderer's unpacker, light exactly the pixels whose tone reaches the
// plane that `options` chooses, and -strim and -etrim cut every blank byte at
// their end of the plane and nothing else. Empty when so, else what is wrong.
std::string CheckPacked(std::span<const std::uint8_t> kept, std::size_t start,
                        const ImgOptions& options, int width, int height,
                        const std::vector<std::uint8_t>& tones);

// A picture file loaded twice, for the full and the dim plane, and turned back
// into tone levels (row-major, top row first): 2 where lit in the full plane,
// 1 where lit in the dim plane only, 0 elsewhere; the tones as the tone
// options of `tones` (-luma, -levels, -invert, -dither) decide them. `ok` only
// if both loads succeeded; `out` and `err` are what the loads printed.
struct LoadedTones {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> tones;
    std::string out;
    std::string err;
};
LoadedTones LoadTones(const std::string& fileName, const ImgOptions& tones = {});

}  // namespace pelmo::unit
