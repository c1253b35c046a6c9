// The product decoders on malformed streams: each is refused with its reason
// and the offset of the byte at fault (which the renderer turns into a source
// line), never by reading beyond the bytes given. Well-formed streams are
// decoded by the round trips and the worked examples of every codec.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "codec/codec_table.hpp"
#include "support/codec_check.hpp"
#include "support/decoders.hpp"

namespace pelmo::test {
namespace {

struct Malformed {
    std::string hex;     // the stream, followed in memory by the bytes after `length`
    std::size_t length;  // the bytes handed to the decoder
    std::uint32_t packets;
    std::string reason;    // part of the error text
    std::uint64_t offset;  // the byte at fault
    std::int32_t flag = -1;
};

void ExpectRefused(ImgCodecKind kind, const std::vector<Malformed>& cases) {
    for (const Malformed& c : cases) {
        const Bytes all = FromHex(c.hex);
        const DecodeResult r = Decode(kind, std::span(all).first(c.length), c.packets, c.flag);
        SCOPED_TRACE("[" + c.hex + "] first " + std::to_string(c.length) + " bytes");
        ASSERT_FALSE(r.ok()) << "gives [" << ToHex(r->bytes) << "]";
        EXPECT_NE(r.failure().message.find(c.reason), std::string::npos) << r.failure().message;
        EXPECT_EQ(r.failure().at, c.offset) << r.failure().message;
    }
}

TEST(Decoder, Raw) {
    const DecodeResult r = Decode(ImgCodecKind::Raw, FromHex("12 34"), 0);
    ASSERT_TRUE(r.ok()) << r.failure().message;
    EXPECT_EQ(ToHex(r->bytes), "12 34");
    EXPECT_EQ(r->consumed, 2u);
    ExpectRefused(ImgCodecKind::Raw, {{"12 34", 2, 1, "no packets", decode::kAtSymbols}});
}

TEST(Decoder, RleRefusesBrokenPairs) {
    ExpectRefused(ImgCodecKind::Rle, {{"", 0, 1, "ends inside packet 1", 0},
                                      {"03 05", 1, 1, "ends inside packet 1", 0},
                                      {"01 05 00 05", 4, 2, "packet 2 has count 0", 2},
                                      {"02 05 01 07", 2, 2, "ends inside packet 2", 2}});
    // Bytes after the last pair are left unread, for the caller to judge.
    const DecodeResult r = Decode(ImgCodecKind::Rle, FromHex("03 05 02"), 1);
    ASSERT_TRUE(r.ok()) << r.failure().message;
    EXPECT_EQ(ToHex(r->bytes), "05 05 05");
    EXPECT_EQ(r->consumed, 2u);
}

TEST(Decoder, SrleLooksOneByteAheadWithinTheStream) {
    ExpectRefused(ImgCodecKind::Srle, {{"05 05 03", 2, 1, "ends inside packet 1", 0},
                                       {"07 05 05 01", 4, 2, "packet 2 has run count 1", 3},
                                       {"05", 1, 2, "ends inside packet 2", 1}});
    // The last byte has no successor, so it is a single even if more would follow.
    const Bytes stream = FromHex("07 05 05 04");
    const DecodeResult r = Decode(ImgCodecKind::Srle, std::span(stream).first(2), 2);
    ASSERT_TRUE(r.ok()) << r.failure().message;
    EXPECT_EQ(ToHex(r->bytes), "07 05");
}

TEST(Decoder, FrleRefusesBrokenRuns) {
    ExpectRefused(ImgCodecKind::Frle, {{"", 0, 0, "flag byte is missing", 0},
                                       {"00", 1, 0, "not 1 to 254", 0},
                                       {"FF", 1, 0, "not 1 to 254", 0},
                                       {"FE FE 05 07", 2, 1, "ends inside packet 1", 1},
                                       {"FE FE 05 07", 3, 1, "ends inside packet 1", 1},
                                       {"FE 01 FE 02 07", 5, 2, "packet 2 has run count 2", 3},
                                       {"FE FE 03 FE", 4, 1, "repeats the flag", 3},
                                       {"FE 01 02", 2, 2, "ends inside packet 2", 2}});
    // A count equal to the flag is just a count.
    const DecodeResult r = Decode(ImgCodecKind::Frle, FromHex("FE 01 FE FE 02"), 2);
    ASSERT_TRUE(r.ok()) << r.failure().message;
    EXPECT_EQ(r->bytes.size(), 1u + 0xFE);
    EXPECT_EQ(r->consumed, 5u);
}

TEST(Decoder, BnpRefusesMissingNibbles) {
    constexpr auto kAt = decode::kAtSymbols;
    ExpectRefused(ImgCodecKind::Bnp, {{"01", 1, 1, "not 1 to 254", kAt, -1},
                                      {"01", 1, 1, "not 1 to 254", kAt, 0},
                                      {"01", 1, 1, "not 1 to 254", kAt, 255},
                                      {"FE 01", 1, 1, "ends inside packet 1", 0, 0xFE},
                                      {"01 02", 1, 2, "ends inside packet 2", 1, 0xFE},
                                      // One run, but its nibble byte codes a partner.
                                      {"07 FE 21", 3, 2, "no partner", 2, 0xFE}});
    // The second run takes its code from the first run's nibble byte.
    const DecodeResult r = Decode(ImgCodecKind::Bnp, FromHex("FE 21 07 FE"), 3, 0xFE);
    ASSERT_TRUE(r.ok()) << r.failure().message;
    EXPECT_EQ(ToHex(r->bytes), "00 00 07 FF FF FF");
    EXPECT_EQ(r->consumed, 4u);
}

TEST(Decoder, Bit2xpStopsAtTheLastBit) {
    ExpectRefused(ImgCodecKind::Bit2xp, {{"", 0, 1, "ends inside packet 1", 0},
                                         {"00 FF", 1, 1, "ends inside packet 1", 0},
                                         {"FF FF", 1, 9, "ends inside packet 9", 1},
                                         {"7F FF", 1, 8, "ends inside packet 8", 0},
                                         {"FF 03", 2, 9, "after the last code", 1}});
    const DecodeResult r = Decode(ImgCodecKind::Bit2xp, FromHex("02 FF"), 1);
    ASSERT_TRUE(r.ok()) << r.failure().message;
    EXPECT_EQ(ToHex(r->bytes), "00");
    EXPECT_EQ(r->consumed, 1u);
}

// Every decoder stops at its limit instead of growing without bound.
TEST(Decoder, ResultsAboveTheLimitAreRefused) {
    const std::pair<ImgCodecKind, std::string> streams[] = {{ImgCodecKind::Raw, "00 00 00"},
                                                            {ImgCodecKind::Rle, "01 00 02 00"},
                                                            {ImgCodecKind::Srle, "00 00 03"},
                                                            {ImgCodecKind::Frle, "FE FE 03 00"},
                                                            {ImgCodecKind::Bit2xp, "02 FF"}};
    for (const auto& [kind, hex] : streams) {
        const Bytes s = FromHex(hex);
        const std::uint32_t packets = kind == ImgCodecKind::Raw      ? 0
                                      : kind == ImgCodecKind::Bit2xp ? 3
                                      : kind == ImgCodecKind::Rle    ? 2
                                                                     : 1;
        const DecodeResult r = CodecFor(kind).decode({s, packets, -1, 2});
        ASSERT_FALSE(r.ok()) << CodecName(kind);
        EXPECT_NE(r.failure().message.find("more than 2 bytes"), std::string::npos)
            << CodecName(kind);
    }
}

}  // namespace
}  // namespace pelmo::test
