#include "render/grey_picture.hpp"

#include <algorithm>

namespace pelmo {

FREE_IMAGE_FORMAT WritableFormatOf(std::string_view fileName) {
    const PictureExtension* found = FindPictureExtension(ExtensionOf(fileName));
    return found != nullptr && found->writable ? found->format : FIF_UNKNOWN;
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
    // The pixels are all painted; the padding that ends each row in BMP and
    // TGA files is cleared here.
    const unsigned pitch = FreeImage_GetPitch(bitmap_.get());
    for (std::int32_t y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap_.get(), y);
        std::fill(row + width, row + pitch, BYTE{0});
    }
    return true;
}

PixelRows GreyPicture::Rows() const {
    // The library keeps the bottom row first.
    const auto height = static_cast<int>(FreeImage_GetHeight(bitmap_.get()));
    return {FreeImage_GetScanLine(bitmap_.get(), height - 1),
            -static_cast<std::ptrdiff_t>(FreeImage_GetPitch(bitmap_.get()))};
}

bool GreyPicture::Encode(FREE_IMAGE_FORMAT format) {
    encoded_.reset(FreeImage_OpenMemory());
    if (!encoded_) return false;
    const int flags = format == FIF_PNG ? PNG_Z_BEST_SPEED : 0;
    return FreeImage_SaveToMemory(format, bitmap_.get(), encoded_.get(), flags) != FALSE;
}

std::span<const std::uint8_t> GreyPicture::Encoded() const {
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!encoded_ || !FreeImage_AcquireMemory(encoded_.get(), &data, &size)) return {};
    return {data, size};
}

}  // namespace pelmo
