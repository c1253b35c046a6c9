#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "image/raw_data.hpp"
#include "image/tone_map.hpp"
#include "support/unit_console.hpp"
#include "support/unit_plane.hpp"

namespace pelmo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using unit::CaptureConsole;
using unit::ConsoleText;

// Tone levels of a picture, row-major, top row first.
struct Tones {
    int width = 0;
    int height = 0;
    Bytes levels;
};

Tones MakeMap(int width, int height, Bytes levels) {
    return {width, height, std::move(levels)};
}

// Columns given top row first: map(x, y) = columns[x][y].
Tones FromColumns(const std::vector<Bytes>& columns) {
    const auto width = static_cast<std::int32_t>(columns.size());
    const auto height = static_cast<std::int32_t>(columns.front().size());
    Bytes tones(static_cast<std::size_t>(width * height));
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y) tones[y * width + x] = columns[x][y];
    }
    return MakeMap(width, height, tones);
}

struct Flags {
    bool dim = false, unflip = false, xorder = false, strim = false, etrim = false;
};

ImgOptions OptionsOf(const Flags& f) {
    ImgOptions o;
    o.dim = f.dim;
    o.unflip = f.unflip;
    o.xorder = f.xorder;
    o.strim = f.strim;
    o.etrim = f.etrim;
    return o;
}

std::string Describe(const Flags& f) {
    std::string text;
    if (f.dim) text += " -dim";
    if (f.unflip) text += " -unflip";
    if (f.xorder) text += " -xorder";
    if (f.strim) text += " -strim";
    if (f.etrim) text += " -etrim";
    return text.empty() ? " (none)" : text;
}

struct Packed {
    Bytes bytes;  // the first `length` bytes of the buffer
    std::int32_t length = 0;
    std::int32_t start = 0;
};

// The map that loading `tones` with these options gives.
ImgToneMap Loaded(const Tones& tones, const Flags& flags) {
    return unit::ToneMapOf(tones.width, tones.height, tones.levels, OptionsOf(flags));
}

// Packs `tones` and checks that Pack succeeded silently.
Packed PackSilently(const Tones& tones, const Flags& flags) {
    ImgRawData raw(OptionsOf(flags));
    ImgToneMap map = Loaded(tones, flags);
    bool ok = false;
    const ConsoleText console = CaptureConsole([&] { ok = raw.Pack(map); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "");
    Packed packed;
    packed.length = raw.length;
    packed.start = raw.start;
    EXPECT_GE(raw.length, 0);
    EXPECT_LE(static_cast<std::size_t>(raw.length), raw.buffer.size());
    if (ok && raw.length >= 0 && static_cast<std::size_t>(raw.length) <= raw.buffer.size()) {
        packed.bytes.assign(raw.buffer.begin(), raw.buffer.begin() + raw.length);
    }
    return packed;
}

void ExpectPacked(const Tones& map, const Flags& flags, const Bytes& bytes, std::int32_t start) {
    SCOPED_TRACE("options" + Describe(flags));
    const Packed packed = PackSilently(map, flags);
    EXPECT_EQ(packed.bytes, bytes);
    EXPECT_EQ(packed.length, static_cast<std::int32_t>(bytes.size()));
    EXPECT_EQ(packed.start, start);
}

// 3 columns, 16 rows: column 0 off; column 1 full in rows 0 and 15; column 2
// off in the top block and dim in the bottom one.
Tones WorkedExample() {
    Bytes column1(16, 0);
    column1[0] = column1[15] = 2;
    Bytes column2(16, 0);
    for (int y = 8; y < 16; ++y) column2[y] = 1;
    return FromColumns({Bytes(16, 0), column1, column2});
}

TEST(RawDataPack, WorkedExampleInEveryOptionRow) {
    const Tones map = WorkedExample();
    ExpectPacked(map, {}, {0xFF, 0xFF, 0xFE, 0x7F, 0xFF, 0xFF}, 0);
    ExpectPacked(map, {.unflip = true}, {0xFF, 0xFF, 0x7F, 0xFE, 0xFF, 0xFF}, 0);
    ExpectPacked(map, {.xorder = true}, {0xFF, 0xFE, 0xFF, 0xFF, 0x7F, 0xFF}, 0);
    ExpectPacked(map, {.unflip = true, .xorder = true}, {0xFF, 0x7F, 0xFF, 0xFF, 0xFE, 0xFF}, 0);
    ExpectPacked(map, {.dim = true}, {0xFF, 0xFF, 0xFE, 0x7F, 0x00, 0xFF}, 0);
    ExpectPacked(map, {.strim = true}, {0xFE, 0x7F, 0xFF, 0xFF}, 2);
    ExpectPacked(map, {.etrim = true}, {0xFF, 0xFF, 0xFE, 0x7F}, 0);
    ExpectPacked(map, {.strim = true, .etrim = true}, {0xFE, 0x7F}, 2);
    // The remaining combinations that the table implies.
    ExpectPacked(map, {.dim = true, .unflip = true, .xorder = true},
                 {0xFF, 0x7F, 0xFF, 0xFF, 0xFE, 0x00}, 0);
    ExpectPacked(map, {.dim = true, .strim = true, .etrim = true}, {0xFE, 0x7F, 0x00}, 2);
    ExpectPacked(map, {.xorder = true, .strim = true, .etrim = true}, {0xFE, 0xFF, 0xFF, 0x7F}, 1);
}

TEST(RawDataPack, BitOrderTopRowInBit7) {
    const Bytes column = {2, 1, 0, 2, 1, 0, 2, 1};
    const Tones map = FromColumns({column});
    ExpectPacked(map, {}, {0x6D}, 0);
    ExpectPacked(map, {.dim = true}, {0x24}, 0);
    // With one block neither -unflip nor -xorder changes anything.
    ExpectPacked(map, {.unflip = true, .xorder = true}, {0x6D}, 0);

    for (int row = 0; row < 16; ++row) {
        SCOPED_TRACE("full pixel in row " + std::to_string(row));
        Bytes single(16, 0);
        single[static_cast<std::size_t>(row)] = 2;
        const auto bit = static_cast<std::uint8_t>(~(0x80 >> (row % 8)));
        // Stored bottom block first by default, top block first with -unflip.
        const Bytes top = row < 8 ? Bytes{bit, 0xFF} : Bytes{0xFF, bit};
        ExpectPacked(FromColumns({single}), {.unflip = true}, top, 0);
        ExpectPacked(FromColumns({single}), {}, Bytes{top[1], top[0]}, 0);
    }
}

TEST(RawDataPack, DimPixelsFollowTheChosenPlane) {
    const Tones dim = FromColumns({Bytes(8, 1), Bytes(8, 0), Bytes(8, 2)});
    ExpectPacked(dim, {}, {0xFF, 0xFF, 0x00}, 0);
    ExpectPacked(dim, {.dim = true}, {0x00, 0xFF, 0x00}, 0);
}

TEST(RawDataPack, WidthNeedNotBeAMultipleOf8) {
    // 5 columns × 16 rows, column x full in row x only; -xorder lays out rows.
    std::vector<Bytes> columns(5, Bytes(16, 0));
    for (std::size_t x = 0; x < 5; ++x) columns[x][x] = 2;
    const Tones map = FromColumns(columns);
    ExpectPacked(map, {.unflip = true, .xorder = true},
                 {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0);
    ExpectPacked(map, {.xorder = true},
                 {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xBF, 0xDF, 0xEF, 0xF7}, 0);
}

TEST(RawDataPack, TrimsToNothing) {
    const Tones blank = FromColumns({Bytes(24, 0), Bytes(24, 1), Bytes(24, 0)});
    ExpectPacked(blank, {}, Bytes(9, 0xFF), 0);
    ExpectPacked(blank, {.strim = true}, {}, 9);
    ExpectPacked(blank, {.etrim = true}, {}, 0);
    ExpectPacked(blank, {.strim = true, .etrim = true}, {}, 9);
    ExpectPacked(blank, {.dim = true, .strim = true}, {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF}, 3);
    ExpectPacked(blank, {.dim = true, .xorder = true, .etrim = true},
                 {0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00}, 0);
}

TEST(RawDataPack, TrimsStopAtTheFirstLitByteFromEachEnd) {
    // Six columns of one block: only the last byte is lit.
    std::vector<Bytes> columns(6, Bytes(8, 0));
    columns[5][7] = 2;
    ExpectPacked(FromColumns(columns), {.strim = true}, {0xFE}, 5);
    ExpectPacked(FromColumns(columns), {.etrim = true}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, 0);
    // Only the first byte is lit.
    columns[5][7] = 0;
    columns[0][0] = 2;
    ExpectPacked(FromColumns(columns), {.strim = true}, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0);
    ExpectPacked(FromColumns(columns), {.etrim = true}, {0x7F}, 0);
    // Blank bytes in the middle stay.
    columns[5][7] = 2;
    ExpectPacked(FromColumns(columns), {.strim = true, .etrim = true},
                 {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, 0);
}

TEST(RawDataPack, PackingAgainStartsAfresh) {
    ImgRawData raw(OptionsOf({.strim = true}));
    ImgToneMap blank = Loaded(FromColumns({Bytes(8, 0), Bytes(8, 0)}), {});
    ImgToneMap lit = Loaded(FromColumns({Bytes(8, 2)}), {});
    ASSERT_TRUE(raw.Pack(blank));
    EXPECT_EQ(raw.start, 2);
    EXPECT_EQ(raw.length, 0);
    ASSERT_TRUE(raw.Pack(lit));
    EXPECT_EQ(raw.start, 0);
    EXPECT_EQ(raw.length, 1);
    ASSERT_GE(raw.buffer.size(), 1u);
    EXPECT_EQ(raw.buffer[0], 0x00);
}

TEST(RawDataPack, EmptyMapsAreInvalid) {
    for (const Tones& tones : {MakeMap(0, 8, {}), MakeMap(5, 0, {}), MakeMap(0, 0, {})}) {
        SCOPED_TRACE(std::to_string(tones.width) + "x" + std::to_string(tones.height));
        ImgToneMap map = Loaded(tones, {});
        ImgRawData raw(OptionsOf({.strim = true, .etrim = true}));
        bool ok = true;
        ImgToneMap one = Loaded(FromColumns({Bytes(8, 0)}), {});
        const ConsoleText first = CaptureConsole([&] { ok = raw.Pack(one); });
        ASSERT_TRUE(ok);
        const ConsoleText console = CaptureConsole([&] { ok = raw.Pack(map); });
        EXPECT_FALSE(ok);
        EXPECT_EQ(console.out, "");
        EXPECT_EQ(console.err, "Error, invalid image dimensions.\n");
        EXPECT_EQ(raw.length, 0);
        EXPECT_TRUE(raw.buffer.empty());
    }
}

// The packing rules applied one pixel at a time.
Packed ReferencePack(const Tones& map, const Flags& f) {
    const int w = map.width;
    const int blocks = map.height / 8;
    Bytes bytes(static_cast<std::size_t>(w * blocks), 0);
    for (int x = 0; x < w; ++x) {
        for (int k = 0; k < blocks; ++k) {
            std::uint8_t byte = 0;
            for (int i = 0; i < 8; ++i) {
                const int tone = map.levels[static_cast<std::size_t>((8 * k + i) * w + x)];
                const bool lit = tone >= (f.dim ? 1 : 2);
                if (!lit) byte |= static_cast<std::uint8_t>(0x80 >> i);
            }
            const int s = f.unflip ? k : blocks - 1 - k;
            bytes[static_cast<std::size_t>(f.xorder ? s * w + x : x * blocks + s)] = byte;
        }
    }
    Packed packed;
    if (f.strim) {
        while (!bytes.empty() && bytes.front() == 0xFF) {
            bytes.erase(bytes.begin());
            ++packed.start;
        }
    }
    if (f.etrim) {
        while (!bytes.empty() && bytes.back() == 0xFF) bytes.pop_back();
    }
    packed.length = static_cast<std::int32_t>(bytes.size());
    packed.bytes = bytes;
    return packed;
}

TEST(RawDataPack, MatchesAPixelByPixelReferenceOnRandomMaps) {
    constexpr std::uint32_t kSeed = 20130302;
    std::mt19937 random(kSeed);
    // Mostly blank maps as well as busy ones, so that trims have work to do.
    const double offShare[] = {0.0, 0.5, 0.9, 0.98, 1.0};
    for (int round = 0; round < 300; ++round) {
        const int width = std::uniform_int_distribution<int>(1, 37)(random);
        // Up to 20 Y blocks, so that tall maps are covered as well.
        const int height =
            8 * std::uniform_int_distribution<int>(1, round % 3 == 0 ? 20 : 6)(random);
        const double off = offShare[round % 5];
        Bytes tones(static_cast<std::size_t>(width * height));
        for (std::uint8_t& tone : tones) {
            tone =
                std::bernoulli_distribution(off)(random)
                    ? 0
                    : static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 2)(random));
        }
        const Tones map = MakeMap(width, height, tones);
        for (int combo = 0; combo < 32; ++combo) {
            const Flags f{(combo & 1) != 0, (combo & 2) != 0, (combo & 4) != 0, (combo & 8) != 0,
                          (combo & 16) != 0};
            SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round) +
                         " map " + std::to_string(width) + "x" + std::to_string(height) +
                         " options" + Describe(f));
            const Packed expected = ReferencePack(map, f);
            ImgRawData raw(OptionsOf(f));
            ImgToneMap loaded = Loaded(map, f);
            ASSERT_TRUE(raw.Pack(loaded));
            ASSERT_EQ(raw.length, expected.length);
            ASSERT_EQ(raw.start, expected.start);
            ASSERT_LE(static_cast<std::size_t>(raw.length), raw.buffer.size());
            ASSERT_EQ(Bytes(raw.buffer.begin(), raw.buffer.begin() + raw.length), expected.bytes);
        }
    }
}

}  // namespace
}  // namespace pelmo
