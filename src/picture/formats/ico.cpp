// Reading an ICO header: a directory, then each image as a BMP without its
// file header, or as a PNG.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- ICO: a directory, then the first image as a BMP without its file
// header (twice as high: the colours, then a 1-bit mask, which the library
// never reads and writers often leave out) or as a PNG.

std::uint32_t IcoImages(ByteReader& file) {
    const auto h = Fetch<6>(file, 0);  // the directory's header
    if (!h || Le16(h->data()) != 0 || (Le16(h->data() + 2) != 1 && Le16(h->data() + 2) != 2)) {
        return 0;
    }
    return Le16(h->data() + 4);
}

HeaderVerdict Ico(ByteReader& file, PictureFacts& facts, std::uint32_t index) {
    if (index >= IcoImages(file)) return HeaderVerdict::NotAPicture;
    const auto entry = Fetch<16>(file, 6 + 16 * std::uint64_t{index});
    if (!entry) return HeaderVerdict::NotAPicture;
    const std::uint64_t resource = Le32(entry->data() + 8);
    const std::uint64_t offset = Le32(entry->data() + 12);
    facts.at = offset;
    const auto signature = Fetch<8>(file, offset);
    if (!signature) return HeaderVerdict::NotAPicture;
    if (std::memcmp(signature->data(), kPngSignature, 8) == 0) {
        const HeaderVerdict verdict = Png(file, offset, facts);
        facts.mostSize = Add(facts.mostSize, Add(offset, resource));
        return verdict;
    }
    // The info header up to its count of colours used.
    const auto info = Fetch<36>(file, offset);
    if (!info) return HeaderVerdict::NotAPicture;
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
    facts.leastSize = Add(Add(offset + infoSize, palette), colours);
    // Only the classic 40-byte info header is known here.
    if (infoSize != 40) {
        facts.sure = false;
        facts.leastSize = offset + 36;
    }
    facts.mostSize = Add(std::max(facts.leastSize, Add(offset, resource)), kSlack);
    facts.decoderMemory = Mul(Mul(width, height), 4);
    return HeaderVerdict::Picture;
}

}  // namespace pelmo::header
