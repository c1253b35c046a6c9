// Reading a PSD header: its sections up to the merged image.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- PSD: a 26-byte header, three sections of declared lengths, then the
// merged image: a compression code and the channels, plain or PackBits.

namespace {

// The channels that carry colour in each colour mode; any more are alpha.
std::uint64_t PsdColourChannels(std::uint32_t mode) {
    switch (mode) {
        case 3:  // RGB
        case 9:  // Lab
            return 3;
        case 4:  // CMYK
            return 4;
        default:  // bitmap, grey, indexed, duotone, multichannel
            return 1;
    }
}

}  // namespace

Expected<PictureFacts> Psd(ByteReader& file) {
    PictureFacts facts;
    const auto h = Fetch<26>(file, 0);
    if (!h || std::memcmp(h->data(), "8BPS", 4) != 0) return NotAPicture("no PSD header");
    const std::uint32_t version = Be16(h->data() + 4);
    if (version != 1 && version != 2) return NotAPicture("a PSD version the decoder does not read");
    const std::uint64_t channels = Be16(h->data() + 12);
    facts.height = Be32(h->data() + 14);
    facts.width = Be32(h->data() + 18);
    const std::uint64_t depth = Be16(h->data() + 22);
    const std::uint32_t mode = Be16(h->data() + 24);
    if (mode == 2) facts.misread = Misread::IndexedPsd;
    facts.opacity =
        mode != 7 && channels > PsdColourChannels(mode) ? Opacity::Declared : Opacity::None;
    const std::uint64_t plane = Mul(RowBytes(facts.width, depth), facts.height);
    const std::uint64_t raw = Mul(plane, channels);
    facts.mostSize = MostForCompressed(26, raw);
    facts.decoderMemory = Mul(raw, 2);
    // Where the merged image starts: past the colour data, the resources and
    // the layers, each with its length in front (a PSB's layers with eight
    // bytes of it).
    std::uint64_t at = 26;
    for (int section = 0; section < 3; ++section) {
        std::uint64_t bytes = 0;
        if (section == 2 && version == 2) {
            const auto length = Fetch<8>(file, at);
            if (!length) return NotAPicture("a section length past the end of the file");
            bytes = std::uint64_t{Be32(length->data())} << 32 | Be32(length->data() + 4);
            at = Add(at, 8);
        } else {
            const auto length = Fetch<4>(file, at);
            if (!length) return NotAPicture("a section length past the end of the file");
            bytes = Be32(length->data());
            at = Add(at, 4);
        }
        at = Add(at, bytes);
    }
    const auto compression = Fetch<2>(file, at);
    if (!compression)
        return NotAPicture("the merged image's compression lies past the end of the file");
    const std::uint32_t code = Be16(compression->data());
    // PackBits codes at most 128 bytes in two; each row's length comes first.
    const std::uint64_t counts = Mul(Mul(channels, facts.height), version == 2 ? 4 : 2);
    facts.sure = code <= 1;  // else a compression whose best is not known here
    facts.pixelsPerByte = 8 * 1032;
    const std::uint64_t data = code == 0 ? raw : code == 1 ? Add(counts, raw / 64) : 0;
    facts.leastSize = Add(at + 2, data);
    facts.mostSize = code == 0 ? Add(facts.leastSize, kHeaderSlack) : Add(facts.mostSize, at);
    return facts;
}

}  // namespace pelmo::header
