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
    bool Little() const { return little_; }

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

    // Calls `use(i, value)` with each of the first `count` values of
    // `entry` (at most as many as it has), reading them a block at a time;
    // false when they run past the end of the file.
    template <typename Use>
    bool EachValue(const Entry& entry, std::uint64_t count, Use use) const {
        std::array<std::uint8_t, 1 << 12> block{};
        count = std::min(count, entry.count);
        for (std::uint64_t done = 0; done < count;) {
            const std::uint64_t n =
                std::min<std::uint64_t>(count - done, block.size() / entry.size);
            const std::size_t bytes = static_cast<std::size_t>(n * entry.size);
            if (file_.ReadAt(entry.at + done * entry.size, block.data(), bytes) != bytes)
                return false;
            for (std::uint64_t i = 0; i < n; ++i)
                use(done + i, Number(block.data() + i * entry.size, entry.size));
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
    std::uint64_t samples = 1, bits = 1, compression = 1, planar = 1;
    std::uint64_t rowsPerStrip = kMax;
    std::uint64_t tileWidth = 0, tileLength = 0;  // 0 for strips
    std::optional<TiffFile::Entry> offsets, counts;

    // The strips (or tiles) the decoder reads of a picture of `width` x
    // `height`: of each plane when the samples lie in planes of their own.
    std::uint64_t Strips(std::uint64_t width, std::uint64_t height) const {
        const std::uint64_t planes = planar == 2 ? samples : 1;
        if (tileWidth != 0 && tileLength != 0) {
            return Mul(Mul(CeilDiv(width, tileWidth), CeilDiv(height, tileLength)), planes);
        }
        return Mul(CeilDiv(height, std::max<std::uint64_t>(rowsPerStrip, 1)), planes);
    }
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

// Where the strips (or tiles) the decoder reads lie must be inside the file,
// with bytes enough for their pixels at the compression's best. The decoder
// takes the byte counts of compressed strips as they are; those of data
// stored as it is it may find bogus and work out from the rows, which need a
// bit a pixel at least from each strip's offset on.
Expected<PictureFacts> TiffStrips(const TiffFile& tiff, const TiffLayout& layout,
                                  PictureFacts facts) {
    const std::uint64_t ratio = TiffPixelsPerByte(layout.compression, facts.width);
    facts.sure = ratio != 0;
    const std::uint64_t strips = layout.Strips(facts.width, facts.height);
    if (!layout.offsets || layout.offsets->size == 0 || strips > kMostStrips ||
        layout.offsets->count < strips) {
        facts.sure = false;  // the decoder makes do, or fails
        return facts;
    }
    if (layout.compression == 1) {
        const bool read =
            tiff.EachValue(*layout.offsets, strips, [&](std::uint64_t i, std::uint64_t at) {
                const std::uint64_t bits = TiffStripPixels(layout, i, facts.width, facts.height);
                facts.leastSize = std::max(facts.leastSize, Add(at, CeilDiv(bits, 8)));
            });
        if (!read) return NotAPicture("the strip offsets lie past the end of the file");
        facts.mostSize = std::max(facts.mostSize, Add(facts.leastSize, kHeaderSlack));
        return facts;
    }
    if (!layout.counts || layout.counts->size == 0 ||
        layout.counts->count != layout.offsets->count) {
        return facts;  // the decoder works the counts out, or fails
    }
    // The offsets and the counts, a block of each at a time.
    std::array<std::uint64_t, 512> starts{};
    std::uint64_t held = 0;
    bool zero = false;
    PictureFacts bounded = facts;
    for (std::uint64_t first = 0; first < strips; first += starts.size()) {
        const std::uint64_t n = std::min<std::uint64_t>(starts.size(), strips - first);
        TiffFile::Entry offsets = *layout.offsets;
        TiffFile::Entry counts = *layout.counts;
        offsets.at = Add(offsets.at, Mul(first, offsets.size));
        counts.at = Add(counts.at, Mul(first, counts.size));
        if (!tiff.EachValue(offsets, n, [&](std::uint64_t i, std::uint64_t v) { starts[i] = v; }) ||
            !tiff.EachValue(counts, n, [&](std::uint64_t i, std::uint64_t v) {
                zero |= v == 0;
                held = Add(held, v);
                bounded.leastSize = std::max(bounded.leastSize, Add(starts[i], v));
            })) {
            return NotAPicture("the strip lists lie past the end of the file");
        }
    }
    // A count of 0 has the decoder work the counts out itself.
    if (zero) return facts;
    bounded.mostSize = std::max(bounded.mostSize, Add(bounded.leastSize, kHeaderSlack));
    // Strips that cannot hold the pixels make a file that no size can hold.
    if (ratio != 0 && Mul(held, ratio) < bounded.Pixels()) bounded.leastSize = kMax;
    return bounded;
}

// Reads one entry of a directory into the facts and the layout; false when
// its value lies past the end of the file.
bool ReadTiffEntry(const TiffFile& tiff, const TiffFile::Entry& entry, PictureFacts& facts,
                   TiffLayout& layout) {
    const auto clamp = [](std::uint64_t v) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX));
    };
    switch (entry.tag) {
        case 273:
        case 324:
            layout.offsets = entry;
            return true;
        case 279:
        case 325:
            layout.counts = entry;
            return true;
        case 256:
        case 257:
        case 258:
        case 259:
        case 277:
        case 278:
        case 284:
        case 322:
        case 323:
        case 338:
            break;
        default:
            return true;
    }
    const std::optional<std::uint64_t> v = tiff.First(entry);
    if (!v) return false;
    switch (entry.tag) {
        case 256:
            facts.width = clamp(*v);
            break;
        case 257:
            facts.height = clamp(*v);
            break;
        case 258:
            layout.bits = std::max<std::uint64_t>(*v, 1);
            break;
        case 259:
            layout.compression = *v;
            break;
        case 277:
            layout.samples = std::max<std::uint64_t>(*v, 1);
            break;
        case 278:
            layout.rowsPerStrip = *v;
            break;
        case 284:
            layout.planar = *v;
            break;
        case 322:
            layout.tileWidth = *v;
            break;
        case 323:
            layout.tileLength = *v;
            break;
        default:  // 338, extra samples: 1 and 2 are alpha
            if (*v == 1 || *v == 2) facts.opacity = Opacity::Declared;
            break;
    }
    return true;
}

// The number of entries of the directory at `directory`, and where they begin.
std::optional<std::pair<std::uint64_t, std::uint64_t>> TiffDirectory(ByteReader& file,
                                                                     const TiffFile& tiff,
                                                                     std::uint64_t directory) {
    const bool big = tiff.OffsetBytes() == 8;
    std::optional<std::uint64_t> counted;
    if (big) {
        if (const auto n = Fetch<8>(file, directory)) counted = tiff.Number(n->data(), 8);
    } else if (const auto n = Fetch<2>(file, directory)) {
        counted = tiff.Number(n->data(), 2);
    }
    if (!counted) return std::nullopt;
    return std::pair{*counted, Add(directory, big ? 8 : 2)};
}

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

}  // namespace

// The picture of the first directory: its entries tell the size and the
// layout, and the strips (or tiles) they point to.
Expected<PictureFacts> Tiff(ByteReader& file) {
    const auto opened = OpenTiff(file);
    if (!opened) return NotAPicture("no TIFF header");
    const auto& [tiff, directory] = *opened;
    const auto entries = TiffDirectory(file, tiff, directory);
    if (!entries)
        return NotAPicture("the first directory lies past the end of the file", directory);
    PictureFacts facts;
    TiffLayout layout;
    facts.at = directory;
    // The library makes up a table of transparent grey levels for a grey
    // TIFF: a TIFF has an alpha channel where its extra samples say so, and
    // no other opacity.
    facts.opacity = Opacity::None;
    const std::uint64_t entryBytes = tiff.OffsetBytes() == 8 ? 20 : 12;
    for (std::uint64_t e = 0; e < std::min(entries->first, kMostDirectoryEntries); ++e) {
        const auto entry = tiff.EntryAt(Add(entries->second, e * entryBytes));
        if (!entry || !ReadTiffEntry(tiff, *entry, facts, layout)) {
            return NotAPicture("a directory entry lies past the end of the file", directory);
        }
    }
    if (facts.width == 0 || facts.height == 0)
        return NotAPicture("a picture of no pixels", directory);
    const std::uint64_t raw =
        Mul(RowBytes(facts.width, Mul(layout.samples, layout.bits)), facts.height);
    const std::uint64_t end = Add(entries->second, Mul(entries->first, entryBytes));
    facts.leastSize = entries->second;
    facts.mostSize = MostForCompressed(end, raw);
    // A strip as the file holds it and as it decodes: the whole picture when
    // it is one strip.
    facts.decoderMemory = Mul(raw, 2);
    facts.pixelsPerByte = 8 * 1032;
    return TiffStrips(tiff, layout, facts);
}

// Page k is the picture of the first directory of the file whose first
// directory's offset is page k's: the directories up to the last, or to one
// that comes round again.
Expected<PageSplices> TiffPages(ByteReader& file) {
    const auto opened = OpenTiff(file);
    if (!opened) return NotAPicture("no TIFF header");
    const auto& [tiff, first] = *opened;
    const unsigned offsetBytes = tiff.OffsetBytes();
    const std::uint64_t field = offsetBytes == 8 ? 8 : 4;  // where the first offset lies
    PageSplices pages;
    std::set<std::uint64_t> seen;
    std::optional<std::uint64_t> next = first;
    const auto number = [&](std::uint64_t value) {
        std::vector<std::uint8_t> bytes(offsetBytes);
        for (unsigned i = 0; i < offsetBytes; ++i) {
            bytes[i] =
                static_cast<std::uint8_t>(value >> (8 * (tiff.Little() ? i : offsetBytes - 1 - i)));
        }
        return bytes;
    };
    while (next && *next != 0 && pages.pages.size() <= kMostPages && seen.insert(*next).second) {
        const std::uint64_t directory = *next;
        // The next directory's offset (0 for none); none when the file ends first.
        const auto entries = TiffDirectory(file, tiff, directory);
        next.reset();
        if (!entries) break;
        std::array<std::uint8_t, 8> offset{};
        const std::uint64_t link =
            Add(entries->second, Mul(entries->first, offsetBytes == 8 ? 20 : 12));
        if (file.ReadAt(link, offset.data(), offsetBytes) == offsetBytes) {
            next = tiff.Number(offset.data(), offsetBytes);
        }
        // The page's directory first, and last: the decoder walks no further.
        std::vector<Splice::Patch> patches;
        if (directory != first) patches.push_back({field, number(directory)});
        if (next && *next != 0 && link >= field + offsetBytes) patches.push_back({link, number(0)});
        pages.pages.push_back(patches.empty() ? Splice::Whole()
                                              : Splice::Patched(std::move(patches)));
    }
    return pages;
}

}  // namespace pelmo::header
