// One tone plane packed into bytes of eight vertically stacked pixels, and
// trimmed.
#pragma once

#include <cstdint>
#include <vector>

#include "app/options.hpp"
#include "image/tone_map.hpp"

namespace pelmo {

class ImgRawData {
  public:
    // Packed bytes; a set bit is an unlit pixel, so 0xFF is a blank byte. The
    // row at the top of an 8-row block sits in bit 7. Trimming only lowers
    // `length`.
    std::vector<std::uint8_t> buffer;
    std::int32_t length = 0;  // valid bytes at the front of `buffer`
    std::int32_t start = 0;   // blank bytes removed from the front by -strim
    ImgOptions options;

    explicit ImgRawData(const ImgOptions& opts) : options(opts) {}

    // Takes over the plane that `toneMap` loaded (packed with the same
    // options) and trims it as `options` asks. On failure prints one
    // "Error, ..." line on standard error and returns false.
    bool Pack(ImgToneMap& toneMap);

  private:
    void TrimStart();
    void TrimEnd();
};

}  // namespace pelmo
