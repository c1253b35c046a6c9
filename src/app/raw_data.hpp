// One tone plane packed into bytes of eight vertically stacked pixels, and
// trimmed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/tone_map.hpp"
#include "base/img_options.hpp"
#include "base/raw_bytes.hpp"
#include "plane/interleave.hpp"

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

    // Copies frame `frame` of the frames that `toneMap` loaded (see
    // FrameGrid), its planes side by side or only plane `plane`, and trims
    // it as `options` ask; of planes side by side only whole groups of blank
    // bytes are trimmed (a blank sprite byte and a blank mask byte with
    // -plusmask).
    void PackFrame(const ImgToneMap& toneMap, std::size_t frame,
                   std::optional<std::size_t> plane = std::nullopt);

    // Takes `bytes` as the stream (a font's glyph data) and trims it as
    // `options` ask.
    void TakeBytes(std::vector<std::uint8_t> bytes);

  private:
    // Trims as `options` ask, whole groups of the interleaved planes at a time.
    void Trim(const Interleave& interleave);
};

}  // namespace pelmo
