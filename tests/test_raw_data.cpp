#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "app/raw_data.hpp"
#include "app/tone_map.hpp"
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

// The map that loading `tones` with these options gives.
ImgToneMap Loaded(const Tones& tones, const Flags& flags) {
    return unit::ToneMapOf(tones.width, tones.height, tones.levels, OptionsOf(flags));
}

// Pack succeeds silently and keeps exactly `bytes` after `start` trimmed ones.
void ExpectPacked(const Tones& map, const Flags& flags, const Bytes& bytes, std::int32_t start) {
    SCOPED_TRACE("options" + Describe(flags));
    ImgRawData raw(OptionsOf(flags));
    ImgToneMap loaded = Loaded(map, flags);
    bool ok = false;
    const ConsoleText console = CaptureConsole([&] { ok = raw.Pack(loaded); });
    ASSERT_TRUE(ok);
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "");
    ASSERT_EQ(raw.length, static_cast<std::int32_t>(bytes.size()));
    ASSERT_LE(bytes.size(), raw.buffer.size());
    EXPECT_EQ(Bytes(raw.buffer.begin(), raw.buffer.begin() + raw.length), bytes);
    EXPECT_EQ(raw.start, start);
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

// Packs `map` and checks the result against its tones (see CheckPacked).
::testing::AssertionResult RoundTrips(const Tones& map, const Flags& f) {
    ImgRawData raw(OptionsOf(f));
    ImgToneMap loaded = Loaded(map, f);
    if (!raw.Pack(loaded)) return ::testing::AssertionFailure() << "Pack failed";
    if (raw.start < 0 || raw.length < 0 || static_cast<std::size_t>(raw.length) > raw.buffer.size())
        return ::testing::AssertionFailure() << "start " << raw.start << " length " << raw.length;
    const std::string wrong = unit::CheckPacked(
        std::span(raw.buffer.data(), static_cast<std::size_t>(raw.length)),
        static_cast<std::size_t>(raw.start), raw.options, map.width, map.height, map.levels);
    if (!wrong.empty()) return ::testing::AssertionFailure() << wrong;
    return ::testing::AssertionSuccess();
}

// Seeded random maps, mostly blank as well as busy (so the trims have work),
// of every width up to 37 and up to 20 blocks, in all 32 option rows.
TEST(RawDataPack, RandomMapsUnpackToTheirTones) {
    constexpr std::uint32_t kSeed = 20130302;
    std::mt19937 random(kSeed);
    const double offShare[] = {0.0, 0.5, 0.9, 0.98, 1.0};
    for (int round = 0; round < 300; ++round) {
        const int width = std::uniform_int_distribution<int>(1, 37)(random);
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
            ASSERT_TRUE(RoundTrips(map, f)) << "seed " << kSeed << " round " << round << " map "
                                            << width << "x" << height << " options" << Describe(f);
        }
    }
}

}  // namespace
}  // namespace pelmo
