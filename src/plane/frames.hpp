// How -frames and -pad turn a picture's rows into the plane's blocks, and the
// plane into the planes of its frames.
#pragma once

#include <cstdint>

#include "base/img_options.hpp"
#include "plane/plane_layout.hpp"

namespace pelmo {

// A picture's rows in bands, one band for each row of frames (the whole
// picture without -frames): each band's rows, then off rows up to its padded
// height with -pad.
struct SheetCut {
    bool whole = true;         // the picture holds a whole number of frames
    std::uint32_t band = 0;    // picture rows per band
    std::uint32_t padded = 0;  // plane rows per band: `band`, with -pad up to a multiple of 8
    std::uint32_t bands = 0;

    std::uint32_t Height() const { return bands * padded; }
    // The picture row that plane row `row` shows, or -1 for an off row of -pad.
    std::int64_t PictureRow(std::uint32_t row) const {
        const std::uint32_t inBand = row % padded;
        return inBand < band ? std::int64_t{row / padded} * band + inBand : -1;
    }
};

// The cut of a picture (or of one page of -frames all) of `width` x
// `pictureHeight` pixels.
SheetCut CutOf(const ImgOptions& options, std::uint32_t width, std::uint32_t pictureHeight);

// The frames of a plane of `width` x `height` pixels (a multiple of 8) that
// was made as `options` say; `pages` (at least 1) is the number of pages of
// -frames all, stacked top to bottom.
FrameGrid GridOf(const ImgOptions& options, std::uint32_t width, std::uint32_t height,
                 std::uint32_t pages);

}  // namespace pelmo
