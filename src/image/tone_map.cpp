#include "image/tone_map.hpp"

#include <FreeImage.h>

#include <cstdio>
#include <string_view>
#include <utility>

#include "app/ascii.hpp"
#include "image/isolated_decode.hpp"

namespace pelmo {

namespace {

struct Extension {
    std::string_view text;
    FREE_IMAGE_FORMAT format;
};

// The decoder is chosen by extension alone, never by the file's contents.
constexpr Extension kExtensions[] = {
    {".bmp", FIF_BMP},   {".ico", FIF_ICO}, {".jpg", FIF_JPEG},  {".jpeg", FIF_JPEG},
    {".pcx", FIF_PCX},   {".png", FIF_PNG}, {".tga", FIF_TARGA}, {".tif", FIF_TIFF},
    {".tiff", FIF_TIFF}, {".gif", FIF_GIF}, {".psd", FIF_PSD},
};

void PrintError(const char* line) {
    std::fputs(line, stderr);
}

void PrintQuoted(const char* reason, std::string_view what) {
    std::fprintf(stderr, "Error, %s \"%.*s\".\n", reason, static_cast<int>(what.size()),
                 what.data());
}

}  // namespace

bool ImgToneMap::Load(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        PrintError("Error, no image extension.\n");
        return false;
    }
    const std::string_view extension = std::string_view(fileName).substr(dot);
    const Extension* match = nullptr;
    for (const Extension& candidate : kExtensions) {
        if (EqualsIgnoreCase(extension, candidate.text)) {
            match = &candidate;
            break;
        }
    }
    if (match == nullptr) {
        PrintQuoted("unsupported image extension", extension);
        return false;
    }

    std::vector<std::uint8_t> tones;
    const DecodeResult result = DecodeIsolated(match->format, fileName, tones, decoder_);
    switch (result.status) {
        case DecodeStatus::Ok:
            break;
        case DecodeStatus::BadHeight:
            PrintError("Error, height must be multiple of 8.\n");
            return false;
        case DecodeStatus::ConvertFailed:
            PrintError("Error, failed to convert image.\n");
            return false;
        case DecodeStatus::TooLarge:
        case DecodeStatus::NoMemory:
            // The map gives up its old picture but takes the new size.
            pixels = std::vector<std::uint8_t>();
            width = static_cast<std::int32_t>(result.width);
            height = static_cast<std::int32_t>(result.height);
            PrintError("Error, not enough memory.\n");
            return false;
        case DecodeStatus::OpenFailed:
        default:
            PrintQuoted("failed to open image", fileName);
            return false;
    }
    pixels = std::move(tones);
    width = static_cast<std::int32_t>(result.width);
    height = static_cast<std::int32_t>(result.height);
    return true;
}

}  // namespace pelmo
