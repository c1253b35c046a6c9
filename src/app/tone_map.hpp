// The input picture, reduced to the tone plane that the options choose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/child_process.hpp"
#include "base/img_options.hpp"
#include "plane/plane_layout.hpp"
#include "tones/stray_pixels.hpp"

namespace pelmo {

// Loading classifies every pixel by its red component and keeps only what the
// conversion needs of it: the chosen plane (the full plane, or the dim plane
// with -dim), packed eight vertical pixels to a byte in the order that
// -unflip and -xorder choose (see plane/plane_packing.hpp). Decoding and
// packing run in a child process; this process never holds a map of the
// whole picture.
class ImgToneMap {
  public:
    ImgOptions options;
    std::int32_t width = 0;
    std::int32_t height = 0;  // a multiple of 8 after a successful Load
    // The picture's own height, which -pad made up to `height` with off rows.
    std::int32_t pictureHeight = 0;
    // width * height / 8 packed bytes (twice as many with -plusmask), before
    // any trimming: with -frames the planes of the frames one after the
    // other, as `grid` says.
    std::vector<std::uint8_t> plane;
    FrameGrid grid;
    // -tones: the pixels that are none of its colours.
    StrayPixels strays;

    explicit ImgToneMap(const ImgOptions& opts = ImgOptions()) : options(opts) {}

    // Loads `fileName`, the decoder chosen by its extension alone. On failure
    // prints one "Error, ..." line on standard error and returns false.
    bool Load(const std::string& fileName);

  private:
    // The decoding process of the last Load, left to release its memory
    // while the conversion goes on; collected when the map goes.
    ChildProcess decoder_;
};

// The warning line on the `strays` of the picture `fileName`, which took
// the tones of the nearest -tones colours; empty when there are none.
std::string StrayWarning(const StrayPixels& strays, const std::string& fileName);

}  // namespace pelmo
