// The packing rules transcribed pixel by pixel, for the fuzz targets to
// compare against: a pixel's byte sits at x * B + s (or s * W + x block by
// block), its bit is 7 - (y mod 8), a lit pixel clears it, and the trims drop
// 0xFF bytes from the front and the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/options.hpp"

// The fuzzers' coverage is of the code under test: the reference's own
// per-pixel branches would only slow them down.
#if defined(__clang__)
#define PELMO_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define PELMO_NO_COVERAGE
#endif

namespace pelmo::fuzz {

struct Packed {
    bool ok = false;
    std::string error;
    std::vector<std::uint8_t> bytes;  // the first `length` bytes
    std::int32_t start = 0;
    std::size_t allocated = 0;
};

// Packs `tones` (w × h tone levels, row-major, the top row first) as the
// options say, or gives the error line Pack prints.
PELMO_NO_COVERAGE Packed ReferencePack(std::size_t w, std::size_t h,
                                       const std::vector<std::uint8_t>& tones, const ImgOptions& o);

}  // namespace pelmo::fuzz
