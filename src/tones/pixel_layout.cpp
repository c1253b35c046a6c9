#include "tones/pixel_layout.hpp"

namespace pelmo {

namespace {

PixelLayout LayoutOfDepth(unsigned bpp) {
    switch (bpp) {
        case 24:
            return PixelLayout::Rgb24;
        case 32:
            return PixelLayout::Rgb32;
        case 8:
            return PixelLayout::Palette8;
        case 4:
            return PixelLayout::Palette4;
        default:
            return PixelLayout::Palette1;
    }
}

bool IsCmyk(FIBITMAP* bitmap) {
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(bitmap);
    return profile != nullptr && (profile->flags & FIICC_COLOR_IS_CMYK) != 0;
}

}  // namespace

BitmapLayout::BitmapLayout(FIBITMAP* bitmap) {
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    pixels_ = LayoutOfDepth(bpp);
    const bool standard = FreeImage_GetImageType(bitmap) == FIT_BITMAP;
    if (IndexBits(pixels_) == 0) {
        readable_ = standard && !(bpp == 32 && IsCmyk(bitmap));
        return;
    }
    palette_ = FreeImage_GetPalette(bitmap);
    colours_ = palette_ != nullptr ? FreeImage_GetColorsUsed(bitmap) : 0;
    readable_ = standard && IndexBits(pixels_) == bpp && palette_ != nullptr;
}

}  // namespace pelmo
