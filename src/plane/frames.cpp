#include "plane/frames.hpp"

namespace pelmo {

namespace {

std::uint32_t Padded(const ImgOptions& options, std::uint32_t rows) {
    return options.pad ? rows + (8 - rows % 8) % 8 : rows;
}

}  // namespace

SheetCut CutOf(const ImgOptions& options, std::uint32_t width, std::uint32_t pictureHeight) {
    SheetCut cut{true, pictureHeight, Padded(options, pictureHeight), 1};
    if (options.frameWidth == 0) return cut;
    const std::uint32_t w = options.frameWidth;
    const std::uint32_t h = options.frameHeight;
    cut.whole = width % w == 0 && pictureHeight % h == 0 && width > 0 && pictureHeight > 0;
    if (!cut.whole) return cut;
    cut.band = h;
    cut.padded = Padded(options, h);
    cut.bands = pictureHeight / h;
    return cut;
}

FrameGrid GridOf(const ImgOptions& options, std::uint32_t width, std::uint32_t height,
                 std::uint32_t pages) {
    FrameGrid grid{width, height / 8, 1, 1, Interleave::Of(options)};
    if (options.frameWidth != 0 && options.frameWidth <= width) {
        grid.width = options.frameWidth;
        grid.blocks = Padded(options, options.frameHeight) / 8;
        grid.across = width / grid.width;
        grid.down = grid.blocks == 0 ? 0 : height / 8 / grid.blocks;
    } else if (options.allFrames) {
        grid.blocks = height / 8 / pages;
        grid.down = pages;
    }
    return grid;
}

}  // namespace pelmo
