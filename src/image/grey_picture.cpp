#include "image/grey_picture.hpp"

#include <FreeImage.h>

#include <algorithm>

#include "app/ascii.hpp"

namespace pelmo {

namespace {

struct Extension {
    std::string_view text;
    PictureFormat format;
};

constexpr Extension kExtensions[] = {{".png", PictureFormat::Png},
                                     {".bmp", PictureFormat::Bmp},
                                     {".tga", PictureFormat::Tga},
                                     {".tif", PictureFormat::Tiff},
                                     {".tiff", PictureFormat::Tiff}};

}  // namespace

std::optional<PictureFormat> PictureFormatOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    for (const Extension& e : kExtensions) {
        if (EqualsIgnoreCase(fileName.substr(dot), e.text)) return e.format;
    }
    return std::nullopt;
}

void GreyPicture::FreeBitmap::operator()(FIBITMAP* bitmap) const {
    FreeImage_Unload(bitmap);
}

void GreyPicture::CloseMemory::operator()(FIMEMORY* memory) const {
    FreeImage_CloseMemory(memory);
}

bool GreyPicture::Allocate(std::int32_t width, std::int32_t height) {
    encoded_.reset();
    bitmap_.reset(FreeImage_Allocate(width, height, 8));
    if (!bitmap_) return false;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap_.get());
    for (unsigned i = 0; i < 256; ++i) {
        const auto v = static_cast<BYTE>(i);
        palette[i] = {v, v, v, 0};
    }
    // The library starts its bitmaps black, but says nothing of it.
    for (std::int32_t y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap_.get(), y);
        std::fill(row, row + width, BYTE{0});
    }
    return true;
}

PixelRows GreyPicture::Rows() const {
    // The library keeps the bottom row first.
    const auto height = static_cast<int>(FreeImage_GetHeight(bitmap_.get()));
    return {FreeImage_GetScanLine(bitmap_.get(), height - 1),
            -static_cast<std::ptrdiff_t>(FreeImage_GetPitch(bitmap_.get()))};
}

bool GreyPicture::Encode(PictureFormat format) {
    encoded_.reset(FreeImage_OpenMemory());
    if (!encoded_) return false;
    FREE_IMAGE_FORMAT library = FIF_PNG;
    int flags = PNG_Z_BEST_SPEED;
    switch (format) {
        case PictureFormat::Png:
            break;
        case PictureFormat::Bmp:
            library = FIF_BMP;
            flags = BMP_DEFAULT;
            break;
        case PictureFormat::Tga:
            library = FIF_TARGA;
            flags = TARGA_DEFAULT;
            break;
        case PictureFormat::Tiff:
            library = FIF_TIFF;
            flags = TIFF_DEFAULT;
            break;
    }
    return FreeImage_SaveToMemory(library, bitmap_.get(), encoded_.get(), flags) != FALSE;
}

std::span<const std::uint8_t> GreyPicture::Encoded() const {
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!encoded_ || !FreeImage_AcquireMemory(encoded_.get(), &data, &size)) return {};
    return {data, size};
}

}  // namespace pelmo
