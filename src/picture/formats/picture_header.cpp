// Reading the headers of the formats whose headers are fixed records: BMP,
// ICO, PCX, TGA and PSD; and ReadPictureHeader and HoldsItsPixels for all.
#include "picture/formats/picture_header.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo {

namespace header {

// ---- BMP: a file header, an info header, a palette, the rows bottom up.

HeaderVerdict Bmp(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<18>(file, 0);
    if (!h || (*h)[0] != 'B' || (*h)[1] != 'M') return HeaderVerdict::NotAPicture;
    const std::uint64_t offBits = Le32(h->data() + 10);
    const std::uint32_t infoSize = Le32(h->data() + 14);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {  // the old OS/2 header, never compressed
        const auto core = Fetch<12>(file, 14);
        if (!core) return HeaderVerdict::NotAPicture;
        width = Le16(core->data() + 4);
        height = Le16(core->data() + 6);
        bits = Le16(core->data() + 10);
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
// header (twice as high: the colours, then a 1-bit mask, which the library
// never reads and writers often leave out) or as a PNG.

std::uint32_t IcoImages(ByteReader& file) {
    const auto h = Fetch<6>(file, 0);  // the directory's header
    if (!h || Le16(h->data()) != 0 || (Le16(h->data() + 2) != 1 && Le16(h->data() + 2) != 2)) {
        return 0;
    }
    return Le16(h->data() + 4);
}

HeaderVerdict Ico(ByteReader& file, PictureFacts& facts, std::uint32_t index) {
    if (index >= IcoImages(file)) return HeaderVerdict::NotAPicture;
    const auto entry = Fetch<16>(file, 6 + 16 * std::uint64_t{index});
    if (!entry) return HeaderVerdict::NotAPicture;
    const std::uint64_t resource = Le32(entry->data() + 8);
    const std::uint64_t offset = Le32(entry->data() + 12);
    facts.at = offset;
    const auto signature = Fetch<8>(file, offset);
    if (!signature) return HeaderVerdict::NotAPicture;
    if (std::memcmp(signature->data(), kPngSignature, 8) == 0) {
        const HeaderVerdict verdict = Png(file, offset, facts);
        facts.mostSize = Add(facts.mostSize, Add(offset, resource));
        return verdict;
    }
    // The info header up to its count of colours used.
    const auto info = Fetch<36>(file, offset);
    if (!info) return HeaderVerdict::NotAPicture;
    const std::uint32_t infoSize = Le32(info->data());
    const auto w = static_cast<std::int32_t>(Le32(info->data() + 4));
    const auto v = static_cast<std::int32_t>(Le32(info->data() + 8));
    const std::uint64_t width = w < 0 ? 0 : static_cast<std::uint64_t>(w);
    const std::uint64_t height = v < 0 ? 0 : static_cast<std::uint64_t>(v) / 2;
    const std::uint32_t bits = Le16(info->data() + 14);
    const std::uint64_t used = Le32(info->data() + 32);
    facts.width = static_cast<std::uint32_t>(width);
    facts.height = static_cast<std::uint32_t>(height);
    const std::uint64_t entries = bits <= 8 ? std::uint64_t{1} << bits : 0;
    const std::uint64_t palette = 4 * (used != 0 ? std::min(used, entries) : entries);
    if (used != 0 && used < entries) facts.misread = Misread::IcoShortPalette;
    const std::uint64_t colours = Mul(CeilDiv(Mul(width, bits), 32) * 4, height);
    facts.leastSize = Add(Add(offset + infoSize, palette), colours);
    // Only the classic 40-byte info header is known here.
    if (infoSize != 40) {
        facts.sure = false;
        facts.leastSize = offset + 36;
    }
    facts.mostSize = Add(std::max(facts.leastSize, Add(offset, resource)), kSlack);
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
    if (!layout.rle && (*h)[3] == 8 && (*h)[65] == 1) facts.misread = Misread::UncompressedPcx;
    if ((*h)[3] == 1 && (*h)[65] == 4 && facts.width % 8 != 0) {
        facts.misread = Misread::PlanarPcxWidth;
    }
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

HeaderVerdict Tga(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<18>(file, 0);
    if (!h) return HeaderVerdict::NotAPicture;
    const auto layout = TgaLayoutOf(*h);
    if (!layout) return HeaderVerdict::NotAPicture;
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

HeaderVerdict Psd(ByteReader& file, PictureFacts& facts) {
    const auto h = Fetch<26>(file, 0);
    if (!h || std::memcmp(h->data(), "8BPS", 4) != 0) return HeaderVerdict::NotAPicture;
    const std::uint32_t version = Be16(h->data() + 4);
    if (version != 1 && version != 2) return HeaderVerdict::NotAPicture;
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
            if (!length) return HeaderVerdict::NotAPicture;
            bytes = std::uint64_t{Be32(length->data())} << 32 | Be32(length->data() + 4);
            at = Add(at, 8);
        } else {
            const auto length = Fetch<4>(file, at);
            if (!length) return HeaderVerdict::NotAPicture;
            bytes = Be32(length->data());
            at = Add(at, 4);
        }
        at = Add(at, bytes);
    }
    const auto compression = Fetch<2>(file, at);
    if (!compression) return HeaderVerdict::NotAPicture;
    const std::uint32_t code = Be16(compression->data());
    // PackBits codes at most 128 bytes in two; each row's length comes first.
    const std::uint64_t counts = Mul(Mul(channels, facts.height), version == 2 ? 4 : 2);
    facts.sure = code <= 1;  // else a compression whose best is not known here
    facts.pixelsPerByte = 8 * 1032;
    const std::uint64_t data = code == 0 ? raw : code == 1 ? Add(counts, raw / 64) : 0;
    facts.leastSize = Add(at + 2, data);
    facts.mostSize = code == 0 ? Add(facts.leastSize, kSlack) : Add(facts.mostSize, at);
    return HeaderVerdict::Picture;
}

}  // namespace header

HeaderVerdict ReadPictureHeader(FREE_IMAGE_FORMAT format, ByteReader& file, PictureFacts& facts) {
    facts = PictureFacts();
    switch (format) {
        case FIF_BMP:
            return header::Bmp(file, facts);
        case FIF_ICO:
            return header::Ico(file, facts);
        case FIF_JPEG:
            return header::Jpeg(file, facts);
        case FIF_PCX:
            return header::Pcx(file, facts);
        case FIF_PNG:
            return header::Png(file, 0, facts);
        case FIF_TARGA:
            return header::Tga(file, facts);
        case FIF_TIFF:
            return header::Tiff(file, facts);
        case FIF_GIF:
            return header::Gif(file, facts);
        case FIF_PSD:
            return header::Psd(file, facts);
        default:
            return HeaderVerdict::NotAPicture;
    }
}

HeaderVerdict ReadPageHeaders(FREE_IMAGE_FORMAT format, ByteReader& file, PagesFacts& pages) {
    pages = PagesFacts();
    switch (format) {
        case FIF_GIF:
            return header::GifFrames(file, pages);
        case FIF_TIFF:
            return header::TiffPages(file, pages);
        case FIF_ICO: {
            const std::uint32_t count =
                std::min<std::uint32_t>(header::IcoImages(file), kMostPages);
            for (std::uint32_t index = 0; index < count; ++index) {
                PictureFacts facts;
                if (header::Ico(file, facts, index) != HeaderVerdict::Picture) break;
                pages.pages.push_back(facts);
            }
            return pages.pages.empty() ? HeaderVerdict::NotAPicture : HeaderVerdict::Picture;
        }
        default: {
            PictureFacts facts;
            const HeaderVerdict verdict = ReadPictureHeader(format, file, facts);
            pages.pages.push_back(facts);
            return verdict;
        }
    }
}

bool HoldsItsPixels(FREE_IMAGE_FORMAT format, ByteReader& file, const PictureFacts& facts,
                    std::uint64_t fileSize) {
    if (fileSize < facts.leastSize) return false;
    switch (format) {
        case FIF_PCX:
            return header::PcxHoldsItsPixels(file, facts, fileSize);
        case FIF_TARGA:
            return header::TgaHoldsItsPixels(file, facts, fileSize);
        case FIF_GIF:
            return header::GifHoldsItsPixels(file, facts);
        default:
            return true;
    }
}

std::uint64_t PixelsSupported(const PictureFacts& facts, std::uint64_t fileSize) {
    const std::uint64_t declared = std::uint64_t{facts.width} * facts.height;
    return facts.sure ? declared : std::min(declared, header::Mul(fileSize, facts.pixelsPerByte));
}

}  // namespace pelmo
