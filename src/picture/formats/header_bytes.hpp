// What the readers of the formats' headers share (picture_header.cpp and
// picture_header_streams.cpp): bounded arithmetic, byte orders and reads of a
// few bytes at an offset. Not for use elsewhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "picture/formats/facts.hpp"

namespace pelmo::header {

inline constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
// Room for what a header may put before the pixels and after them (profiles,
// comments, thumbnails, layers) when bounding what a stream could need.
inline constexpr std::uint64_t kSlack = std::uint64_t{16} << 20;
// Markers, extension blocks and chunks before a JPEG's frame header or a
// GIF's first image are read this far at most.
inline constexpr std::uint64_t kPreambleLimit = std::uint64_t{16} << 20;

// The eight bytes every PNG begins with.
inline constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Products and sums that stop at the largest value instead of wrapping.
constexpr std::uint64_t Mul(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > kMax / a ? kMax : a * b;
}
constexpr std::uint64_t Add(std::uint64_t a, std::uint64_t b) {
    return b > kMax - a ? kMax : a + b;
}
constexpr std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return a / b + (a % b != 0 ? 1 : 0);
}

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

// The bytes of `pixels` pixels of `bits` bits each, in rows of `width` padded
// to whole bytes.
inline std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bits) {
    return CeilDiv(Mul(width, bits), 8);
}

// A stream of a compressed picture of `raw` bytes: what comes before its
// data, at most twice the data, and room for what follows.
inline std::uint64_t MostForCompressed(std::uint64_t before, std::uint64_t raw) {
    return Add(Add(before, Mul(raw, 2)), kSlack);
}

// The readers of the formats whose headers are fixed records (BMP, ICO, PCX,
// TGA, PSD) and of those made of chunks, markers or blocks (PNG, GIF, JPEG,
// TIFF); a PNG may stand at `at`, inside an ICO.
HeaderVerdict Bmp(ByteReader& file, PictureFacts& facts);
// The ICO's image `index` (0 for the first); IcoImages says how many it has.
HeaderVerdict Ico(ByteReader& file, PictureFacts& facts, std::uint32_t index = 0);
std::uint32_t IcoImages(ByteReader& file);
HeaderVerdict Pcx(ByteReader& file, PictureFacts& facts);
HeaderVerdict Tga(ByteReader& file, PictureFacts& facts);
HeaderVerdict Psd(ByteReader& file, PictureFacts& facts);
HeaderVerdict Png(ByteReader& file, std::uint64_t at, PictureFacts& facts);
HeaderVerdict Gif(ByteReader& file, PictureFacts& facts);
HeaderVerdict Jpeg(ByteReader& file, PictureFacts& facts);
HeaderVerdict Tiff(ByteReader& file, PictureFacts& facts);
// Every frame of a GIF, and its screen; every page of a TIFF.
HeaderVerdict GifFrames(ByteReader& file, PagesFacts& pages);
HeaderVerdict TiffPages(ByteReader& file, PagesFacts& pages);
bool PcxHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t fileSize);
bool TgaHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t fileSize);
bool GifHoldsItsPixels(ByteReader& file, const PictureFacts& facts);

}  // namespace pelmo::header
