#include "image/picture_header.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace pelmo {

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
// Room for what a header may put before the pixels and after them (profiles,
// comments, thumbnails, layers) when bounding what a stream could need.
constexpr std::uint64_t kSlack = std::uint64_t{16} << 20;
// Markers, extension blocks and chunks before a JPEG's frame header or a
// GIF's first image are read this far at most.
constexpr std::uint64_t kPreambleLimit = std::uint64_t{16} << 20;

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

std::uint32_t Le16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}
std::uint32_t Le32(const std::uint8_t* p) {
    return Le16(p) | Le16(p + 2) << 16;
}
std::uint32_t Be16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 8 | p[1];
}
std::uint32_t Be32(const std::uint8_t* p) {
    return Be16(p) << 16 | Be16(p + 2);
}

// A few bytes of the file at an offset, all of them or none.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> Fetch(ByteReader& file, std::uint64_t offset) {
    std::array<std::uint8_t, N> bytes{};
    if (offset == kMax || file.ReadAt(offset, bytes.data(), N) != N) return std::nullopt;
    return bytes;
}

// The bytes of `pixels` pixels of `bits` bits each, in rows of `width` padded
// to whole bytes.
std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bits) {
    return CeilDiv(Mul(width, bits), 8);
}

// A stream of a compressed picture of `raw` bytes: what comes before its
// data, at most twice the data, and room for what follows.
std::uint64_t MostForCompressed(std::uint64_t before, std::uint64_t raw) {
    return Add(Add(before, Mul(raw, 2)), kSlack);
}

// ---- BMP: a file header, an info header, a palette, the rows bottom up.

HeaderVerdict Bmp(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<30>(file, 0);
    if (!h || (*h)[0] != 'B' || (*h)[1] != 'M') return HeaderVerdict::NotAPicture;
    const std::uint64_t offBits = Le32(h->data() + 10);
    const std::uint32_t infoSize = Le32(h->data() + 14);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {  // the old OS/2 header, never compressed
        width = Le16(h->data() + 18);
        height = Le16(h->data() + 20);
        bits = Le16(h->data() + 24);
    } else if (infoSize >= 40) {
        const auto more = Fetch<20>(file, 14);
        if (!more) return HeaderVerdict::NotAPicture;
        const auto w = static_cast<std::int32_t>(Le32(more->data() + 4));
        const auto v = static_cast<std::int32_t>(Le32(more->data() + 8));
        width = w < 0 ? 0 : static_cast<std::uint64_t>(w);
        // A negative height stores the rows top down.
        height = v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(std::int64_t{v})
                       : static_cast<std::uint64_t>(v);
        bits = Le16(more->data() + 14);
        compression = Le32(more->data() + 16);
    } else {
        return HeaderVerdict::NotAPicture;
    }
    facts.width = static_cast<std::uint32_t>(std::min<std::uint64_t>(width, UINT32_MAX));
    facts.height = static_cast<std::uint32_t>(std::min<std::uint64_t>(height, UINT32_MAX));
    const std::uint64_t headers = 14 + std::uint64_t{infoSize};
    // Rows of whole 32-bit words, stored as they are unless run-length coded.
    const std::uint64_t rows = Mul(CeilDiv(Mul(width, bits), 32) * 4, height);
    const bool plain = infoSize == 12 || compression == 0 || compression == 3 || compression == 6;
    facts.leastSize = plain ? Add(headers, rows) : headers;
    // Where the rows begin (at the offset given, or past the largest palette);
    // run-length coded rows take at most two bytes a pixel.
    const std::uint64_t before = std::max(offBits, headers + 1036);
    facts.mostSize = Add(Add(before, plain ? rows : Mul(rows, 2)), kSlack);
    return HeaderVerdict::Picture;
}

// ---- ICO: a directory, then the first image as a BMP without its file
// header (twice as high: the colours, then a 1-bit mask) or as a PNG.

HeaderVerdict Png(ByteReader& file, std::uint64_t at, PictureFacts& facts);

HeaderVerdict Ico(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<22>(file, 0);
    if (!h || Le16(h->data()) != 0 || (Le16(h->data() + 2) != 1 && Le16(h->data() + 2) != 2) ||
        Le16(h->data() + 4) == 0) {
        return HeaderVerdict::NotAPicture;
    }
    const std::uint64_t resource = Le32(h->data() + 14);
    const std::uint64_t offset = Le32(h->data() + 18);
    const auto image = Fetch<16>(file, offset);
    if (!image) return HeaderVerdict::NotAPicture;
    static constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(image->data(), kPngSignature, 8) == 0) {
        const HeaderVerdict verdict = Png(file, offset, facts);
        facts.mostSize = Add(facts.mostSize, Add(offset, resource));
        return verdict;
    }
    const std::uint32_t infoSize = Le32(image->data());
    if (infoSize < 40) return HeaderVerdict::NotAPicture;
    const auto more = Fetch<32>(file, offset + 4);
    if (!more) return HeaderVerdict::NotAPicture;
    const auto w = static_cast<std::int32_t>(Le32(more->data()));
    const auto v = static_cast<std::int32_t>(Le32(more->data() + 4));
    const std::uint64_t width = w < 0 ? 0 : static_cast<std::uint64_t>(w);
    const std::uint64_t height = v < 0 ? 0 : static_cast<std::uint64_t>(v) / 2;
    const std::uint32_t bits = Le16(more->data() + 10);
    const std::uint64_t used = Le32(more->data() + 28);
    facts.width = static_cast<std::uint32_t>(width);
    facts.height = static_cast<std::uint32_t>(height);
    const std::uint64_t palette = bits <= 8 ? 4 * (used != 0 ? used : std::uint64_t{1} << bits) : 0;
    const std::uint64_t colours = Mul(CeilDiv(Mul(width, bits), 32) * 4, height);
    const std::uint64_t mask = Mul(CeilDiv(width, 32) * 4, height);
    facts.leastSize = Add(Add(offset + infoSize, palette), Add(colours, mask));
    facts.mostSize = Add(std::max(facts.leastSize, Add(offset, resource)), kSlack);
    // The decoder may add an alpha channel from the mask: a 32-bit copy.
    facts.decoderMemory = Mul(Mul(width, height), 4);
    return HeaderVerdict::Picture;
}

// ---- PCX: a 128-byte header, rows of bytes per plane (run-length coded or
// not), and for 256 colours a palette after a 0x0C byte at the end.

struct PcxLayout {
    std::uint64_t data = 0;  // bytes of every row of every plane, decoded
    bool rle = false;
    bool endPalette = false;
};

PcxLayout PcxLayoutOf(const std::array<std::uint8_t, 128>& h, std::uint64_t height) {
    PcxLayout layout;
    layout.data = Mul(std::uint64_t{Le16(h.data() + 66)} * h[65], height);
    layout.rle = h[2] == 1;
    layout.endPalette = h[1] == 5 && h[3] == 8 && h[65] == 1;
    return layout;
}

HeaderVerdict Pcx(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<128>(file, 0);
    if (!h || (*h)[0] != 0x0A || (*h)[2] > 1) return HeaderVerdict::NotAPicture;
    const std::uint32_t xmin = Le16(h->data() + 4);
    const std::uint32_t ymin = Le16(h->data() + 6);
    const std::uint32_t xmax = Le16(h->data() + 8);
    const std::uint32_t ymax = Le16(h->data() + 10);
    if (xmax < xmin || ymax < ymin) return HeaderVerdict::NotAPicture;
    facts.width = xmax - xmin + 1;
    facts.height = ymax - ymin + 1;
    const PcxLayout layout = PcxLayoutOf(*h, facts.height);
    const std::uint64_t palette = layout.endPalette ? 769 : 0;
    // A byte pair codes at most 63 bytes.
    const std::uint64_t least = layout.rle ? 2 * CeilDiv(layout.data, 63) : layout.data;
    facts.leastSize = 128 + least + palette;
    facts.mostSize = MostForCompressed(128 + palette, layout.data);
    return HeaderVerdict::Picture;
}

// The offset just past the run-length coded data that decodes to `needed`
// bytes from `from` on, or nothing when the file ends first.
std::optional<std::uint64_t> EndOfPcxRuns(ByteReader& file, std::uint64_t from,
                                          std::uint64_t needed) {
    std::array<std::uint8_t, 1 << 16> chunk{};
    std::uint64_t decoded = 0;
    std::uint64_t at = from;
    bool countPending = false;  // the last byte was a run count; its value is next
    std::uint64_t count = 0;
    while (decoded < needed) {
        const std::size_t got = file.ReadAt(at, chunk.data(), chunk.size());
        if (got == 0) return std::nullopt;
        std::size_t i = 0;
        for (; i < got && decoded < needed; ++i) {
            const std::uint8_t b = chunk[i];
            if (countPending) {
                decoded += count;
                countPending = false;
            } else if (b >= 0xC0) {
                count = b & 0x3Fu;
                countPending = true;
            } else {
                ++decoded;
            }
        }
        at += i;
    }
    return at;
}

bool PcxHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t fileSize) {
    const auto h = Fetch<128>(file, 0);
    if (!h) return false;
    const PcxLayout layout = PcxLayoutOf(*h, facts.height);
    std::uint64_t end = Add(128, layout.data);
    if (layout.rle) {
        const auto runsEnd = EndOfPcxRuns(file, 128, layout.data);
        if (!runsEnd) return false;
        end = *runsEnd;
    }
    if (end > fileSize) return false;
    if (!layout.endPalette || end == fileSize) return true;  // a file without its palette is whole
    // Else the palette follows, whole: a 0x0C byte and 256 colours at the end.
    const auto marker = Fetch<1>(file, fileSize - 769);
    return end + 769 <= fileSize && marker && (*marker)[0] == 0x0C;
}

// ---- PNG: a signature and the IHDR chunk.

HeaderVerdict Png(ByteReader& file, std::uint64_t at, PictureFacts& facts) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto h = Fetch<26>(file, at);
    if (!h || std::memcmp(h->data(), kSignature, 8) != 0 ||
        std::memcmp(h->data() + 12, "IHDR", 4) != 0) {
        return HeaderVerdict::NotAPicture;
    }
    facts.width = Be32(h->data() + 16);
    facts.height = Be32(h->data() + 20);
    const std::uint32_t depth = (*h)[24];
    static constexpr std::uint8_t kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint32_t channels = (*h)[25] < 7 ? kChannels[(*h)[25]] : 0;
    const std::uint64_t raw =
        Mul(RowBytes(facts.width, std::uint64_t{depth} * channels) + 1, facts.height);
    // Deflate codes at most 258 bytes in two bits: 1032 to 1.
    facts.leastSize = Add(at + 33, raw / 1032);
    facts.mostSize = MostForCompressed(at, raw);
    facts.decoderMemory = raw;
    return HeaderVerdict::Picture;
}

// ---- TGA: an 18-byte header without a signature, an identification field,
// a colour map, then the pixels, plain or in run-length packets.

struct TgaLayout {
    std::uint64_t data = 0;  // the offset of the pixels
    std::uint32_t pixelBytes = 0;
    bool rle = false;
};

std::optional<TgaLayout> TgaLayoutOf(const std::array<std::uint8_t, 18>& h) {
    const std::uint32_t mapType = h[1];
    const std::uint32_t type = h[2];
    const std::uint32_t depth = h[16];
    const bool knownType =
        type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    if (mapType > 1 || !knownType || !knownDepth) return std::nullopt;
    TgaLayout layout;
    const std::uint64_t map =
        mapType == 1 ? std::uint64_t{Le16(h.data() + 5)} * ((h[7] + 7) / 8) : 0;
    layout.data = 18 + std::uint64_t{h[0]} + map;
    layout.pixelBytes = (depth + 7) / 8;
    layout.rle = type >= 9;
    return layout;
}

HeaderVerdict Tga(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<18>(file, 0);
    if (!h) return HeaderVerdict::NotAPicture;
    const auto layout = TgaLayoutOf(*h);
    if (!layout) return HeaderVerdict::NotAPicture;
    facts.width = Le16(h->data() + 12);
    facts.height = Le16(h->data() + 14);
    const std::uint64_t pixels = std::uint64_t{facts.width} * facts.height;
    const std::uint64_t plain = pixels * layout->pixelBytes;
    // A run packet codes at most 128 pixels.
    const std::uint64_t least =
        layout->rle ? CeilDiv(pixels, 128) * (1 + layout->pixelBytes) : plain;
    facts.leastSize = layout->data + least;
    facts.mostSize =
        layout->rle ? MostForCompressed(layout->data, plain) : Add(facts.leastSize, kSlack);
    return HeaderVerdict::Picture;
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

// ---- PSD: a 26-byte header, three sections of declared lengths, then the
// merged image: a compression code and the channels, plain or PackBits.

HeaderVerdict Psd(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<26>(file, 0);
    if (!h || std::memcmp(h->data(), "8BPS", 4) != 0) return HeaderVerdict::NotAPicture;
    const std::uint32_t version = Be16(h->data() + 4);
    if (version != 1 && version != 2) return HeaderVerdict::NotAPicture;
    const std::uint64_t channels = Be16(h->data() + 12);
    facts.height = Be32(h->data() + 14);
    facts.width = Be32(h->data() + 18);
    const std::uint64_t depth = Be16(h->data() + 22);
    const std::uint64_t plane = Mul(RowBytes(facts.width, depth), facts.height);
    const std::uint64_t raw = Mul(plane, channels);
    facts.mostSize = MostForCompressed(26, raw);
    facts.decoderMemory = Mul(raw, 2);
    facts.leastSize = 26;
    // Where the merged image starts: past the colour data, the resources and
    // the layers, each with its length in front.
    std::uint64_t at = 26;
    for (int section = 0; section < 3; ++section) {
        const bool wide = section == 2 && version == 2;
        const auto length = Fetch<8>(file, at);
        if (!length) return HeaderVerdict::Picture;  // the decoder will say
        const std::uint64_t bytes =
            wide ? (std::uint64_t{Be32(length->data())} << 32 | Be32(length->data() + 4))
                 : Be32(length->data());
        at = Add(Add(at, wide ? 8 : 4), bytes);
    }
    const auto compression = Fetch<2>(file, at);
    if (!compression) return HeaderVerdict::Picture;
    const std::uint32_t code = Be16(compression->data());
    // PackBits codes at most 128 bytes in two; each row's length comes first.
    const std::uint64_t counts = Mul(Mul(channels, facts.height), version == 2 ? 4 : 2);
    const std::uint64_t data = code == 0 ? raw : code == 1 ? Add(counts, raw / 64) : 0;
    facts.leastSize = Add(at + 2, data);
    facts.mostSize = code == 0 ? Add(facts.leastSize, kSlack) : Add(facts.mostSize, at);
    return HeaderVerdict::Picture;
}

// ---- GIF: a screen descriptor and colour table, extension blocks, then the
// first image's descriptor.

HeaderVerdict Gif(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<13>(file, 0);
    if (!h ||
        (std::memcmp(h->data(), "GIF87a", 6) != 0 && std::memcmp(h->data(), "GIF89a", 6) != 0)) {
        return HeaderVerdict::NotAPicture;
    }
    const auto table = [](std::uint8_t flags) {
        return (flags & 0x80u) != 0 ? 3 * (std::uint64_t{2} << (flags & 7u)) : 0;
    };
    std::uint64_t at = 13 + table((*h)[10]);
    while (at < kPreambleLimit) {
        const auto block = Fetch<2>(file, at);
        if (!block) return HeaderVerdict::NotAPicture;
        if ((*block)[0] == 0x2C) break;
        if ((*block)[0] != 0x21) return HeaderVerdict::NotAPicture;  // a trailer, or garbage
        at += 2;
        for (;;) {  // sub-blocks, each with its length in front, until an empty one
            const auto size = Fetch<1>(file, at);
            if (!size) return HeaderVerdict::NotAPicture;
            at += 1 + std::uint64_t{(*size)[0]};
            if ((*size)[0] == 0) break;
        }
    }
    const auto image = Fetch<10>(file, at);
    if (!image || (*image)[0] != 0x2C) return HeaderVerdict::NotAPicture;
    facts.width = Le16(image->data() + 5);
    facts.height = Le16(image->data() + 7);
    const std::uint64_t pixels = std::uint64_t{facts.width} * facts.height;
    const std::uint64_t data = at + 10 + table((*image)[9]);
    // An LZW code of b bits stands for at most 2^b pixels, and b is 12 at
    // most: 341 pixels a bit at best.
    facts.leastSize = data + 1 + pixels / (8 * 341);
    facts.mostSize = MostForCompressed(data, pixels);
    return HeaderVerdict::Picture;
}

// ---- JPEG: markers up to the frame header.

HeaderVerdict Jpeg(ByteReader& file, PictureFacts& facts) {
    const auto soi = Fetch<2>(file, 0);
    if (!soi || (*soi)[0] != 0xFF || (*soi)[1] != 0xD8) return HeaderVerdict::NotAPicture;
    std::uint64_t at = 2;
    while (at < kPreambleLimit) {
        const auto marker = Fetch<4>(file, at);
        if (!marker) return HeaderVerdict::NotAPicture;
        const std::uint32_t m = (*marker)[1];
        if ((*marker)[0] != 0xFF || m == 0xFF) {  // stray bytes, which decoders skip, or fill
            ++at;
            continue;
        }
        const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (frame) {
            const auto sof = Fetch<10>(file, at);
            if (!sof) return HeaderVerdict::NotAPicture;
            facts.height = Be16(sof->data() + 5);
            facts.width = Be16(sof->data() + 7);
            const std::uint32_t count = (*sof)[9];
            std::array<std::uint8_t, 3 * 255> components{};
            if (file.ReadAt(at + 10, components.data(), 3 * count) != 3 * count) {
                return HeaderVerdict::NotAPicture;
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
                padded +=
                    Mul(CeilDiv(facts.width, 8 * hMax) * hs, CeilDiv(facts.height, 8 * vMax) * vs);
            }
            // Huffman coding spends a bit on every block at least; the
            // arithmetic coding of frames C9 to CF has no such floor.
            facts.leastSize = m < 0xC8 ? at + blocks / 8 : at;
            facts.mostSize =
                MostForCompressed(at, Mul(std::uint64_t{facts.width} * facts.height, count));
            // Sixty-four coefficients of two bytes each per block, which a
            // progressive decoder keeps for the whole picture.
            facts.decoderMemory = Mul(padded, 128);
            return HeaderVerdict::Picture;
        }
        if (m == 0xD9 || m == 0xDA) return HeaderVerdict::NotAPicture;  // no frame before the data
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
            at += 2;  // markers without a length
            continue;
        }
        at += 2 + Be16(marker->data() + 2);
    }
    return HeaderVerdict::NotAPicture;
}

// ---- TIFF: a byte order, the first directory's offset, the size and the
// layout in that directory, and the strips (or tiles) it points to.

class TiffFile {
  public:
    TiffFile(ByteReader& file, bool little, bool big) : file_(file), little_(little), big_(big) {}

    // A number of `bytes` bytes in the file's byte order.
    std::uint64_t Number(const std::uint8_t* p, unsigned bytes) const {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) {
            value |= std::uint64_t{p[little_ ? i : bytes - 1 - i]} << (8 * i);
        }
        return value;
    }

    struct Entry {
        std::uint32_t tag = 0;
        unsigned size = 0;  // bytes of one value: 2, 4 or 8; 0 for other types
        std::uint64_t count = 0;
        std::uint64_t at = 0;  // where the values are
    };

    std::optional<Entry> EntryAt(std::uint64_t offset) const {
        const auto e = Fetch<20>(file_, offset);
        if (!e) return std::nullopt;
        const std::uint32_t type = static_cast<std::uint32_t>(Number(e->data() + 2, 2));
        Entry entry{static_cast<std::uint32_t>(Number(e->data(), 2)),
                    type == 3    ? 2u
                    : type == 4  ? 4u
                    : type == 16 ? 8u
                                 : 0u,
                    Number(e->data() + 4, big_ ? 8 : 4), offset + (big_ ? 12 : 8)};
        // Values that do not fit the entry lie where it points.
        if (Mul(entry.count, entry.size) > (big_ ? 8u : 4u))
            entry.at = Number(e->data() + (big_ ? 12 : 8), big_ ? 8 : 4);
        return entry;
    }

    // The first value of `entry`, 0 when there is none.
    std::uint64_t First(const Entry& entry) const {
        std::array<std::uint8_t, 8> value{};
        if (entry.size == 0 || entry.count == 0 ||
            file_.ReadAt(entry.at, value.data(), entry.size) != entry.size) {
            return 0;
        }
        return Number(value.data(), entry.size);
    }

    // Calls `use` with each value of `entry`, reading them a block at a time.
    template <typename Use>
    bool EachValue(const Entry& entry, Use use) const {
        if (entry.size == 0 || entry.count > (std::uint64_t{1} << 24)) return false;
        std::array<std::uint8_t, 1 << 15> block{};
        for (std::uint64_t done = 0; done < entry.count;) {
            const std::uint64_t n =
                std::min<std::uint64_t>(entry.count - done, block.size() / entry.size);
            const std::size_t bytes = static_cast<std::size_t>(n * entry.size);
            if (file_.ReadAt(entry.at + done * entry.size, block.data(), bytes) != bytes)
                return false;
            for (std::uint64_t i = 0; i < n; ++i)
                use(Number(block.data() + i * entry.size, entry.size));
            done += n;
        }
        return true;
    }

  private:
    ByteReader& file_;
    bool little_;
    bool big_;
};

// The most bytes a TIFF compression makes of one, where it has a bound: none,
// LZW (codes of 9 bits at least for strings of 4096 bytes at most), deflate
// and PackBits. 0 for none known.
std::uint64_t TiffRatio(std::uint64_t compression) {
    switch (compression) {
        case 1:
            return 1;
        case 5:
            return 3641;
        case 8:
        case 32946:
            return 1032;
        case 32773:
            return 64;
        default:
            return 0;
    }
}

struct TiffLayout {
    std::uint64_t samples = 1, bits = 8, compression = 1;
    std::optional<TiffFile::Entry> offsets, counts;
};

// Where every strip (or tile) lies must be inside the file, and they must
// hold enough bytes for the pixels at the compression's best.
HeaderVerdict TiffStrips(const TiffFile& tiff, const TiffLayout& layout, std::uint64_t raw,
                         PictureFacts& facts) {
    if (!layout.offsets || !layout.counts || layout.offsets->count != layout.counts->count) {
        return HeaderVerdict::Picture;  // the decoder will say
    }
    std::vector<std::uint64_t> starts;
    if (!tiff.EachValue(*layout.offsets, [&](std::uint64_t v) { starts.push_back(v); })) {
        return HeaderVerdict::Picture;
    }
    std::uint64_t held = 0;
    std::size_t i = 0;
    const bool read = tiff.EachValue(*layout.counts, [&](std::uint64_t count) {
        held = Add(held, count);
        facts.leastSize = std::max(facts.leastSize, Add(starts[i++], count));
    });
    if (!read) return HeaderVerdict::Picture;
    facts.mostSize = std::max(facts.mostSize, Add(facts.leastSize, kSlack));
    // Strips that cannot hold the pixels make a file that no size can hold.
    const std::uint64_t ratio = TiffRatio(layout.compression);
    if (ratio != 0 && Mul(held, ratio) < raw) facts.leastSize = kMax;
    return HeaderVerdict::Picture;
}

// The entries of the directory at `directory` that tell the size and the
// layout of the first picture; the number of entries read.
std::uint64_t ReadTiffDirectory(ByteReader& file, const TiffFile& tiff, bool big,
                                std::uint64_t directory, PictureFacts& facts, TiffLayout& layout) {
    const auto count = Fetch<8>(file, directory);
    if (!count) return 0;
    const std::uint64_t entries =
        std::min<std::uint64_t>(tiff.Number(count->data(), big ? 8 : 2), 4096);
    for (std::uint64_t e = 0; e < entries; ++e) {
        const auto entry = tiff.EntryAt(directory + (big ? 8 : 2) + e * (big ? 20 : 12));
        if (!entry) break;
        const std::uint64_t first = tiff.First(*entry);
        const auto clamp = [](std::uint64_t v) {
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX));
        };
        switch (entry->tag) {
            case 256:
                facts.width = clamp(first);
                break;
            case 257:
                facts.height = clamp(first);
                break;
            case 258:
                layout.bits = std::max<std::uint64_t>(first, 1);
                break;
            case 259:
                layout.compression = first;
                break;
            case 277:
                layout.samples = std::max<std::uint64_t>(first, 1);
                break;
            case 273:
            case 324:
                layout.offsets = entry;
                break;
            case 279:
            case 325:
                layout.counts = entry;
                break;
            default:
                break;
        }
    }
    return entries;
}

HeaderVerdict Tiff(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<16>(file, 0);
    if (!h) return HeaderVerdict::NotAPicture;
    const bool little = (*h)[0] == 'I' && (*h)[1] == 'I';
    if (!little && !((*h)[0] == 'M' && (*h)[1] == 'M')) return HeaderVerdict::NotAPicture;
    const TiffFile probe(file, little, false);
    const std::uint64_t version = probe.Number(h->data() + 2, 2);
    if (version != 42 && version != 43) return HeaderVerdict::NotAPicture;
    const bool big = version == 43;
    const TiffFile tiff(file, little, big);
    const std::uint64_t directory = tiff.Number(h->data() + (big ? 8 : 4), big ? 8 : 4);
    TiffLayout layout;
    const std::uint64_t entries = ReadTiffDirectory(file, tiff, big, directory, facts, layout);
    if (facts.width == 0 || facts.height == 0) return HeaderVerdict::NotAPicture;
    const std::uint64_t raw =
        Mul(RowBytes(facts.width, Mul(layout.samples, layout.bits)), facts.height);
    facts.leastSize = 8;
    facts.mostSize = MostForCompressed(directory + 8 + entries * (big ? 20 : 12), raw);
    // A strip as the file holds it and as it decodes: the whole picture when
    // it is one strip.
    facts.decoderMemory = Mul(raw, 2);
    return TiffStrips(tiff, layout, raw, facts);
}

}  // namespace

HeaderVerdict ReadPictureHeader(FREE_IMAGE_FORMAT format, ByteReader& file, PictureFacts& facts) {
    facts = PictureFacts();
    switch (format) {
        case FIF_BMP:
            return Bmp(file, facts);
        case FIF_ICO:
            return Ico(file, facts);
        case FIF_JPEG:
            return Jpeg(file, facts);
        case FIF_PCX:
            return Pcx(file, facts);
        case FIF_PNG:
            return Png(file, 0, facts);
        case FIF_TARGA:
            return Tga(file, facts);
        case FIF_TIFF:
            return Tiff(file, facts);
        case FIF_GIF:
            return Gif(file, facts);
        case FIF_PSD:
            return Psd(file, facts);
        default:
            return HeaderVerdict::NotAPicture;
    }
}

bool HoldsItsPixels(FREE_IMAGE_FORMAT format, ByteReader& file, const PictureFacts& facts,
                    std::uint64_t fileSize) {
    if (fileSize < facts.leastSize) return false;
    switch (format) {
        case FIF_PCX:
            return PcxHoldsItsPixels(file, facts, fileSize);
        case FIF_TARGA:
            return TgaHoldsItsPixels(file, facts, fileSize);
        default:
            return true;
    }
}

}  // namespace pelmo
