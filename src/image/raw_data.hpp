// One tone plane packed into bytes of eight vertically stacked pixels, and
// trimmed.
#pragma once

#include <cstdint>
#include <vector>

#include "base/img_options.hpp"
#include "base/raw_bytes.hpp"
#include "image/tone_map.hpp"

namespace pelmo {

// The packed bitmap: `buffer`, `length` and `start` (RawBytes), and its copy
// of the options. Trimming only lowers `length`.
class ImgRawData : public RawBytes {
  public:
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
