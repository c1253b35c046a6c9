// The input picture reduced to tone levels: 0 off, 1 dim, 2 full.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/child_process.hpp"

namespace pelmo {

// Tone level of a pixel from its red component.
constexpr std::uint8_t ToneOf(std::uint8_t red) {
    return red >= 192 ? 2 : red >= 128 ? 1 : 0;
}

class ImgToneMap {
  public:
    // Row-major, row 0 at the top as displayed: pixel (x, y) is at y * width + x.
    std::vector<std::uint8_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;  // a multiple of 8 after a successful Load

    // Loads `fileName`, the decoder chosen by its extension alone. On failure
    // prints one "Error, ..." line on standard error and returns false.
    bool Load(const std::string& fileName);

  private:
    // The decoding process of the last Load, left to release its memory
    // while the conversion goes on; collected when the map goes.
    ChildProcess decoder_;
};

}  // namespace pelmo
