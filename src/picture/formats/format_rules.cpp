// The readers of every format's header, chosen by format.
#include <algorithm>

#include "picture/formats/header_bytes.hpp"

namespace pelmo {

HeaderVerdict ReadPictureHeader(FREE_IMAGE_FORMAT format, ByteReader& file, PictureFacts& facts) {
    facts = PictureFacts();
    switch (format) {
        case FIF_BMP:
            return header::Bmp(file, facts);
        case FIF_ICO:
            return header::Ico(file, facts);
        case FIF_JPEG:
            return header::Jpeg(file, facts);
        case FIF_PCX:
            return header::Pcx(file, facts);
        case FIF_PNG:
            return header::Png(file, 0, facts);
        case FIF_TARGA:
            return header::Tga(file, facts);
        case FIF_TIFF:
            return header::Tiff(file, facts);
        case FIF_GIF:
            return header::Gif(file, facts);
        case FIF_PSD:
            return header::Psd(file, facts);
        default:
            return HeaderVerdict::NotAPicture;
    }
}

HeaderVerdict ReadPageHeaders(FREE_IMAGE_FORMAT format, ByteReader& file, PagesFacts& pages) {
    pages = PagesFacts();
    switch (format) {
        case FIF_GIF:
            return header::GifFrames(file, pages);
        case FIF_TIFF:
            return header::TiffPages(file, pages);
        case FIF_ICO: {
            const std::uint32_t count =
                std::min<std::uint32_t>(header::IcoImages(file), kMostPages);
            for (std::uint32_t index = 0; index < count; ++index) {
                PictureFacts facts;
                if (header::Ico(file, facts, index) != HeaderVerdict::Picture) break;
                pages.pages.push_back(facts);
            }
            return pages.pages.empty() ? HeaderVerdict::NotAPicture : HeaderVerdict::Picture;
        }
        default: {
            PictureFacts facts;
            const HeaderVerdict verdict = ReadPictureHeader(format, file, facts);
            pages.pages.push_back(facts);
            return verdict;
        }
    }
}

bool HoldsItsPixels(FREE_IMAGE_FORMAT format, ByteReader& file, const PictureFacts& facts,
                    std::uint64_t fileSize) {
    if (fileSize < facts.leastSize) return false;
    switch (format) {
        case FIF_PCX:
            return header::PcxHoldsItsPixels(file, facts, fileSize);
        case FIF_TARGA:
            return header::TgaHoldsItsPixels(file, facts, fileSize);
        case FIF_GIF:
            return header::GifHoldsItsPixels(file, facts);
        default:
            return true;
    }
}

std::uint64_t PixelsSupported(const PictureFacts& facts, std::uint64_t fileSize) {
    const std::uint64_t declared = std::uint64_t{facts.width} * facts.height;
    return facts.sure ? declared : std::min(declared, header::Mul(fileSize, facts.pixelsPerByte));
}

}  // namespace pelmo
