// Reading a TGA header, and following its run-length packets.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- TGA: an 18-byte header without a signature, an identification field,
// a colour map, then the pixels, plain or in run-length packets.

struct TgaLayout {
    std::uint64_t data = 0;  // the offset of the pixels
    std::uint32_t pixelBytes = 0;
    bool rle = false;
};

// True-colour pixels of 24 or 32 bits after a colour map, which the library
// reads as if no map were there.
bool TgaReadsOverItsMap(const std::array<std::uint8_t, 18>& h) {
    const bool trueColour = h[2] == 2 || h[2] == 10;
    return h[1] != 0 && trueColour && (h[16] == 24 || h[16] == 32) && Le16(h.data() + 5) != 0 &&
           h[7] != 0;
}

std::optional<TgaLayout> TgaLayoutOf(const std::array<std::uint8_t, 18>& h) {
    const std::uint32_t mapType = h[1];
    const std::uint32_t type = h[2];
    const std::uint32_t depth = h[16];
    const bool knownType =
        type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    if (!knownType || !knownDepth) return std::nullopt;
    TgaLayout layout;
    // Any map type but 0 says a colour map is there (the types above 1 are
    // reserved or the vendor's own); the library skips it except before
    // pixels of 24 and 32 bits, which it reads from where the map begins.
    const std::uint64_t map = mapType != 0 && !TgaReadsOverItsMap(h)
                                  ? std::uint64_t{Le16(h.data() + 5)} * ((h[7] + 7) / 8)
                                  : 0;
    layout.data = 18 + std::uint64_t{h[0]} + map;
    layout.pixelBytes = (depth + 7) / 8;
    layout.rle = type >= 9;
    return layout;
}

Expected<PictureFacts> Tga(ByteReader& file) {
    PictureFacts facts;
    const auto h = Fetch<18>(file, 0);
    if (!h) return NotAPicture("the TGA header ends early");
    const auto layout = TgaLayoutOf(*h);
    if (!layout) return NotAPicture("an image type or depth the decoder does not read");
    facts.width = Le16(h->data() + 12);
    facts.height = Le16(h->data() + 14);
    const std::uint32_t type = (*h)[2];
    if ((*h)[1] != 0 && (type == 1 || type == 9) && (*h)[7] == 15) {
        facts.misread = Misread::Tga15BitMap;
    }
    if (TgaReadsOverItsMap(*h)) facts.misread = Misread::TgaTrueColourMap;
    const std::uint64_t pixels = std::uint64_t{facts.width} * facts.height;
    const std::uint64_t plain = pixels * layout->pixelBytes;
    // A run packet codes at most 128 pixels.
    const std::uint64_t least =
        layout->rle ? CeilDiv(pixels, 128) * (1 + layout->pixelBytes) : plain;
    facts.leastSize = layout->data + least;
    facts.mostSize =
        layout->rle ? MostForCompressed(layout->data, plain) : Add(facts.leastSize, kHeaderSlack);
    return facts;
}

bool TgaHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t fileSize) {
    const auto h = Fetch<18>(file, 0);
    const auto layout = h ? TgaLayoutOf(*h) : std::nullopt;
    if (!layout) return false;
    if (!layout->rle) return true;  // the least size says it all
    const std::uint64_t needed = std::uint64_t{facts.width} * facts.height;
    std::array<std::uint8_t, 1 << 16> chunk{};
    std::uint64_t at = layout->data;
    std::uint64_t decoded = 0;
    std::size_t got = 0;
    std::uint64_t chunkStart = 0;
    while (decoded < needed) {
        if (at < chunkStart || at >= chunkStart + got) {
            chunkStart = at;
            got = file.ReadAt(at, chunk.data(), chunk.size());
            if (got == 0) return false;
        }
        const std::uint8_t packet = chunk[at - chunkStart];
        const std::uint64_t count = (packet & 0x7Fu) + 1u;
        decoded += count;
        at += 1 + ((packet & 0x80u) != 0 ? 1 : count) * layout->pixelBytes;
    }
    return at <= fileSize;  // the last packet's pixels are there too
}

}  // namespace pelmo::header
