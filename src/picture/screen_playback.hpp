// A GIF's frames as they are shown, drawn one over the other on its screen
// as the image library's own playback draws them: the screen starts as the
// background colour (the global colour table's entry that the screen names,
// fully transparent; transparent black without one); a frame's pixels other
// than its transparent colour cover the screen where the frame lies, fully
// opaque; once a frame has been shown, its disposal leaves it there (none,
// unspecified), clears its place to the background colour (so does a frame
// without graphic control), or takes it back (previous). A frame that
// reaches past the screen is cut at its edges (the library's playback writes
// it past the end of its rows).
//
// The library's playback decodes every frame before the one it shows, for
// each frame: a cost that grows with the frames squared. Here each frame is
// decoded once, alone, and drawn over what the frames before it left.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <vector>

#include "picture/bitmap.hpp"
#include "picture/formats/facts.hpp"

namespace pelmo {

class ScreenPlayback {
  public:
    ScreenPlayback(const Document& document, std::uint32_t width, std::uint32_t height);

    // Draws `frame`, a frame as the library decodes it alone (8 bits a
    // pixel, its palette, its transparent colour, its place and disposal;
    // cleared to the background once shown when `cleared`), and returns the
    // screen as shown then; null when the screen could not be made or the
    // frame is not such a bitmap.
    FIBITMAP* Draw(FIBITMAP* frame, bool cleared);
    // Disposes of the frame last drawn, once it has been shown.
    void Dispose();

  private:
    // The part of the screen the last frame covers, clipped to the screen.
    struct Place {
        std::uint32_t left = 0, top = 0, width = 0, height = 0;
    };
    RGBQUAD* Row(std::uint32_t y) const;

    Bitmap screen_;
    std::uint32_t width_;
    std::uint32_t height_;
    RGBQUAD background_{};
    Place place_;
    unsigned disposal_ = 0;
    std::vector<RGBQUAD> under_;  // what the last frame covered, to take it back
};

}  // namespace pelmo
