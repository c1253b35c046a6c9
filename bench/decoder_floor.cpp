// The decoder alone: what every conversion must pay. Loads the picture with
// the image library and reads each pixel's red value from the bitmap as
// decoded (through the palette where there is one); nothing else.
// Usage: pelmo_decoder_floor PICTURE.png   (prints the sum of the red values)
#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "picture/bitmap.hpp"

using pelmo::Bitmap;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: pelmo_decoder_floor PICTURE.png\n", stderr);
        return 2;
    }
    FreeImage_Initialise(FALSE);
    Bitmap bitmap(FreeImage_Load(FIF_PNG, argv[1], 0));
    if (!bitmap) {
        std::fprintf(stderr, "pelmo_decoder_floor: cannot load %s\n", argv[1]);
        return 1;
    }
    const unsigned width = FreeImage_GetWidth(bitmap.get());
    const unsigned height = FreeImage_GetHeight(bitmap.get());
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
    // One tight loop per kind of bitmap, so that the floor is as fast as
    // reading the pixels can be.
    std::uint64_t sum = 0;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(bitmap.get(), static_cast<int>(y));
        if (bpp == 1) {
            for (unsigned x = 0; x < width; ++x)
                sum += palette[(line[x / 8] >> (7 - x % 8)) & 1].rgbRed;
        } else if (bpp == 4) {
            for (unsigned x = 0; x + 1 < width; x += 2) {
                sum += palette[line[x / 2] >> 4].rgbRed + palette[line[x / 2] & 15].rgbRed;
            }
            if (width % 2 != 0) sum += palette[line[width / 2] >> 4].rgbRed;
        } else if (bpp == 8) {
            for (unsigned x = 0; x < width; ++x) sum += palette[line[x]].rgbRed;
        } else {
            const unsigned step = bpp / 8;
            for (unsigned x = 0; x < width; ++x) sum += line[step * x + FI_RGBA_RED];
        }
    }
    bitmap.reset();
    FreeImage_DeInitialise();
    std::printf("%llu\n", static_cast<unsigned long long>(sum));
    return 0;
}
