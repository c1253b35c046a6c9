// The picture extensions: the converter reads them all, the renderer writes
// some, each with the library's format.
#pragma once

#include <FreeImage.h>

#include <string_view>

#include "base/ascii.hpp"

namespace pelmo {

struct PictureExtension {
    std::string_view text;  // with its dot
    FREE_IMAGE_FORMAT format;
    bool writable;  // the renderer writes it (8-bit greyscale)
};

// The decoder is chosen by extension alone, never by the file's contents.
inline constexpr PictureExtension kPictureExtensions[] = {
    {".bmp", FIF_BMP, true},    {".ico", FIF_ICO, false}, {".jpg", FIF_JPEG, false},
    {".jpeg", FIF_JPEG, false}, {".pcx", FIF_PCX, false}, {".png", FIF_PNG, true},
    {".tga", FIF_TARGA, true},  {".tif", FIF_TIFF, true}, {".tiff", FIF_TIFF, true},
    {".gif", FIF_GIF, false},   {".psd", FIF_PSD, false},
};

// The extension of `fileName`: from its last dot, wherever that is, to the
// end. Empty when there is no dot.
constexpr std::string_view ExtensionOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
}

// The table's entry for `extension`, whatever its letter case; null for none.
// The extensions the renderer writes, in the table's order, are those with
// `writable` set.
constexpr const PictureExtension* FindPictureExtension(std::string_view extension) {
    for (const PictureExtension& candidate : kPictureExtensions) {
        if (EqualsIgnoreCase(extension, candidate.text)) return &candidate;
    }
    return nullptr;
}

}  // namespace pelmo
