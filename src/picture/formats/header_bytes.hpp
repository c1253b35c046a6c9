// What the readers of the formats' headers share: byte orders, reads of a
// few bytes at an offset, and each format's readers. Not for use outside
// picture/formats.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/cost.hpp"
#include "base/limits.hpp"
#include "picture/formats/facts.hpp"
#include "picture/formats/format_rules.hpp"

namespace pelmo::header {

using cost::Add;
using cost::CeilDiv;
using cost::kMax;
using cost::Mul;

// The eight bytes every PNG begins with.
inline constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

inline std::uint32_t Le16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}
inline std::uint32_t Le32(const std::uint8_t* p) {
    return Le16(p) | Le16(p + 2) << 16;
}
inline std::uint32_t Be16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 8 | p[1];
}
inline std::uint32_t Be32(const std::uint8_t* p) {
    return Be16(p) << 16 | Be16(p + 2);
}

// The N bytes of the file at an offset, all of them or none. Each reader
// fetches exactly the bytes of the fields it reads, so that a file that ends
// within them is one the library would read past the end of.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> Fetch(ByteReader& file, std::uint64_t offset) {
    std::array<std::uint8_t, N> bytes{};
    if (offset > kMax - N || file.ReadAt(offset, bytes.data(), N) != N) return std::nullopt;
    return bytes;
}

// Why a header is not one the library could read.
inline Failure NotAPicture(const char* why, std::uint64_t at = 0) {
    return Failure{why, at};
}

// The bytes of `pixels` pixels of `bits` bits each, in rows of `width` padded
// to whole bytes.
inline std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bits) {
    return CeilDiv(Mul(width, bits), 8);
}

// A stream of a compressed picture of `raw` bytes: what comes before its
// data, at most twice the data, and room for what follows.
inline std::uint64_t MostForCompressed(std::uint64_t before, std::uint64_t raw) {
    return Add(before, Mul(raw, 2), kHeaderSlack);
}

// The readers of the first picture's header of each format; a PNG may stand
// at `at`, inside an ICO.
Expected<PictureFacts> Bmp(ByteReader& file);
Expected<PictureFacts> Ico(ByteReader& file);
Expected<PictureFacts> Pcx(ByteReader& file);
Expected<PictureFacts> Tga(ByteReader& file);
Expected<PictureFacts> Psd(ByteReader& file);
Expected<PictureFacts> Png(ByteReader& file, std::uint64_t at = 0);
Expected<PictureFacts> Gif(ByteReader& file);
Expected<PictureFacts> Jpeg(ByteReader& file);
Expected<PictureFacts> Tiff(ByteReader& file);
// Where the pages of a GIF, a TIFF and an ICO lie.
Expected<PageSplices> GifPages(ByteReader& file);
Expected<PageSplices> TiffPages(ByteReader& file);
Expected<PageSplices> IcoPages(ByteReader& file);
// Whether the data of a PCX, a TGA or a GIF covers every pixel.
bool PcxHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t size);
bool TgaHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t size);
bool GifHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t size);

}  // namespace pelmo::header
