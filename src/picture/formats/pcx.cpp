// Reading a PCX header, and following its run-length data.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

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

Expected<PictureFacts> Pcx(ByteReader& file) {
    PictureFacts facts;
    const auto h = Fetch<128>(file, 0);
    if (!h || (*h)[0] != 0x0A || (*h)[2] > 1) return NotAPicture("no PCX header");
    const std::uint32_t xmin = Le16(h->data() + 4);
    const std::uint32_t ymin = Le16(h->data() + 6);
    const std::uint32_t xmax = Le16(h->data() + 8);
    const std::uint32_t ymax = Le16(h->data() + 10);
    if (xmax < xmin || ymax < ymin) return NotAPicture("a window whose end lies before its start");
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
    return facts;
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

}  // namespace pelmo::header
