// Byte-exact outputs of the two codecs that pack below the byte: the Blinky
// Nibble Packer (run codes two to a byte) and the Bit2-Xpressor (bit codes).
#include <string>

#include <gtest/gtest.h>

#include "support/codec_check.hpp"

namespace pelmo::test {
namespace {

constexpr auto kBnp = ImgCodecKind::Bnp;
constexpr auto kBit2xp = ImgCodecKind::Bit2xp;

const Bytes kBnpExample =
    FromHex("FF FF FF 00 00 00 00 FE FF 00 00 FF FF FF FF FF FF FF FF FF FF FF 00");

TEST(BnpCodec, WorkedExample) {
    EXPECT_TRUE(EncodesTo(kBnp, kBnpExample, "FD 52 FD FE FF FD E1 FD FD 00 00", 8));
    EXPECT_EQ(Encode(kBnp, kBnpExample).flag, 0xFD);
}

// Code = 2 * (length - 2), plus 1 for 0x00: all sixteen codes, one run each,
// the code alone in the low nibble.
TEST(BnpCodec, EveryRunCode) {
    for (std::size_t length = 2; length <= 9; ++length) {
        for (const std::uint8_t value : {std::uint8_t{0xFF}, std::uint8_t{0x00}}) {
            const unsigned code = 2 * static_cast<unsigned>(length - 2) + (value == 0x00 ? 1 : 0);
            const std::string nibble = ToHex(Bytes{static_cast<std::uint8_t>(code)});
            EXPECT_TRUE(EncodesTo(kBnp, Repeat(length, value), "FE " + nibble, 1));
        }
    }
}

TEST(BnpCodec, RunsAreCappedAtNine) {
    EXPECT_TRUE(EncodesTo(kBnp, Repeat(10, 0x00), "FE 0F 00", 2));
    EXPECT_TRUE(EncodesTo(kBnp, Repeat(11, 0x00), "FE 1F FE", 2));
    EXPECT_TRUE(EncodesTo(kBnp, Repeat(18, 0xFF), "FE EE FE", 2));
    EXPECT_TRUE(EncodesTo(kBnp, Repeat(19, 0xFF), "FE EE FE FF", 3));
}

TEST(BnpCodec, LoneZeroAndFullBytesAreLiterals) {
    EXPECT_TRUE(EncodesTo(kBnp, FromHex("00"), "00", 1));
    EXPECT_TRUE(EncodesTo(kBnp, FromHex("FF 00"), "FF 00", 2));
    EXPECT_TRUE(EncodesTo(kBnp, FromHex("00 FF 00 FF"), "00 FF 00 FF", 4));
}

TEST(BnpCodec, OtherValuesNeverFormRuns) {
    EXPECT_TRUE(EncodesTo(kBnp, FromHex("81 81 81"), "81 81 81", 3));
}

// With an odd number of runs the last nibble byte has no partner: high nibble 0.
TEST(BnpCodec, OddRunCountLeavesHighNibbleZero) {
    EXPECT_TRUE(EncodesTo(kBnp, FromHex("00 00"), "FE 01", 1));
    EXPECT_TRUE(
        EncodesTo(kBnp, FromHex("00 00 01 FF FF FF 01 00 00 00"), "FE 21 01 FE 01 FE 03", 5));
}

TEST(BnpCodec, FlagIsTheHighestAbsentValue) {
    EXPECT_TRUE(EncodesTo(kBnp, FromHex("FE 00 00 00"), "FE FD 03", 2));
    EXPECT_EQ(Encode(kBnp, FromHex("FE 00 00 00")).flag, 0xFD);

    // 0xFE counts as present however often it occurs.
    const Bytes manyFe = Join({Repeat(256, 0xFE), Repeat(2, 0x00)});
    const EncodeResult e = Encode(kBnp, manyFe);
    EXPECT_EQ(e.flag, 0xFD);
    EXPECT_TRUE(EncodesTo(kBnp, manyFe, ToHex(Join({Repeat(256, 0xFE), FromHex("FD 01")})), 257));
}

TEST(BnpCodec, EmptyDataGetsFlag254) {
    EXPECT_TRUE(EncodesTo(kBnp, {}, "", 0));
    EXPECT_EQ(Encode(kBnp, {}).flag, 0xFE);
}

TEST(Bit2xpCodec, WorkedExample) {
    EXPECT_TRUE(EncodesTo(kBit2xp, FromHex("FF 00 81 00"), "25 50", 4));
}

TEST(Bit2xpCodec, ShortCodesForBlankAndFullBytes) {
    EXPECT_TRUE(EncodesTo(kBit2xp, Repeat(8, 0xFF), "FF", 8));
    EXPECT_TRUE(EncodesTo(kBit2xp, Repeat(9, 0xFF), "FF 01", 9));
    EXPECT_TRUE(EncodesTo(kBit2xp, Repeat(4, 0x00), "AA", 4));
    EXPECT_TRUE(EncodesTo(kBit2xp, FromHex("00 FF"), "06", 2));
}

// Literals: 0 0 then the byte's bits from bit 0 upwards, straddling bytes.
TEST(Bit2xpCodec, LiteralsAreTenBitsLeastSignificantFirst) {
    EXPECT_TRUE(EncodesTo(kBit2xp, FromHex("3C"), "F0 00", 1));
    EXPECT_TRUE(EncodesTo(kBit2xp, FromHex("01"), "04 00", 1));
    EXPECT_TRUE(EncodesTo(kBit2xp, FromHex("80"), "00 02", 1));
    EXPECT_TRUE(EncodesTo(kBit2xp, FromHex("FE"), "F8 03", 1));
    EXPECT_TRUE(EncodesTo(kBit2xp, Repeat(4, 0x81), "04 12 48 20 81", 4));
}

TEST(Bit2xpCodec, EmptyDataGivesAnEmptyStream) {
    EXPECT_TRUE(EncodesTo(kBit2xp, {}, "", 0));
}

}  // namespace
}  // namespace pelmo::test
