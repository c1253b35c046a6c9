#include "image/bitmap_rows.hpp"

#include <bit>

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
    // The library gives every palette bitmap 2^bpp entries; the guard only
    // keeps the lookups within whatever it gave.
    const auto unlit = [&](unsigned index) -> unsigned {
        return (index < colours ? palette[index].rgbRed : 0) < litFrom ? 1 : 0;
    };
    for (unsigned b = 0; b < 256; ++b) {
        unsigned bits = 0;
        if (bpp == 8) {
            bits = unlit(b);
        } else if (bpp == 4) {
            bits = unlit(b >> 4) << 1 | unlit(b & 15);
        } else {
            for (unsigned k = 0; k < 8; ++k) bits |= unlit((b >> (7 - k)) & 1) << (7 - k);
        }
        unlitBits_[b] = static_cast<std::uint8_t>(bits);
    }
}

namespace {

// The bits of `count` (up to eight) pixels whose red components lie `step`
// bytes apart from `red` on, the first in bit 7.
std::uint8_t RedBits(const BYTE* red, unsigned step, unsigned count, std::uint8_t litFrom) {
    unsigned bits = 0;
    for (unsigned k = 0; k < count; ++k) bits |= (red[step * k] < litFrom ? 1u : 0u) << (7 - k);
    return static_cast<std::uint8_t>(bits);
}

}  // namespace

void BitmapRows::Read(std::uint32_t y, std::uint8_t* bits) const {
    const BYTE* line = FreeImage_GetScanLine(bitmap_, static_cast<int>(height_ - 1 - y));
    const std::uint32_t w = width_;
    const std::uint32_t whole = w / 8;  // groups of eight pixels
    const std::uint32_t rest = w % 8;
    const auto& table = unlitBits_;
    switch (layout_) {
        case Layout::Rgb24:
        case Layout::Rgb32: {
            const unsigned step = layout_ == Layout::Rgb24 ? 3 : 4;
            const BYTE* red = line + FI_RGBA_RED;
            for (std::uint32_t j = 0; j < whole; ++j) {
                bits[j] = RedBits(red + 8 * step * j, step, 8, litFrom_);
            }
            if (rest != 0) bits[whole] = RedBits(red + 8 * step * whole, step, rest, litFrom_);
            break;
        }
        case Layout::Palette8:
            for (std::uint32_t j = 0; j < whole; ++j) {
                const BYTE* p = line + 8 * j;
                bits[j] = static_cast<std::uint8_t>(
                    table[p[0]] << 7 | table[p[1]] << 6 | table[p[2]] << 5 | table[p[3]] << 4 |
                    table[p[4]] << 3 | table[p[5]] << 2 | table[p[6]] << 1 | table[p[7]]);
            }
            if (rest != 0) {
                unsigned last = 0;
                for (unsigned k = 0; k < rest; ++k) last |= table[line[8 * whole + k]] << (7 - k);
                bits[whole] = static_cast<std::uint8_t>(last);
            }
            break;
        case Layout::Palette4:
            for (std::uint32_t j = 0; j < whole; ++j) {
                const BYTE* p = line + 4 * j;
                bits[j] = static_cast<std::uint8_t>(table[p[0]] << 6 | table[p[1]] << 4 |
                                                    table[p[2]] << 2 | table[p[3]]);
            }
            if (rest != 0) {
                unsigned last = 0;
                for (unsigned k = 0; k < (rest + 1) / 2; ++k) {
                    last |= table[line[4 * whole + k]] << (6 - 2 * k);
                }
                bits[whole] = static_cast<std::uint8_t>(last);
            }
            break;
        case Layout::Palette1:
            for (std::uint32_t j = 0; j < whole + (rest != 0 ? 1 : 0); ++j)
                bits[j] = table[line[j]];
            break;
    }
}

}  // namespace pelmo
