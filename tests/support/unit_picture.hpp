// Writes small pictures with the image library, for the loader's tests.
#pragma once

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pelmo::unit {

struct Colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

// How the picture is stored in the file.
enum class PixelDepth {
    Rgb24,     // 24 bits per pixel, alpha ignored
    Rgba32,    // 32 bits per pixel with alpha
    Palette8,  // 8-bit palette of the distinct colours (at most 256), alpha ignored
};

// Colour of pixel (x, y); y = 0 is the top row as displayed.
using PixelFunction = std::function<Colour(int x, int y)>;

// Saves a `width` × `height` picture as `format` to `path`; false when the
// library refuses.
bool SavePicture(const std::string& path, FREE_IMAGE_FORMAT format, int width, int height,
                 const PixelFunction& pixel, PixelDepth depth = PixelDepth::Rgb24);

// A picture file's pixels as grey levels, top row first; no pixels when the
// library cannot read it.
struct GreyPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values;  // row-major
};
GreyPixels LoadGreyPicture(const std::string& path);

// `fresh`, a picture as the programs make it now, is the picture `name`
// committed in the folder `docs`, pixel for pixel.
::testing::AssertionResult SameAsCommitted(const GreyPixels& fresh, const std::string& docs,
                                           const std::string& name);

}  // namespace pelmo::unit
