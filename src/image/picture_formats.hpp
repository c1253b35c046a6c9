// The picture extensions the converter reads, and the decoder of each.
#pragma once

#include <FreeImage.h>

#include <string_view>

#include "base/ascii.hpp"

namespace pelmo {

struct PictureExtension {
    std::string_view text;  // with its dot
    FREE_IMAGE_FORMAT format;
};

// The decoder is chosen by extension alone, never by the file's contents.
inline constexpr PictureExtension kPictureExtensions[] = {
    {".bmp", FIF_BMP},   {".ico", FIF_ICO}, {".jpg", FIF_JPEG},  {".jpeg", FIF_JPEG},
    {".pcx", FIF_PCX},   {".png", FIF_PNG}, {".tga", FIF_TARGA}, {".tif", FIF_TIFF},
    {".tiff", FIF_TIFF}, {".gif", FIF_GIF}, {".psd", FIF_PSD},
};

// The extension of `fileName`: from its last dot, wherever that is, to the
// end. Empty when there is no dot.
constexpr std::string_view ExtensionOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
}

// The table's entry for `extension`, whatever its letter case; null for none.
constexpr const PictureExtension* FindPictureExtension(std::string_view extension) {
    for (const PictureExtension& candidate : kPictureExtensions) {
        if (EqualsIgnoreCase(extension, candidate.text)) return &candidate;
    }
    return nullptr;
}

}  // namespace pelmo
