#include "app/tone_map.hpp"

#include <cstdio>
#include <string_view>
#include <utility>

#include "base/errors.hpp"
#include "picture/isolated_decode.hpp"
#include "picture/picture_formats.hpp"
#include "plane/frames.hpp"

namespace pelmo {

namespace {

std::string QuotedLine(std::string_view reason, std::string_view what) {
    return "Error, " + std::string(reason) + " " + Quoted(what) + ".\n";
}

// The variant named as its users know it.
std::string_view VariantName(Misread misread) {
    switch (misread) {
        case Misread::IndexedPsd:
            return "an indexed-colour PSD";
        case Misread::UncompressedPcx:
            return "an uncompressed PCX";
        case Misread::Tga15BitMap:
            return "a TGA with a 15-bit colour map";
        case Misread::TgaTrueColourMap:
            return "a true-colour TGA with a colour map";
        case Misread::IcoShortPalette:
            return "an ICO whose colour table is shorter than its depth allows";
        case Misread::PlanarPcxWidth:
            return "a 16-colour PCX whose width is no multiple of 8";
        case Misread::None:
            break;
    }
    return "a variant";
}

std::string Size(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// The line that says why the picture `fileName` was refused, as `result`
// says, loaded with `options`.
std::string RefusalLine(const DecodeResult& result, const std::string& fileName,
                        const ImgOptions& options) {
    const std::string image = "Error, image " + Quoted(fileName);
    switch (result.status) {
        case DecodeStatus::BadHeight:
            return "Error, height must be multiple of 8.\n";
        case DecodeStatus::ConvertFailed:
            return "Error, failed to convert image.\n";
        case DecodeStatus::OverLimit:
            return image + " is " + Size(result.width, result.height) +
                   " pixels, more than the limit of " + std::to_string(options.maxPixels) +
                   " (see -maxpixels).\n";
        case DecodeStatus::Misread:
            return image + " is " + std::string(VariantName(result.misread)) +
                   ", which the image library misreads; save it as PNG.\n";
        case DecodeStatus::AlphaDropped:
            return image +
                   " has an alpha channel that the image library drops; save it as PNG or RGBA "
                   "TIFF.\n";
        case DecodeStatus::NotFrames:
            return image + " is " + Size(result.width, result.pictureHeight) +
                   " pixels, not a whole number of " +
                   Size(options.frameWidth, options.frameHeight) +
                   (options.tiles  ? " tiles.\n"
                    : options.font ? " font cells.\n"
                                   : " frames.\n");
        case DecodeStatus::PagesDiffer:
            return "Error, the pages of " + Quoted(fileName) + " are not all " +
                   Size(result.width, result.pictureHeight) + " pixels as the first.\n";
        case DecodeStatus::TooLarge:
        case DecodeStatus::NoMemory:
            return "Error, not enough memory.\n";
        case DecodeStatus::Ok:
        case DecodeStatus::OpenFailed:
            break;
    }
    return QuotedLine("failed to open image", fileName);
}

}  // namespace

bool ImgToneMap::Load(const std::string& fileName) {
    if (fileName.find('.') == std::string::npos) {
        PrintError("Error, no image extension.\n");
        return false;
    }
    const std::string_view extension = ExtensionOf(fileName);
    const PictureExtension* match = FindPictureExtension(extension);
    if (match == nullptr) {
        PrintError(QuotedLine("unsupported image extension", extension));
        return false;
    }
    std::vector<std::uint8_t> packed;
    const DecodeResult result =
        DecodeIsolated({match->format, fileName, options}, packed, decoder_);
    if (result.status == DecodeStatus::TooLarge || result.status == DecodeStatus::NoMemory) {
        // The map gives up its old picture but takes the new size.
        plane = std::vector<std::uint8_t>();
        width = static_cast<std::int32_t>(result.width);
        height = static_cast<std::int32_t>(result.height);
    }
    if (result.status != DecodeStatus::Ok) {
        PrintError(RefusalLine(result, fileName, options));
        return false;
    }
    plane = std::move(packed);
    width = static_cast<std::int32_t>(result.width);
    height = static_cast<std::int32_t>(result.height);
    pictureHeight = static_cast<std::int32_t>(result.pictureHeight);
    grid = GridOf(options, result.width, result.height, result.pages);
    strays = result.strays;
    return true;
}

std::string StrayWarning(const StrayPixels& strays, const std::string& fileName) {
    if (strays.count == 0) return {};
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(strays.colour & 0xFFFFFF));
    const std::string place = std::to_string(strays.x) + "," + std::to_string(strays.y);
    const bool one = strays.count == 1;
    return "Warning, " + std::to_string(strays.count) + (one ? " pixel of " : " pixels of ") +
           Quoted(fileName) + (one ? " is" : " are") + " none of the -tones colours; " +
           (one ? "it is at " + place + ", " : "the first, at " + place + ", is ") + colour + ".\n";
}

}  // namespace pelmo
