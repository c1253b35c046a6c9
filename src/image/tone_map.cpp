#include "image/tone_map.hpp"

#include <FreeImage.h>

#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <string_view>

#include "app/ascii.hpp"
#include "image/freeimage_session.hpp"

namespace pelmo {

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

struct Extension {
    std::string_view text;
    FREE_IMAGE_FORMAT format;
};

// The decoder is chosen by extension alone, never by the file's contents.
constexpr Extension kExtensions[] = {
    {".bmp", FIF_BMP},   {".ico", FIF_ICO},   {".jpg", FIF_JPEG}, {".jpeg", FIF_JPEG},
    {".pcx", FIF_PCX},   {".png", FIF_PNG},   {".tga", FIF_TARGA}, {".tif", FIF_TIFF},
    {".tiff", FIF_TIFF}, {".gif", FIF_GIF},   {".psd", FIF_PSD},
};

constexpr std::array<std::uint8_t, 256> kToneOfRed = [] {
    std::array<std::uint8_t, 256> table{};
    for (int r = 0; r < 256; ++r) table[r] = ToneOf(static_cast<std::uint8_t>(r));
    return table;
}();

void PrintError(const char* line) { std::fputs(line, stderr); }

void PrintQuoted(const char* reason, std::string_view what) {
    std::fprintf(stderr, "Error, %s \"%.*s\".\n", reason, static_cast<int>(what.size()), what.data());
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

    FreeImageSession session;
    Bitmap loaded(FreeImage_Load(match->format, fileName.c_str(), 0));
    if (!loaded) {
        PrintQuoted("failed to open image", fileName);
        return false;
    }
    // Scan lines count from the bottom; after the flip line 0 is the top row.
    FreeImage_FlipVertical(loaded.get());
    const unsigned newWidth = FreeImage_GetWidth(loaded.get());
    const unsigned newHeight = FreeImage_GetHeight(loaded.get());
    if ((newHeight & 7) != 0) {
        PrintError("Error, height must be multiple of 8.\n");
        return false;
    }
    Bitmap converted(FreeImage_ConvertTo32Bits(loaded.get()));
    if (!converted) {
        PrintError("Error, failed to convert image.\n");
        return false;
    }
    loaded.reset();  // nothing reads it any more

    pixels = std::vector<std::uint8_t>();
    width = static_cast<std::int32_t>(newWidth);
    height = static_cast<std::int32_t>(newHeight);
    // The pixel count must fit a 32-bit signed integer, like every size after it.
    const std::uint64_t count = std::uint64_t{newWidth} * newHeight;
    if (newWidth > std::numeric_limits<std::int32_t>::max() ||
        newHeight > std::numeric_limits<std::int32_t>::max() ||
        count > std::numeric_limits<std::int32_t>::max()) {
        PrintError("Error, not enough memory.\n");
        return false;
    }
    try {
        pixels.resize(count);
    } catch (const std::bad_alloc&) {
        pixels = std::vector<std::uint8_t>();
        PrintError("Error, not enough memory.\n");
        return false;
    }

    std::uint8_t* out = pixels.data();
    for (unsigned y = 0; y < newHeight; ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted.get(), static_cast<int>(y));
        for (unsigned x = 0; x < newWidth; ++x) out[x] = kToneOfRed[line[4 * x + FI_RGBA_RED]];
        out += newWidth;
    }
    return true;
}

}  // namespace pelmo
