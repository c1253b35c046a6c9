#include "picture/formats/format_rules.hpp"

#include <algorithm>

#include "base/cost.hpp"
#include "picture/formats/header_bytes.hpp"

namespace pelmo {

namespace {

Expected<PictureFacts> WholePng(ByteReader& file) {
    return header::Png(file);
}

constexpr FormatRules kRules[] = {
    {FIF_BMP, header::Bmp, nullptr, nullptr, DataEnd::AnyShortRead, false, false},
    {FIF_ICO, header::Ico, header::IcoPages, nullptr, DataEnd::AnyShortRead, false, false},
    {FIF_JPEG, header::Jpeg, nullptr, nullptr, DataEnd::Checked, false, false},
    {FIF_PCX, header::Pcx, nullptr, header::PcxHoldsItsPixels, DataEnd::Checked, true, false},
    {FIF_PNG, WholePng, nullptr, nullptr, DataEnd::Checked, false, false},
    {FIF_TARGA, header::Tga, nullptr, header::TgaHoldsItsPixels, DataEnd::Checked, true, false},
    {FIF_TIFF, header::Tiff, header::TiffPages, nullptr, DataEnd::AnyShortRead, false, false},
    {FIF_GIF, header::Gif, header::GifPages, header::GifHoldsItsPixels, DataEnd::Checked, false,
     true},
    {FIF_PSD, header::Psd, nullptr, nullptr, DataEnd::AnyShortRead, false, false},
};

// The pages of a file of several, each read on its splice, up to the first
// that cannot be read.
Expected<Document> ReadPages(const FormatRules& rules, ByteReader& file) {
    const Expected<PageSplices> splices = rules.pages(file);
    if (!splices) return splices.failure();
    Document document;
    document.onScreen = rules.framesOnScreen;
    document.screenWidth = splices->screenWidth;
    document.screenHeight = splices->screenHeight;
    if (splices->background) {
        std::copy(splices->background->begin(), splices->background->end(), document.background);
        document.hasBackground = true;
    }
    for (std::size_t k = 0; k < splices->pages.size(); ++k) {
        SplicedBytes page(file, splices->pages[k]);
        const Expected<PictureFacts> facts = rules.header(page);
        if (!facts) {
            if (document.pages.empty()) return facts.failure();
            break;
        }
        const bool cleared = k < splices->clearedOnceShown.size() && splices->clearedOnceShown[k];
        document.pages.push_back({splices->pages[k], *facts, cleared});
    }
    return document;
}

}  // namespace

const FormatRules* RulesFor(FREE_IMAGE_FORMAT format) {
    for (const FormatRules& rules : kRules) {
        if (rules.format == format) return &rules;
    }
    return nullptr;
}

Expected<PictureFacts> ReadPictureHeader(FREE_IMAGE_FORMAT format, ByteReader& file) {
    const FormatRules* rules = RulesFor(format);
    if (rules == nullptr) return Failure{"a format the converter does not read"};
    return rules->header(file);
}

Expected<Document> ReadDocument(FREE_IMAGE_FORMAT format, ByteReader& file, bool allPages) {
    const FormatRules* rules = RulesFor(format);
    if (rules == nullptr) return Failure{"a format the converter does not read"};
    if (allPages && rules->pages != nullptr) return ReadPages(*rules, file);
    const Expected<PictureFacts> facts = rules->header(file);
    if (!facts) return facts.failure();
    Document document;
    document.pages.push_back({Splice::Whole(), *facts});
    return document;
}

bool HoldsItsPixels(FREE_IMAGE_FORMAT format, ByteReader& file, const PictureFacts& facts,
                    std::uint64_t size) {
    if (size < facts.leastSize) return false;
    const FormatRules* rules = RulesFor(format);
    return rules == nullptr || rules->holdsItsPixels == nullptr ||
           rules->holdsItsPixels(file, facts, size);
}

std::uint64_t PixelsSupported(const PictureFacts& facts, std::uint64_t fileSize) {
    return facts.sure ? facts.Pixels()
                      : std::min(facts.Pixels(), cost::Mul(fileSize, facts.pixelsPerByte));
}

std::size_t HeaderReads::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    const std::uint64_t charge = std::max<std::uint64_t>(size, kHeaderReadCost);
    if (exhausted_ || cost::Add(spent_, charge) > kHeaderReadBytes) {
        exhausted_ = true;
        return 0;
    }
    spent_ += charge;
    return file_.ReadAt(offset, data, size);
}

}  // namespace pelmo
