#include "valid_pictures.hpp"

#include <FreeImage.h>

#include <map>
#include <stdexcept>

#include "crafted_pictures.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {

namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 24;  // square: icons must be

// Off, dim and full reds in diagonal bands; few enough colours for a palette.
unit::Colour Pattern(int x, int y) {
    constexpr std::uint8_t kReds[] = {0, 100, 130, 170, 200, 255};
    const std::uint8_t red = kReds[(x / 2 + y) % 6];
    return {red, static_cast<std::uint8_t>(255 - red), static_cast<std::uint8_t>((x % 4) * 60),
            255};
}

std::string Saved(const unit::TempDir& dir, const std::string& extension, FREE_IMAGE_FORMAT format,
                  unit::PixelDepth depth) {
    const std::string path = dir.File("valid" + extension);
    if (!unit::SavePicture(path, format, kWidth, kHeight, Pattern, depth)) {
        throw std::runtime_error("the image library could not write " + path);
    }
    return unit::ReadWholeFile(path);
}

std::map<std::string, std::string> MakeAll() {
    using unit::PixelDepth;
    const unit::TempDir dir;
    std::map<std::string, std::string> all;
    all[".bmp"] = Saved(dir, ".bmp", FIF_BMP, PixelDepth::Rgb24);
    all[".ico"] = Saved(dir, ".ico", FIF_ICO, PixelDepth::Rgba32);
    all[".jpg"] = Saved(dir, ".jpg", FIF_JPEG, PixelDepth::Rgb24);
    all[".jpeg"] = all[".jpg"];
    all[".pcx"] = ValidPcx(kWidth, kHeight);
    all[".png"] = Saved(dir, ".png", FIF_PNG, PixelDepth::Rgb24);
    all[".tga"] = Saved(dir, ".tga", FIF_TARGA, PixelDepth::Rgb24);
    all[".tif"] = Saved(dir, ".tif", FIF_TIFF, PixelDepth::Rgb24);
    all[".tiff"] = ValidTiff(kWidth, kHeight);  // its directory first, as some writers do
    all[".gif"] = Saved(dir, ".gif", FIF_GIF, PixelDepth::Palette8);
    all[".psd"] = ValidPsd(kWidth, kHeight, PsdData::PackBits);
    return all;
}

}  // namespace

const std::vector<std::string>& Extensions() {
    static const std::vector<std::string> extensions = {
        ".bmp", ".ico", ".jpg", ".jpeg", ".pcx", ".png", ".tga", ".tif", ".tiff", ".gif", ".psd"};
    return extensions;
}

const std::string& ValidPicture(const std::string& extension) {
    static const std::map<std::string, std::string> all = MakeAll();
    return all.at(extension);
}

}  // namespace pelmo::hardening
