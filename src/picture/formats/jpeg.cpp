// Reading a JPEG header: its markers up to the frame header.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- JPEG: markers up to the frame header.

namespace {

// The facts of the frame header (marker `m`) at `at`.
Expected<PictureFacts> JpegFrame(ByteReader& file, std::uint64_t at, std::uint32_t m) {
    PictureFacts facts;
    const auto sof = Fetch<10>(file, at);
    if (!sof) return NotAPicture("the frame header ends early", at);
    facts.height = Be16(sof->data() + 5);
    facts.width = Be16(sof->data() + 7);
    const std::uint32_t count = (*sof)[9];
    std::array<std::uint8_t, 3 * 255> components{};
    if (file.ReadAt(at + 10, components.data(), 3 * count) != 3 * count) {
        return NotAPicture("the frame header's components end early", at);
    }
    std::uint32_t hMax = 1;
    std::uint32_t vMax = 1;
    for (std::uint32_t c = 0; c < count; ++c) {
        hMax = std::max<std::uint32_t>(hMax, components[3 * c + 1] >> 4);
        vMax = std::max<std::uint32_t>(vMax, components[3 * c + 1] & 15u);
    }
    std::uint64_t blocks = 0;
    std::uint64_t padded = 0;  // whole units of the largest sampling
    for (std::uint32_t c = 0; c < count; ++c) {
        const std::uint64_t hs = components[3 * c + 1] >> 4;
        const std::uint64_t vs = components[3 * c + 1] & 15u;
        blocks += Mul(CeilDiv(CeilDiv(facts.width * hs, hMax), 8),
                      CeilDiv(CeilDiv(facts.height * vs, vMax), 8));
        padded += Mul(CeilDiv(facts.width, 8 * hMax) * hs, CeilDiv(facts.height, 8 * vMax) * vs);
    }
    // Huffman coding spends a bit on every block at least; the arithmetic
    // coding of frames C9 to CF has no such floor.
    facts.leastSize = m < 0xC8 ? at + blocks / 8 : at;
    facts.mostSize = MostForCompressed(at, Mul(facts.Pixels(), count));
    // Sixty-four coefficients of two bytes each per block, which a
    // progressive decoder keeps for the whole picture.
    facts.decoderMemory = Mul(padded, 128);
    return facts;
}

}  // namespace

Expected<PictureFacts> Jpeg(ByteReader& file) {
    const auto soi = Fetch<2>(file, 0);
    if (!soi || (*soi)[0] != 0xFF || (*soi)[1] != 0xD8) {
        return NotAPicture("no JPEG start of image");
    }
    std::uint64_t at = 2;
    while (at < kPreambleBytes) {
        const auto marker = Fetch<2>(file, at);
        if (!marker) return NotAPicture("the markers end before a frame header", at);
        const std::uint32_t m = (*marker)[1];
        if ((*marker)[0] != 0xFF || m == 0xFF) {  // stray bytes, which decoders skip, or fill
            ++at;
            continue;
        }
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            return JpegFrame(file, at, m);
        }
        if (m == 0xD9 || m == 0xDA) return NotAPicture("image data before a frame header", at);
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
            at += 2;  // markers without a length
            continue;
        }
        const auto length = Fetch<2>(file, at + 2);
        if (!length) return NotAPicture("a marker's length lies past the end of the file", at);
        at += 2 + Be16(length->data());
    }
    return NotAPicture("no frame header within the first bytes");
}

}  // namespace pelmo::header
