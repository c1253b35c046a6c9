// Reading a BMP header: a file header, an info header, a palette, the rows
// bottom up.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- BMP: a file header, an info header, a palette, the rows bottom up.

Expected<PictureFacts> Bmp(ByteReader& file) {
    PictureFacts facts;
    const auto h = Fetch<18>(file, 0);
    if (!h || (*h)[0] != 'B' || (*h)[1] != 'M') return NotAPicture("no BMP file header");
    const std::uint64_t offBits = Le32(h->data() + 10);
    const std::uint32_t infoSize = Le32(h->data() + 14);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {  // the old OS/2 header, never compressed
        const auto core = Fetch<12>(file, 14);
        if (!core) return NotAPicture("the OS/2 info header ends early");
        width = Le16(core->data() + 4);
        height = Le16(core->data() + 6);
        bits = Le16(core->data() + 10);
    } else if (infoSize >= 40) {
        const auto more = Fetch<20>(file, 14);
        if (!more) return NotAPicture("the info header ends early");
        const auto w = static_cast<std::int32_t>(Le32(more->data() + 4));
        const auto v = static_cast<std::int32_t>(Le32(more->data() + 8));
        width = w < 0 ? 0 : static_cast<std::uint64_t>(w);
        // A negative height stores the rows top down.
        height = v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(std::int64_t{v})
                       : static_cast<std::uint64_t>(v);
        bits = Le16(more->data() + 14);
        compression = Le32(more->data() + 16);
    } else {
        return NotAPicture("an info header of an unknown size");
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
    facts.mostSize = Add(Add(before, plain ? rows : Mul(rows, 2)), kHeaderSlack);
    return facts;
}

}  // namespace pelmo::header
