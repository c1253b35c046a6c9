// Reading a PNG header: a signature, the IHDR chunk and the header of the
// chunk after it.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- PNG: a signature, the IHDR chunk and the header of the chunk after it.

namespace {

bool IsChunkType(const std::uint8_t* type) {
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t letter = type[i] | 0x20u;
        if (letter < 'a' || letter > 'z') return false;
    }
    return true;
}

}  // namespace

Expected<PictureFacts> Png(ByteReader& file, std::uint64_t at) {
    PictureFacts facts;
    const auto h = Fetch<26>(file, at);
    if (!h || std::memcmp(h->data(), kPngSignature, 8) != 0 ||
        std::memcmp(h->data() + 12, "IHDR", 4) != 0) {
        return NotAPicture("no PNG signature and header chunk", at);
    }
    // The next chunk's length and type, which the decoder reads at once: a
    // stream of zeros after the header is no PNG.
    const auto next = Fetch<8>(file, Add(at, 33));
    if (!next || Be32(next->data()) > 0x7FFFFFFFu || !IsChunkType(next->data() + 4)) {
        return NotAPicture("no chunk after the header chunk", at + 33);
    }
    facts.width = Be32(h->data() + 16);
    facts.height = Be32(h->data() + 20);
    const std::uint32_t depth = (*h)[24];
    static constexpr std::uint8_t kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint32_t channels = (*h)[25] < 7 ? kChannels[(*h)[25]] : 0;
    const std::uint64_t raw =
        Mul(RowBytes(facts.width, std::uint64_t{depth} * channels) + 1, facts.height);
    // Deflate codes at most 258 bytes in two bits: 1032 to 1.
    facts.leastSize = Add(at + 41, raw / 1032);
    facts.mostSize = MostForCompressed(at, raw);
    facts.decoderMemory = raw;
    return facts;
}

}  // namespace pelmo::header
