// The reference decoders themselves: they must refuse a malformed stream with
// a reason instead of reading beyond the bytes they were given, since the
// round-trip tests and fuzz targets trust them.
#include <string>

#include <gtest/gtest.h>

#include "support/decoders.hpp"

namespace pelmo::test {
namespace {

// The decoder refused the stream, for the reason named by `reason`.
::testing::AssertionResult FailsWith(const DecodeResult& result, const std::string& reason) {
    if (result.ok()) {
        return ::testing::AssertionFailure() << "accepted, giving [" << ToHex(result.bytes) << "]";
    }
    if (result.error.find(reason) == std::string::npos) {
        return ::testing::AssertionFailure() << "refused with \"" << result.error << "\"";
    }
    return ::testing::AssertionSuccess();
}

// Decodes the first `length` bytes of `hex`: the bytes after them stay in
// memory, so a decoder that reads past its span would take them as data.
DecodeResult DecodePrefix(ImgCodecKind kind, const std::string& hex, std::size_t length,
                          std::int32_t packets, std::int32_t flag = -1) {
    const Bytes all = FromHex(hex);
    return Decode(kind, std::span(all).first(length), packets, flag);
}

DecodeResult DecodeHex(ImgCodecKind kind, const std::string& hex, std::int32_t packets,
                       std::int32_t flag = -1) {
    const Bytes all = FromHex(hex);
    return Decode(kind, all, packets, flag);
}

TEST(ReferenceDecoder, Raw) {
    const DecodeResult r = DecodeHex(ImgCodecKind::Raw, "12 34", 0);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(ToHex(r.bytes), "12 34");
    EXPECT_EQ(r.consumed, 2u);
    EXPECT_FALSE(DecodeHex(ImgCodecKind::Raw, "12 34", 1).ok());
}

TEST(ReferenceDecoder, RleRejectsBrokenPairs) {
    constexpr auto kRle = ImgCodecKind::Rle;
    EXPECT_TRUE(FailsWith(DecodeHex(kRle, "", 1), "count byte missing"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kRle, "03 05", 1, 1), "value byte missing"));
    EXPECT_TRUE(FailsWith(DecodeHex(kRle, "00 05", 1), "count 0"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kRle, "02 05 01 07", 2, 2), "pair 1"));
    EXPECT_FALSE(DecodeHex(kRle, "", -1).ok());

    // Bytes after the last pair are left unread, for the caller to judge.
    const DecodeResult r = DecodeHex(kRle, "03 05 02", 1);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(ToHex(r.bytes), "05 05 05");
    EXPECT_EQ(r.consumed, 2u);
}

TEST(ReferenceDecoder, SrleLooksOneByteAhead) {
    constexpr auto kSrle = ImgCodecKind::Srle;
    EXPECT_TRUE(FailsWith(DecodePrefix(kSrle, "05 05 03", 2, 1), "run count missing"));
    EXPECT_TRUE(FailsWith(DecodeHex(kSrle, "05 05 01", 1), "below 2"));
    EXPECT_TRUE(FailsWith(DecodeHex(kSrle, "05", 2), "stream ends"));

    // The last byte has no successor, so it is a single even if more would follow.
    const DecodeResult r = DecodePrefix(kSrle, "07 05 05 04", 2, 2);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(ToHex(r.bytes), "07 05");
    const DecodeResult run = DecodeHex(kSrle, "07 05 05 04 05", 3);
    ASSERT_TRUE(run.ok()) << run.error;
    EXPECT_EQ(ToHex(run.bytes), "07 05 05 05 05 05");
}

TEST(ReferenceDecoder, FrleRejectsBrokenRuns) {
    constexpr auto kFrle = ImgCodecKind::Frle;
    EXPECT_TRUE(FailsWith(DecodeHex(kFrle, "", 0), "flag byte missing"));
    EXPECT_TRUE(FailsWith(DecodeHex(kFrle, "00", 0), "not in 1..254"));
    EXPECT_TRUE(FailsWith(DecodeHex(kFrle, "FF", 0), "not in 1..254"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kFrle, "FE FE 05 07", 2, 1), "run count missing"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kFrle, "FE FE 05 07", 3, 1), "run value missing"));
    EXPECT_TRUE(FailsWith(DecodeHex(kFrle, "FE FE 02 07", 1), "below 3"));
    EXPECT_TRUE(FailsWith(DecodeHex(kFrle, "FE FE 03 FE", 1), "run value is the flag"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kFrle, "FE 01 02", 2, 2), "stream ends"));

    // A count equal to the flag is just a count.
    const DecodeResult r = DecodeHex(kFrle, "FE 01 FE FE 02", 2);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.bytes.size(), 1u + 0xFE);
    EXPECT_EQ(r.consumed, 5u);
}

TEST(ReferenceDecoder, BnpRejectsMissingNibbles) {
    constexpr auto kBnp = ImgCodecKind::Bnp;
    for (const int flag : {-1, 0, 255}) EXPECT_FALSE(DecodeHex(kBnp, "01", 1, flag).ok());
    EXPECT_TRUE(FailsWith(DecodePrefix(kBnp, "FE 01", 1, 1, 0xFE), "nibble byte missing"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kBnp, "01 02", 1, 2, 0xFE), "stream ends"));
    // One run, but its nibble byte promises a partner run.
    EXPECT_TRUE(FailsWith(DecodeHex(kBnp, "FE 21", 1, 0xFE), "high nibble"));

    // The second run takes its code from the first run's nibble byte.
    const DecodeResult r = DecodeHex(kBnp, "FE 21 07 FE", 3, 0xFE);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(ToHex(r.bytes), "00 00 07 FF FF FF");
    EXPECT_EQ(r.consumed, 4u);
}

TEST(ReferenceDecoder, Bit2xpStopsAtTheLastBit) {
    constexpr auto kBit = ImgCodecKind::Bit2xp;
    EXPECT_TRUE(FailsWith(DecodeHex(kBit, "", 1), "stream ends"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kBit, "00 FF", 1, 1), "literal cut short"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kBit, "FF FF", 1, 9), "stream ends"));
    EXPECT_TRUE(FailsWith(DecodePrefix(kBit, "7F FF", 1, 8), "stream ends in its prefix"));
    // Bits after the last code must be 0.
    EXPECT_TRUE(FailsWith(DecodeHex(kBit, "03", 1), "after the last code"));

    const DecodeResult r = DecodeHex(kBit, "02 FF", 1);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(ToHex(r.bytes), "00");
    EXPECT_EQ(r.consumed, 1u);
}

}  // namespace
}  // namespace pelmo::test
