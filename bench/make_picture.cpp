// Writes the synthetic artwork (artwork.hpp) as a 24-bit RGB PNG, or with
// "palette" as a 4-bit PNG of 16 greys (the red of each pixel rounded down to
// a multiple of 16, times 17/16: every pixel keeps its tone level), as pixel
// art for the target is usually drawn.
// Usage: make_picture OUTPUT.png WIDTH HEIGHT [palette]
#include <FreeImage.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "artwork.hpp"

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};

}  // namespace

int main(int argc, char** argv) {
    const bool palette = argc == 5 && std::string(argv[4]) == "palette";
    if (argc != 4 && !palette) {
        std::fputs("usage: make_picture OUTPUT.png WIDTH HEIGHT [palette]\n", stderr);
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (width <= 0 || height <= 0) {
        std::fputs("make_picture: width and height must be positive\n", stderr);
        return 2;
    }
    FreeImage_Initialise(FALSE);
    std::unique_ptr<FIBITMAP, BitmapDeleter> bitmap(
        FreeImage_Allocate(width, height, palette ? 4 : 24));
    if (!bitmap) {
        std::fputs("make_picture: out of memory\n", stderr);
        return 1;
    }
    if (palette) {
        RGBQUAD* colours = FreeImage_GetPalette(bitmap.get());
        for (int i = 0; i < 16; ++i) {
            colours[i].rgbRed = colours[i].rgbGreen = colours[i].rgbBlue =
                static_cast<BYTE>(17 * i);
        }
    }
    std::vector<pelmo::bench::Rgb> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        pelmo::bench::ArtworkRow(width, height, y, row.data());
        // Scan lines count from the bottom of the picture.
        BYTE* line = FreeImage_GetScanLine(bitmap.get(), height - 1 - y);
        if (palette) {
            for (int x = 0; x < width; ++x) {
                const int index = row[x].r >> 4;
                line[x / 2] = static_cast<BYTE>(x % 2 == 0 ? index << 4 : line[x / 2] | index);
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            line[3 * x + FI_RGBA_RED] = row[x].r;
            line[3 * x + FI_RGBA_GREEN] = row[x].g;
            line[3 * x + FI_RGBA_BLUE] = row[x].b;
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap.get(), argv[1], PNG_DEFAULT) != 0;
    bitmap.reset();
    FreeImage_DeInitialise();
    if (!saved) {
        std::fprintf(stderr, "make_picture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
