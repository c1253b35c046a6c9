// Byte-exact outputs of the three run-length codecs: RLE pairs, sRLE tokens
// and Flag-RLE tokens, around the run limits where greedy splitting matters.
#include <gtest/gtest.h>

#include "support/codec_check.hpp"

namespace pelmo::test {
namespace {

constexpr auto kRle = ImgCodecKind::Rle;
constexpr auto kSrle = ImgCodecKind::Srle;
constexpr auto kFrle = ImgCodecKind::Frle;

TEST(RleCodec, WorkedExample) {
    EXPECT_TRUE(EncodesTo(kRle, FromHex("05 05 05 07 FF FF"), "03 05 01 07 02 FF", 3));
}

TEST(RleCodec, LongRunsSplitIntoPiecesOf255) {
    EXPECT_TRUE(EncodesTo(kRle, Repeat(300, 0x00), "FF 00 2D 00", 2));
    EXPECT_TRUE(EncodesTo(kRle, Repeat(255, 0xAA), "FF AA", 1));
    EXPECT_TRUE(EncodesTo(kRle, Repeat(256, 0xAA), "FF AA 01 AA", 2));
    EXPECT_TRUE(EncodesTo(kRle, Repeat(600, 0x42), "FF 42 FF 42 5A 42", 3));
    EXPECT_TRUE(EncodesTo(kRle, Repeat(510, 0xFF), "FF FF FF FF", 2));
}

TEST(RleCodec, UnequalNeighboursDouble) {
    EXPECT_TRUE(EncodesTo(kRle, FromHex("01 02 03"), "01 01 01 02 01 03", 3));
    EXPECT_TRUE(EncodesTo(kRle, FromHex("00"), "01 00", 1));
    EXPECT_TRUE(EncodesTo(kRle, FromHex("FF 00 FF"), "01 FF 01 00 01 FF", 3));
}

TEST(RleCodec, EmptyDataGivesNoPairs) {
    EXPECT_TRUE(EncodesTo(kRle, {}, "", 0));
}

TEST(SrleCodec, WorkedExample) {
    EXPECT_TRUE(EncodesTo(kSrle, FromHex("05 05 05 07 FF FF"), "05 05 03 07 FF FF 02", 3));
}

TEST(SrleCodec, UnequalNeighboursAreCopied) {
    EXPECT_TRUE(EncodesTo(kSrle, FromHex("01 02 03"), "01 02 03", 3));
    EXPECT_TRUE(EncodesTo(kSrle, FromHex("7F"), "7F", 1));
}

TEST(SrleCodec, RunOfTwoIsARunToken) {
    EXPECT_TRUE(EncodesTo(kSrle, FromHex("09 09"), "09 09 02", 1));
    EXPECT_TRUE(EncodesTo(kSrle, FromHex("01 09 09 01"), "01 09 09 02 01", 3));
}

TEST(SrleCodec, LongRunsSplitIntoPiecesOf255) {
    EXPECT_TRUE(EncodesTo(kSrle, Repeat(300, 0x00), "00 00 FF 00 00 2D", 2));
    EXPECT_TRUE(EncodesTo(kSrle, Repeat(255, 0xAA), "AA AA FF", 1));
    // A remainder of one is a single after the run token, of two a run token.
    EXPECT_TRUE(EncodesTo(kSrle, Repeat(256, 0xAA), "AA AA FF AA", 2));
    EXPECT_TRUE(EncodesTo(kSrle, Repeat(257, 0xAA), "AA AA FF AA AA 02", 2));
    EXPECT_TRUE(EncodesTo(kSrle, Join({Repeat(256, 0xAA), FromHex("01")}), "AA AA FF AA 01", 3));
}

TEST(SrleCodec, EmptyDataGivesNoTokens) {
    EXPECT_TRUE(EncodesTo(kSrle, {}, "", 0));
}

TEST(FrleCodec, WorkedExample) {
    EXPECT_TRUE(EncodesTo(kFrle, FromHex("05 05 05 07 FF FF"), "FE FE 03 05 07 FF FF", 4));
}

TEST(FrleCodec, FlagIsTheHighestAbsentValue) {
    EXPECT_TRUE(EncodesTo(kFrle, FromHex("FE FE FE FD 01"), "FC FC 03 FE FD 01", 3));
    // However often a value occurs, it counts once.
    EXPECT_TRUE(EncodesTo(kFrle, Repeat(256, 0xFE), "FD FD FF FE FE", 2));
    // 0x00 and 0xFF in the data leave the flag at 0xFE.
    EXPECT_TRUE(EncodesTo(kFrle, FromHex("00 FF"), "FE 00 FF", 2));
}

TEST(FrleCodec, OnlyRunsOfThreeOrMoreBecomeTokens) {
    EXPECT_TRUE(EncodesTo(kFrle, FromHex("09 09 00 09 09 09 09"), "FE 09 09 00 FE 04 09", 4));
    EXPECT_TRUE(EncodesTo(kFrle, FromHex("09 09"), "FE 09 09", 2));
    EXPECT_TRUE(EncodesTo(kFrle, FromHex("09 09 09"), "FE FE 03 09", 1));
}

TEST(FrleCodec, LongRunsSplitIntoPiecesOf255) {
    EXPECT_TRUE(EncodesTo(kFrle, Repeat(300, 0x00), "FE FE FF 00 FE 2D 00", 2));
    EXPECT_TRUE(EncodesTo(kFrle, Repeat(256, 0xAA), "FE FE FF AA AA", 2));
    EXPECT_TRUE(EncodesTo(kFrle, Repeat(257, 0xAA), "FE FE FF AA AA AA", 3));
    EXPECT_TRUE(EncodesTo(kFrle, Repeat(258, 0xAA), "FE FE FF AA FE 03 AA", 2));
}

// The count byte may equal the flag; a reader never looks at it as a marker.
TEST(FrleCodec, CountMayEqualTheFlag) {
    EXPECT_TRUE(EncodesTo(kFrle, Repeat(254, 0x11), "FE FE FE 11", 1));
}

TEST(FrleCodec, EmptyDataIsTheFlagAlone) {
    EXPECT_TRUE(EncodesTo(kFrle, {}, "FE", 0));
}

}  // namespace
}  // namespace pelmo::test
