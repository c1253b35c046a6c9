#include "image/bitmap_rows.hpp"

#include <bit>
#include <cstring>

#include "image/plane_packing.hpp"

namespace pelmo {

namespace {

static_assert(std::endian::native == std::endian::little,
              "flag words are assembled in little-endian byte order");

bool IsCmyk(FIBITMAP* bitmap) {
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(bitmap);
    return profile != nullptr && (profile->flags & FIICC_COLOR_IS_CMYK) != 0;
}

}  // namespace

bool BitmapRows::ReadsDirectly(FIBITMAP* bitmap) {
    if (FreeImage_GetImageType(bitmap) != FIT_BITMAP) return false;
    switch (FreeImage_GetBPP(bitmap)) {
        case 24:
            return true;
        case 32:
            return !IsCmyk(bitmap);
        case 1:
        case 4:
        case 8:
            return FreeImage_GetPalette(bitmap) != nullptr;
        default:
            return false;
    }
}

BitmapRows::BitmapRows(FIBITMAP* bitmap, std::uint8_t litFrom)
    : bitmap_(bitmap),
      layout_(Layout::Rgb32),
      width_(FreeImage_GetWidth(bitmap)),
      height_(FreeImage_GetHeight(bitmap)),
      litFrom_(litFrom) {
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    if (bpp == 24) layout_ = Layout::Rgb24;
    if (bpp == 32 || bpp == 24) return;

    layout_ = bpp == 8 ? Layout::Palette8 : bpp == 4 ? Layout::Palette4 : Layout::Palette1;
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    const unsigned colours = FreeImage_GetColorsUsed(bitmap);
    for (unsigned i = 0; i < 256; ++i) {
        // The library gives every palette bitmap 2^bpp entries; the guard only
        // keeps the table within whatever it gave.
        const std::uint8_t red = i < colours ? palette[i].rgbRed : 0;
        ofIndex_[i] = red < litFrom ? kUnlit : 0;
    }
    for (unsigned b = 0; b < 256; ++b) {
        // The leftmost pixel sits in the byte's highest bits.
        ofPair_[b] = static_cast<std::uint16_t>(ofIndex_[b >> 4] | ofIndex_[b & 15] << 8);
        std::uint64_t octet = 0;
        for (unsigned k = 0; k < 8; ++k) {
            octet |= std::uint64_t{ofIndex_[(b >> (7 - k)) & 1]} << (8 * k);
        }
        ofOctet_[b] = octet;
    }
}

void BitmapRows::Read(std::uint32_t y, std::uint8_t* flags) const {
    const BYTE* line = FreeImage_GetScanLine(bitmap_, static_cast<int>(height_ - 1 - y));
    const std::uint32_t w = width_;
    const std::uint8_t lit = litFrom_;
    switch (layout_) {
        case Layout::Rgb24:
            for (std::uint32_t x = 0; x < w; ++x) {
                flags[x] = line[3 * x + FI_RGBA_RED] < lit ? kUnlit : 0;
            }
            break;
        case Layout::Rgb32:
            for (std::uint32_t x = 0; x < w; ++x) {
                flags[x] = line[4 * x + FI_RGBA_RED] < lit ? kUnlit : 0;
            }
            break;
        case Layout::Palette8:
            for (std::uint32_t x = 0; x < w; ++x) flags[x] = ofIndex_[line[x]];
            break;
        case Layout::Palette4:
            for (std::uint32_t i = 0; i < (w + 1) / 2; ++i) {
                std::memcpy(flags + 2 * i, &ofPair_[line[i]], 2);
            }
            break;
        case Layout::Palette1:
            for (std::uint32_t i = 0; i < (w + 7) / 8; ++i) {
                std::memcpy(flags + 8 * i, &ofOctet_[line[i]], 8);
            }
            break;
    }
}

}  // namespace pelmo
