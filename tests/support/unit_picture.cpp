#include "support/unit_picture.hpp"

#include <map>
#include <memory>
#include <tuple>

#include "picture/freeimage_session.hpp"

namespace pelmo::unit {

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

RGBQUAD Quad(const Colour& c) {
    RGBQUAD quad{};
    quad.rgbRed = c.r;
    quad.rgbGreen = c.g;
    quad.rgbBlue = c.b;
    quad.rgbReserved = c.a;
    return quad;
}

// The library counts scan lines from the bottom of the picture.
unsigned LibraryRow(int height, int y) {
    return static_cast<unsigned>(height - 1 - y);
}

Bitmap MakeTrueColour(int width, int height, const PixelFunction& pixel, unsigned bpp) {
    Bitmap bitmap(bpp == 32 ? FreeImage_Allocate(width, height, 32, FI_RGBA_RED_MASK,
                                                 FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK)
                            : FreeImage_Allocate(width, height, 24));
    if (!bitmap) return bitmap;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            RGBQUAD quad = Quad(pixel(x, y));
            FreeImage_SetPixelColor(bitmap.get(), static_cast<unsigned>(x), LibraryRow(height, y),
                                    &quad);
        }
    }
    return bitmap;
}

Bitmap MakePalette(int width, int height, const PixelFunction& pixel) {
    Bitmap bitmap(FreeImage_Allocate(width, height, 8));
    if (!bitmap) return bitmap;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
    std::map<std::tuple<int, int, int>, BYTE> index;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = pixel(x, y);
            const auto key = std::make_tuple(c.r, c.g, c.b);
            auto found = index.find(key);
            if (found == index.end()) {
                if (index.size() == 256) return nullptr;
                const auto slot = static_cast<BYTE>(index.size());
                palette[slot] = Quad(c);
                found = index.emplace(key, slot).first;
            }
            BYTE value = found->second;
            FreeImage_SetPixelIndex(bitmap.get(), static_cast<unsigned>(x), LibraryRow(height, y),
                                    &value);
        }
    }
    return bitmap;
}

}  // namespace

bool SavePicture(const std::string& path, FREE_IMAGE_FORMAT format, int width, int height,
                 const PixelFunction& pixel, PixelDepth depth) {
    FreeImageSession session;
    Bitmap bitmap = depth == PixelDepth::Palette8 ? MakePalette(width, height, pixel)
                    : depth == PixelDepth::Rgba32 ? MakeTrueColour(width, height, pixel, 32)
                                                  : MakeTrueColour(width, height, pixel, 24);
    if (!bitmap) return false;
    return FreeImage_Save(format, bitmap.get(), path.c_str(), 0) != FALSE;
}

GreyPixels LoadGreyPicture(const std::string& path) {
    FreeImageSession session;
    const Bitmap file(FreeImage_Load(FreeImage_GetFIFFromFilename(path.c_str()), path.c_str(), 0));
    const Bitmap grey(file ? FreeImage_ConvertToGreyscale(file.get()) : nullptr);
    GreyPixels picture;
    if (!grey) return picture;
    picture.width = static_cast<int>(FreeImage_GetWidth(grey.get()));
    picture.height = static_cast<int>(FreeImage_GetHeight(grey.get()));
    for (int y = 0; y < picture.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(grey.get(), LibraryRow(picture.height, y));
        picture.values.insert(picture.values.end(), row, row + picture.width);
    }
    return picture;
}

::testing::AssertionResult SameAsCommitted(const GreyPixels& fresh, const std::string& docs,
                                           const std::string& name) {
    const GreyPixels committed = LoadGreyPicture(docs + "/" + name);
    if (fresh.width > 0 && fresh.width == committed.width && fresh.height == committed.height &&
        fresh.values == committed.values) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "docs/" << name << " is out of date: make it as the README shows";
}

}  // namespace pelmo::unit
