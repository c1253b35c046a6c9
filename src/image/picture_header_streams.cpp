// Reading the headers of the formats made of chunks, markers and blocks: PNG,
// GIF, JPEG and TIFF.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "image/header_bytes.hpp"

namespace pelmo::header {

// ---- PNG: a signature and the IHDR chunk.

HeaderVerdict Png(ByteReader& file, std::uint64_t at, PictureFacts& facts) {
    const auto h = Fetch<26>(file, at);
    if (!h || std::memcmp(h->data(), kPngSignature, 8) != 0 ||
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

namespace {

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

}  // namespace

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

}  // namespace pelmo::header
