// Reading an ICO header: a directory, then each image as a BMP without its
// file header, or as a PNG.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

namespace {

// The directory's count of images, or nothing when it is no ICO directory.
std::optional<std::uint32_t> IcoImages(ByteReader& file) {
    const auto h = Fetch<6>(file, 0);
    if (!h || Le16(h->data()) != 0 || (Le16(h->data() + 2) != 1 && Le16(h->data() + 2) != 2)) {
        return std::nullopt;
    }
    return Le16(h->data() + 4);
}

}  // namespace

// ---- ICO: a directory, then each image as a BMP without its file header
// (twice as high: the colours, then a 1-bit mask, which the library never
// reads and writers often leave out) or as a PNG. The library reads the
// first image of the directory.

Expected<PictureFacts> Ico(ByteReader& file) {
    PictureFacts facts;
    const auto images = IcoImages(file);
    if (!images) return NotAPicture("no ICO directory");
    if (*images == 0) return NotAPicture("an ICO directory of no image");
    const auto entry = Fetch<16>(file, 6);
    if (!entry) return NotAPicture("the directory's first entry ends early");
    const std::uint64_t resource = Le32(entry->data() + 8);
    const std::uint64_t offset = Le32(entry->data() + 12);
    const auto signature = Fetch<8>(file, offset);
    if (!signature) return NotAPicture("the image lies past the end of the file", offset);
    if (std::memcmp(signature->data(), kPngSignature, 8) == 0) {
        Expected<PictureFacts> png = Png(file, offset);
        if (png) {
            png->at = offset;
            png->mostSize = Add(png->mostSize, Add(offset, resource));
        }
        return png;
    }
    facts.at = offset;
    // The info header up to its count of colours used.
    const auto info = Fetch<36>(file, offset);
    if (!info) return NotAPicture("the image's info header ends early", offset);
    const std::uint32_t infoSize = Le32(info->data());
    const auto w = static_cast<std::int32_t>(Le32(info->data() + 4));
    const auto v = static_cast<std::int32_t>(Le32(info->data() + 8));
    const std::uint64_t width = w < 0 ? 0 : static_cast<std::uint64_t>(w);
    const std::uint64_t height = v < 0 ? 0 : static_cast<std::uint64_t>(v) / 2;
    const std::uint32_t bits = Le16(info->data() + 14);
    const std::uint64_t used = Le32(info->data() + 32);
    facts.width = static_cast<std::uint32_t>(width);
    facts.height = static_cast<std::uint32_t>(height);
    const std::uint64_t entries = bits <= 8 ? std::uint64_t{1} << bits : 0;
    const std::uint64_t palette = 4 * (used != 0 ? std::min(used, entries) : entries);
    if (used != 0 && used < entries) facts.misread = Misread::IcoShortPalette;
    const std::uint64_t colours = Mul(CeilDiv(Mul(width, bits), 32) * 4, height);
    facts.leastSize = Add(offset + infoSize, palette, colours);
    // Only the classic 40-byte info header is known here.
    if (infoSize != 40) {
        facts.sure = false;
        facts.leastSize = offset + 36;
    }
    facts.mostSize = Add(std::max(facts.leastSize, Add(offset, resource)), kHeaderSlack);
    facts.decoderMemory = Mul(Mul(width, height), 4);
    return facts;
}

// Image k is the first of the directory that holds its entry alone.
Expected<PageSplices> IcoPages(ByteReader& file) {
    const auto images = IcoImages(file);
    if (!images) return NotAPicture("no ICO directory");
    PageSplices pages;
    const std::uint32_t count = std::min<std::uint32_t>(*images, kMostPages + 1);
    for (std::uint32_t k = 0; k < count; ++k) {
        if (k == 0) {
            pages.pages.push_back(Splice::Whole());
            continue;
        }
        const auto entry = Fetch<16>(file, 6 + 16 * std::uint64_t{k});
        if (!entry) break;
        std::vector<std::uint8_t> directory = {1, 0};  // one image
        directory.insert(directory.end(), entry->begin(), entry->end());
        pages.pages.push_back(Splice::Patched({{4, std::move(directory)}}));
    }
    return pages;
}

}  // namespace pelmo::header
