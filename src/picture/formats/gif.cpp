// Reading a GIF: its screen, its images, and the LZW codes of an image.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "picture/formats/header_bytes.hpp"

namespace pelmo::header {

// ---- GIF: a screen descriptor and colour table, then extension blocks and
// images, each a descriptor, its colour table and its LZW data in sub-blocks,
// up to the trailer.

namespace {

std::uint64_t GifTable(std::uint8_t flags) {
    return (flags & 0x80u) != 0 ? 3 * (std::uint64_t{2} << (flags & 7u)) : 0;
}

// Skips the sub-blocks from `at` on (each with its length in front, up to an
// empty one); where they end, or nothing when the file ends first.
std::optional<std::uint64_t> SkipSubBlocks(ByteReader& file, std::uint64_t at) {
    for (;;) {
        const auto size = Fetch<1>(file, at);
        if (!size) return std::nullopt;
        at += 1 + std::uint64_t{(*size)[0]};
        if ((*size)[0] == 0) return at;
    }
}

// Where an image of a GIF lies: the blocks before it (after the image
// before it, or the screen's colour table), its descriptor, and the end of
// its data, when the file holds its end; and whether a graphic control
// extension comes before it.
struct GifImageAt {
    std::uint64_t blocks = 0;
    bool controlled = false;
    std::uint64_t at = 0;
    std::array<std::uint8_t, 10> descriptor{};
    std::optional<std::uint64_t> end;
};

// The screen descriptor, when the file starts a GIF.
std::optional<std::array<std::uint8_t, 13>> GifScreen(ByteReader& file) {
    const auto h = Fetch<13>(file, 0);
    if (!h ||
        (std::memcmp(h->data(), "GIF87a", 6) != 0 && std::memcmp(h->data(), "GIF89a", 6) != 0)) {
        return std::nullopt;
    }
    return h;
}

// Calls `image(where)` with each image of the GIF, in order, while it
// returns true: past the first image, up to the trailer (or garbage, or the
// end of the file). False when the file holds no image that the library
// could read.
template <typename Image>
bool WalkGif(ByteReader& file, Image image) {
    const auto h = GifScreen(file);
    if (!h) return false;
    std::uint64_t at = 13 + GifTable((*h)[10]);
    std::uint64_t blocks = at;
    bool controlled = false;
    bool found = false;
    while (at < kPreambleBytes || found) {
        const auto introducer = Fetch<1>(file, at);
        if (!introducer) return found;
        if ((*introducer)[0] == 0x2C) {
            GifImageAt where;
            where.blocks = blocks;
            where.controlled = controlled;
            where.at = at;
            const auto descriptor = Fetch<10>(file, at);
            if (!descriptor) return found;
            found = true;
            where.descriptor = *descriptor;
            // Past the colour table and the LZW code size, the data.
            where.end = SkipSubBlocks(file, at + 10 + GifTable((*descriptor)[9]) + 1);
            if (!image(where) || !where.end) return true;
            at = blocks = *where.end;
            controlled = false;
        } else if ((*introducer)[0] == 0x21) {
            const auto label = Fetch<1>(file, at + 1);
            const auto end = SkipSubBlocks(file, at + 2);  // past the introducer and label
            if (!label || !end) return found;
            controlled |= (*label)[0] == 0xF9;
            at = *end;
        } else {
            return found;  // the trailer, or garbage
        }
    }
    return false;
}

// The facts of the image whose descriptor, at `at`, is `image`.
PictureFacts GifImage(std::uint64_t at, const std::array<std::uint8_t, 10>& image) {
    PictureFacts facts;
    facts.at = at;
    facts.width = Le16(image.data() + 5);
    facts.height = Le16(image.data() + 7);
    const std::uint64_t pixels = facts.Pixels();
    const std::uint64_t data = at + 10 + GifTable(image[9]);
    // An LZW code of b bits stands for at most 2^b pixels, and b is 12 at
    // most: 341 pixels a bit at best.
    facts.leastSize = data + 1 + pixels / (8 * 341);
    facts.mostSize = MostForCompressed(data, pixels);
    return facts;
}

// Reads the LZW codes of a GIF image, LSB first, from its sub-blocks.
class GifCodes {
  public:
    GifCodes(ByteReader& file, std::uint64_t at) : file_(file), at_(at) {}

    // The next code of `bits` bits; nothing at the end of the sub-blocks.
    std::optional<std::uint32_t> Next(unsigned bits) {
        while (held_ < bits) {
            const auto byte = NextByte();
            if (!byte) return std::nullopt;
            buffer_ |= std::uint32_t{*byte} << held_;
            held_ += 8;
        }
        const std::uint32_t code = buffer_ & ((1u << bits) - 1);
        buffer_ >>= bits;
        held_ -= bits;
        return code;
    }

  private:
    std::optional<std::uint8_t> NextByte() {
        if (left_ == 0) {
            if (ended_) return std::nullopt;
            const auto size = Fetch<1>(file_, at_);
            if (!size || (*size)[0] == 0) {
                ended_ = true;
                return std::nullopt;
            }
            left_ = (*size)[0];
            ++at_;
            const std::size_t got = file_.ReadAt(at_, block_.data(), left_);
            if (got != left_) {
                ended_ = true;
                return std::nullopt;
            }
            next_ = 0;
        }
        --left_;
        ++at_;
        return block_[next_++];
    }

    ByteReader& file_;
    std::uint64_t at_;
    std::array<std::uint8_t, 255> block_{};
    std::size_t left_ = 0;  // bytes of the current sub-block not yet taken
    std::size_t next_ = 0;
    bool ended_ = false;
    std::uint32_t buffer_ = 0;
    unsigned held_ = 0;
};

}  // namespace

Expected<PictureFacts> Gif(ByteReader& file) {
    PictureFacts facts;
    const bool found = WalkGif(file, [&](const GifImageAt& where) {
        facts = GifImage(where.at, where.descriptor);
        return false;  // the first image alone
    });
    if (!found) return NotAPicture("no GIF screen, or no image on it");
    return facts;
}

// Frame 0 is the file's first picture; frame k (k > 0) is the one image of
// the screen and its colour table, the blocks before the frame (its graphic
// control), then the frame itself. The library's playback clears a frame
// without graphic control once it has been shown.
Expected<PageSplices> GifPages(ByteReader& file) {
    PageSplices pages;
    const auto h = GifScreen(file);
    if (!h) return NotAPicture("no GIF screen");
    pages.screenWidth = Le16(h->data() + 6);
    pages.screenHeight = Le16(h->data() + 8);
    const std::uint64_t table = GifTable((*h)[10]);
    const std::uint8_t background = (*h)[11];
    if (3 * std::uint64_t{background} < table) {
        const auto colour = Fetch<3>(file, 13 + 3 * std::uint64_t{background});
        if (!colour) return NotAPicture("the screen's colour table ends early");
        pages.background = *colour;
    }
    const bool found = WalkGif(file, [&](const GifImageAt& where) {
        pages.clearedOnceShown.push_back(!where.controlled);
        if (pages.pages.empty()) {
            pages.pages.push_back(Splice::Whole());
            return true;
        }
        Splice splice;
        splice.pieces = {{0, 13 + table, {}}};
        if (!where.end) {
            splice.pieces.push_back({where.blocks, Splice::kToEnd, {}});
        } else {
            splice.pieces.push_back({where.blocks, *where.end - where.blocks, {}});
            splice.pieces.push_back({0, 0, {0x3B}});  // the trailer
        }
        pages.pages.push_back(std::move(splice));
        return pages.pages.size() <= kMostPages;
    });
    if (!found) return NotAPicture("no image on the GIF's screen");
    return pages;
}

// The library's decoder stops where the codes stop and leaves the pixels
// after them as they were, without a word: the codes are counted here, each
// by the length of the string it stands for, up to the end code or the last
// sub-block.
bool GifHoldsItsPixels(ByteReader& file, const PictureFacts& facts, std::uint64_t) {
    const auto image = Fetch<10>(file, facts.at);
    if (!image) return false;
    const std::uint64_t data = facts.at + 10 + GifTable((*image)[9]);
    const auto minimum = Fetch<1>(file, data);
    if (!minimum) return false;
    const unsigned least = (*minimum)[0];
    // No GIF encoder makes codes of these sizes, and no decoder reads them
    // as what they were made from: the library makes up pixels from them.
    if (least < 1 || least > 11) return false;
    const std::uint64_t needed = facts.Pixels();
    const std::uint32_t clear = 1u << least;
    const std::uint32_t end = clear + 1;
    std::vector<std::uint32_t> lengths(4096, 1);  // of each code's string
    std::uint32_t next = clear + 2;
    unsigned bits = least + 1;
    std::uint32_t previous = 0;  // the last code's string length; 0 after a clear
    std::uint64_t pixels = 0;
    GifCodes codes(file, data + 1);
    while (pixels < needed) {
        const std::optional<std::uint32_t> code = codes.Next(bits);
        if (!code || *code == end) break;
        if (*code == clear) {
            next = clear + 2;
            bits = least + 1;
            previous = 0;
            continue;
        }
        std::uint32_t length = 0;
        if (previous == 0) {
            if (*code > clear) break;  // no string yet stands for it
            length = 1;
        } else {
            if (*code > next || (*code == next && next >= 4096)) break;
            length = *code == next ? previous + 1 : lengths[*code];
            if (next < 4096) {
                lengths[next++] = previous + 1;
                if (next == (1u << bits) && bits < 12) ++bits;
            }
        }
        pixels += length;
        previous = length;
    }
    return pixels >= needed;
}

}  // namespace pelmo::header
