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

void PrintQuoted(std::string_view reason, std::string_view what) {
    PrintError("Error, " + std::string(reason) + " " + Quoted(what) + ".\n");
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

}  // namespace

bool ImgToneMap::Load(const std::string& fileName) {
    if (fileName.find('.') == std::string::npos) {
        PrintError("Error, no image extension.\n");
        return false;
    }
    const std::string_view extension = ExtensionOf(fileName);
    const PictureExtension* match = FindPictureExtension(extension);
    if (match == nullptr) {
        PrintQuoted("unsupported image extension", extension);
        return false;
    }

    std::vector<std::uint8_t> packed;
    const DecodeResult result =
        DecodeIsolated({match->format, fileName, options}, packed, decoder_);
    switch (result.status) {
        case DecodeStatus::Ok:
            break;
        case DecodeStatus::BadHeight:
            PrintError("Error, height must be multiple of 8.\n");
            return false;
        case DecodeStatus::ConvertFailed:
            PrintError("Error, failed to convert image.\n");
            return false;
        case DecodeStatus::OverLimit:
            PrintError("Error, image " + Quoted(fileName) + " is " + std::to_string(result.width) +
                       "x" + std::to_string(result.height) + " pixels, more than the limit of " +
                       std::to_string(options.maxPixels) + " (see -maxpixels).\n");
            return false;
        case DecodeStatus::Misread:
            PrintError("Error, image " + Quoted(fileName) + " is " +
                       std::string(VariantName(result.misread)) +
                       ", which the image library misreads; save it as PNG.\n");
            return false;
        case DecodeStatus::AlphaDropped:
            PrintError("Error, image " + Quoted(fileName) +
                       " has an alpha channel that the image library drops; save it as PNG or "
                       "RGBA TIFF.\n");
            return false;
        case DecodeStatus::NotFrames:
            PrintError("Error, image " + Quoted(fileName) + " is " + std::to_string(result.width) +
                       "x" + std::to_string(result.pictureHeight) +
                       " pixels, not a whole number of " + std::to_string(options.frameWidth) +
                       "x" + std::to_string(options.frameHeight) + " frames.\n");
            return false;
        case DecodeStatus::PagesDiffer:
            PrintError("Error, the pages of " + Quoted(fileName) + " are not all " +
                       std::to_string(result.width) + "x" + std::to_string(result.pictureHeight) +
                       " pixels as the first.\n");
            return false;
        case DecodeStatus::TooLarge:
        case DecodeStatus::NoMemory:
            // The map gives up its old picture but takes the new size.
            plane = std::vector<std::uint8_t>();
            width = static_cast<std::int32_t>(result.width);
            height = static_cast<std::int32_t>(result.height);
            PrintError("Error, not enough memory.\n");
            return false;
        case DecodeStatus::OpenFailed:
        default:
            PrintQuoted("failed to open image", fileName);
            return false;
    }
    plane = std::move(packed);
    width = static_cast<std::int32_t>(result.width);
    height = static_cast<std::int32_t>(result.height);
    pictureHeight = static_cast<std::int32_t>(result.pictureHeight);
    grid = GridOf(options, result.width, result.height, result.pages);
    return true;
}

}  // namespace pelmo
