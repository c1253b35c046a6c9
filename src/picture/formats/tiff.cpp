// Reading a TIFF header: its directories and the strips they point to.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

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

    // Offsets and counts: 4 bytes, 8 in a BigTIFF.
    unsigned OffsetBytes() const { return big_ ? 8 : 4; }

    struct Entry {
        std::uint32_t tag = 0;
        unsigned size = 0;  // bytes of one value of an integer type; 0 for other types
        std::uint64_t count = 0;
        std::uint64_t at = 0;  // where the values are
    };

    // The directory entry at `offset`: 12 bytes, 20 in a BigTIFF.
    std::optional<Entry> EntryAt(std::uint64_t offset) const {
        std::array<std::uint8_t, 20> e{};
        const std::size_t bytes = big_ ? 20 : 12;
        if (file_.ReadAt(offset, e.data(), bytes) != bytes) return std::nullopt;
        const std::uint32_t type = static_cast<std::uint32_t>(Number(e.data() + 2, 2));
        Entry entry{static_cast<std::uint32_t>(Number(e.data(), 2)), IntegerBytes(type),
                    Number(e.data() + 4, OffsetBytes()), offset + 4 + OffsetBytes()};
        // Values that do not fit the entry lie where it points.
        if (Mul(entry.count, entry.size) > OffsetBytes()) {
            entry.at = Number(e.data() + 4 + OffsetBytes(), OffsetBytes());
        }
        return entry;
    }

    // The first value of `entry`, 0 when it has none; nothing when it lies
    // past the end of the file.
    std::optional<std::uint64_t> First(const Entry& entry) const {
        std::array<std::uint8_t, 8> value{};
        if (entry.size == 0 || entry.count == 0) return 0;
        if (file_.ReadAt(entry.at, value.data(), entry.size) != entry.size) return std::nullopt;
        return Number(value.data(), entry.size);
    }

    // Calls `use` with each value of `entry`, reading them a block at a time;
    // false when they run past the end of the file.
    template <typename Use>
    bool EachValue(const Entry& entry, Use use) const {
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
    // The TIFF decoder reads a size, a count or an offset from any integer
    // type: bytes, shorts, longs and 8-byte longs, signed or not (a negative
    // value reads as a large one here; the decoder refuses it).
    static unsigned IntegerBytes(std::uint32_t type) {
        switch (type) {
            case 1:  // BYTE
            case 6:  // SBYTE
                return 1;
            case 3:  // SHORT
            case 8:  // SSHORT
                return 2;
            case 4:  // LONG
            case 9:  // SLONG
                return 4;
            case 16:  // LONG8
            case 17:  // SLONG8
                return 8;
            default:
                return 0;
        }
    }

    ByteReader& file_;
    bool little_;
    bool big_;
};

// The most pixels a byte of strip data can stand for under a compression,
// where it has a bound: a bit a pixel as they are, PackBits' 128 bytes in
// two, LZW's strings of 4096 bytes at most in codes of 9 bits at least,
// deflate's 258 bytes in two bits, a bit a row for the fax codings, a bit a
// block of 64 pixels for JPEG. 0 for a compression not known here.
std::uint64_t TiffPixelsPerByte(std::uint64_t compression, std::uint64_t width) {
    switch (compression) {
        case 1:
            return 8;
        case 32773:
            return 8 * 64;
        case 5:
            return 8 * 3641;
        case 8:
        case 32946:
            return 8 * 1032;
        case 2:
        case 3:
        case 4:
            return Mul(8, width);
        case 6:
        case 7:
            return 8 * 64;
        default:
            return 0;
    }
}

struct TiffLayout {
    // The defaults of a directory that leaves the tags out.
    std::uint64_t samples = 1, bits = 1, compression = 1;
    std::uint64_t rowsPerStrip = kMax;
    std::uint64_t tileWidth = 0, tileLength = 0;  // 0 for strips
    std::optional<TiffFile::Entry> offsets, counts;
};

// The pixels of strip (or tile) `i` of a picture of `width` x `height`.
std::uint64_t TiffStripPixels(const TiffLayout& layout, std::uint64_t i, std::uint64_t width,
                              std::uint64_t height) {
    if (layout.tileWidth != 0) return Mul(layout.tileWidth, layout.tileLength);
    const std::uint64_t rows = std::max<std::uint64_t>(layout.rowsPerStrip, 1);
    const std::uint64_t perPlane = CeilDiv(height, rows);
    const std::uint64_t first = (i % perPlane) * rows;
    return Mul(width, std::min(rows, height - std::min(first, height)));
}

// Where every strip (or tile) lies must be inside the file, with bytes
// enough for its pixels at the compression's best. The decoder takes the
// byte counts of compressed strips as they are; those of data stored as it
// is it may find bogus and work out from the rows, which need a bit a pixel
// at least from each strip's offset on.
HeaderVerdict TiffStrips(const TiffFile& tiff, const TiffLayout& layout, PictureFacts& facts) {
    const std::uint64_t ratio = TiffPixelsPerByte(layout.compression, facts.width);
    facts.sure = ratio != 0;
    if (!layout.offsets || layout.offsets->size == 0 ||
        layout.offsets->count > (std::uint64_t{1} << 24)) {
        facts.sure = false;  // the decoder makes do, or fails
        return HeaderVerdict::Picture;
    }
    std::vector<std::uint64_t> starts;
    if (!tiff.EachValue(*layout.offsets, [&](std::uint64_t v) { starts.push_back(v); })) {
        return HeaderVerdict::NotAPicture;
    }
    if (layout.compression == 1) {
        for (std::uint64_t i = 0; i < starts.size(); ++i) {
            const std::uint64_t bits = TiffStripPixels(layout, i, facts.width, facts.height);
            facts.leastSize = std::max(facts.leastSize, Add(starts[i], CeilDiv(bits, 8)));
        }
        facts.mostSize = std::max(facts.mostSize, Add(facts.leastSize, kSlack));
        return HeaderVerdict::Picture;
    }
    if (!layout.counts || layout.counts->size == 0 || layout.counts->count != starts.size()) {
        return HeaderVerdict::Picture;  // the decoder works the counts out, or fails
    }
    std::vector<std::uint64_t> counts;
    if (!tiff.EachValue(*layout.counts, [&](std::uint64_t v) { counts.push_back(v); })) {
        return HeaderVerdict::NotAPicture;
    }
    // A count of 0 has the decoder work the counts out itself.
    if (std::find(counts.begin(), counts.end(), 0) != counts.end()) return HeaderVerdict::Picture;
    std::uint64_t held = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        held = Add(held, counts[i]);
        facts.leastSize = std::max(facts.leastSize, Add(starts[i], counts[i]));
    }
    facts.mostSize = std::max(facts.mostSize, Add(facts.leastSize, kSlack));
    // Strips that cannot hold the pixels make a file that no size can hold.
    if (ratio != 0 && Mul(held, ratio) < std::uint64_t{facts.width} * facts.height) {
        facts.leastSize = kMax;
    }
    return HeaderVerdict::Picture;
}

// The entries of the directory at `directory` that tell the size and the
// layout of the first picture; the number of entries, or nothing when the
// directory runs past the end of the file.
std::optional<std::uint64_t> ReadTiffDirectory(ByteReader& file, const TiffFile& tiff, bool big,
                                               std::uint64_t directory, PictureFacts& facts,
                                               TiffLayout& layout) {
    std::optional<std::uint64_t> counted;
    if (big) {
        if (const auto n = Fetch<8>(file, directory)) counted = tiff.Number(n->data(), 8);
    } else if (const auto n = Fetch<2>(file, directory)) {
        counted = tiff.Number(n->data(), 2);
    }
    if (!counted) return std::nullopt;
    const std::uint64_t entries = *counted;
    const std::uint64_t first = Add(directory, big ? 8 : 2);
    for (std::uint64_t e = 0; e < std::min<std::uint64_t>(entries, 4096); ++e) {
        const auto entry = tiff.EntryAt(Add(first, e * (big ? 20 : 12)));
        if (!entry) return std::nullopt;
        const auto value = [&]() -> std::optional<std::uint64_t> { return tiff.First(*entry); };
        const auto clamp = [](std::uint64_t v) {
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX));
        };
        std::optional<std::uint64_t> v = 0;
        switch (entry->tag) {
            case 256:
                v = value();
                facts.width = clamp(v.value_or(0));
                break;
            case 257:
                v = value();
                facts.height = clamp(v.value_or(0));
                break;
            case 258:
                v = value();
                layout.bits = std::max<std::uint64_t>(v.value_or(1), 1);
                break;
            case 259:
                v = value();
                layout.compression = v.value_or(0);
                break;
            case 277:
                v = value();
                layout.samples = std::max<std::uint64_t>(v.value_or(1), 1);
                break;
            case 278:
                v = value();
                layout.rowsPerStrip = v.value_or(0);
                break;
            case 322:
                v = value();
                layout.tileWidth = v.value_or(0);
                break;
            case 323:
                v = value();
                layout.tileLength = v.value_or(0);
                break;
            case 338:  // extra samples: 1 and 2 are alpha
                v = value();
                if (v == 1 || v == 2) facts.opacity = Opacity::Declared;
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
        if (!v) return std::nullopt;
    }
    return entries;
}

}  // namespace

namespace {

// The byte order and kind of a TIFF, and its first directory's offset: 4
// bytes, or a BigTIFF's offset size, a reserved word and 8 bytes.
std::optional<std::pair<TiffFile, std::uint64_t>> OpenTiff(ByteReader& file) {
    const auto h = Fetch<4>(file, 0);
    if (!h) return std::nullopt;
    const bool little = (*h)[0] == 'I' && (*h)[1] == 'I';
    if (!little && !((*h)[0] == 'M' && (*h)[1] == 'M')) return std::nullopt;
    const std::uint64_t version = TiffFile(file, little, false).Number(h->data() + 2, 2);
    if (version != 42 && version != 43) return std::nullopt;
    const bool big = version == 43;
    const TiffFile tiff(file, little, big);
    std::optional<std::uint64_t> directory;
    if (big) {
        if (const auto wide = Fetch<12>(file, 4)) directory = tiff.Number(wide->data() + 4, 8);
    } else if (const auto offset = Fetch<4>(file, 4)) {
        directory = tiff.Number(offset->data(), 4);
    }
    if (!directory) return std::nullopt;
    return std::pair{tiff, *directory};
}

// The picture of the directory at `directory`, and where that directory
// ends (`end`: the offset of the next one's offset).
HeaderVerdict TiffPage(ByteReader& file, const TiffFile& tiff, std::uint64_t directory,
                       PictureFacts& facts, std::uint64_t& end) {
    const bool big = tiff.OffsetBytes() == 8;
    TiffLayout layout;
    facts.at = directory;
    // The library makes up a table of transparent grey levels for a grey
    // TIFF: a TIFF has an alpha channel where its extra samples say so, and
    // no other opacity.
    facts.opacity = Opacity::None;
    const std::optional<std::uint64_t> entries =
        ReadTiffDirectory(file, tiff, big, directory, facts, layout);
    if (!entries || facts.width == 0 || facts.height == 0) return HeaderVerdict::NotAPicture;
    const std::uint64_t raw =
        Mul(RowBytes(facts.width, Mul(layout.samples, layout.bits)), facts.height);
    end = Add(Add(directory, big ? 8 : 2), Mul(*entries, big ? 20 : 12));
    facts.leastSize = Add(directory, big ? 8 : 2);
    facts.mostSize = MostForCompressed(end, raw);
    // A strip as the file holds it and as it decodes: the whole picture when
    // it is one strip.
    facts.decoderMemory = Mul(raw, 2);
    facts.pixelsPerByte = 8 * 1032;
    return TiffStrips(tiff, layout, facts);
}

}  // namespace

HeaderVerdict Tiff(ByteReader& file, PictureFacts& facts) {
    const auto opened = OpenTiff(file);
    if (!opened) return HeaderVerdict::NotAPicture;
    std::uint64_t end = 0;
    return TiffPage(file, opened->first, opened->second, facts, end);
}

HeaderVerdict TiffPages(ByteReader& file, PagesFacts& pages) {
    const auto opened = OpenTiff(file);
    if (!opened) return HeaderVerdict::NotAPicture;
    std::set<std::uint64_t> seen;
    std::optional<std::uint64_t> next = opened->second;
    // Pages up to the last directory, or to one that comes round again.
    const TiffFile& tiff = opened->first;
    while (next && *next != 0 && pages.pages.size() < kMostPages && seen.insert(*next).second) {
        PictureFacts facts;
        std::uint64_t end = 0;
        if (TiffPage(file, tiff, *next, facts, end) != HeaderVerdict::Picture) break;
        pages.pages.push_back(facts);
        // The next directory's offset (0 for none); none when the file ends first.
        std::array<std::uint8_t, 8> offset{};
        const unsigned bytes = tiff.OffsetBytes();
        next.reset();
        if (file.ReadAt(end, offset.data(), bytes) == bytes)
            next = tiff.Number(offset.data(), bytes);
    }
    return pages.pages.empty() ? HeaderVerdict::NotAPicture : HeaderVerdict::Picture;
}

}  // namespace pelmo::header
