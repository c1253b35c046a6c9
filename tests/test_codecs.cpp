// What every codec shares: the raw codec, the include lines, the symbols a
// codec hands the writer, a repeated Compress, and the failure of the two
// codecs that need a byte value absent from the data.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/raw_data.hpp"
#include "asm/asm_stream.hpp"
#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "codec/compress_bnp.hpp"
#include "support/codec_check.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::test {
namespace {

ImgRawData MakeRaw(const Bytes& bytes, std::int32_t start = 0) {
    ImgRawData raw{ImgOptions{}};
    raw.buffer = bytes;
    raw.length = static_cast<std::int32_t>(bytes.size());
    raw.start = start;
    return raw;
}

// Runs WriteOutput into a fresh file; returns the file from the first symbol
// line on, and the console lines in `console`.
std::string WriteOutputText(CPelmoImgCompress& codec, TableCodeMode mode, std::string& console) {
    ImgOptions options;
    options.tc = mode;
    const unit::TempDir dir;
    const std::string path = dir.File("output.asm");
    {
        ImgAsmWriter writer(options);
        EXPECT_TRUE(writer.Open(path));
        ::testing::internal::CaptureStdout();
        EXPECT_TRUE(codec.WriteOutput(writer));
        console = ::testing::internal::GetCapturedStdout();
        EXPECT_TRUE(writer.Close());
    }
    const std::string text = unit::ReadWholeFile(path);
    const auto first = text.find("\t.equ");
    return first == std::string::npos ? text : text.substr(first);
}

TEST(RawCodec, CopiesTheBytesAndPassesStartThrough) {
    const auto codec = MakeCodec(ImgCodecKind::Raw, ImgOptions{});
    ASSERT_TRUE(codec->Compress(MakeRaw(FromHex("12 34"), 5)));
    EXPECT_EQ(ToHex(std::span(codec->buffer).first(2)), "12 34");
    EXPECT_EQ(codec->size, 2);
    EXPECT_EQ(codec->packets, 0);
    EXPECT_EQ(codec->start, 5);

    std::string console;
    EXPECT_EQ(WriteOutputText(*codec, TableCodeMode::None, console),
              "\t.equ IMG_SIZE $02\n\t.equ IMG_PACKETS $00\n\t.equ IMG_START $05\n"
              "img_data:\n\t.db $12,$34\n");
}

TEST(RawCodec, EmptyDataStillWritesTheSymbols) {
    const auto codec = MakeCodec(ImgCodecKind::Raw, ImgOptions{});
    ASSERT_TRUE(codec->Compress(MakeRaw({})));
    EXPECT_EQ(codec->size, 0);
    EXPECT_EQ(codec->packets, 0);
    std::string console;
    EXPECT_EQ(WriteOutputText(*codec, TableCodeMode::None, console),
              "\t.equ IMG_SIZE $00\n\t.equ IMG_PACKETS $00\n\t.equ IMG_START $00\nimg_data:\n");
}

TEST(CodecIncludeLine, EachCodecNamesItsOwnDecoderFile) {
    const std::pair<ImgCodecKind, const char*> expected[] = {
        {ImgCodecKind::Raw, "\t.include \"tablecode_raw.asm\"\n"},
        {ImgCodecKind::Rle, "\t.include \"tablecode_rle.asm\"\n"},
        {ImgCodecKind::Srle, "\t.include \"tablecode_srle.asm\"\n"},
        {ImgCodecKind::Frle, "\t.include \"tablecode_frle.asm\"\n"},
        {ImgCodecKind::Bnp, "\t.include \"tablecode_bnp.asm\"\n"},
        {ImgCodecKind::Bit2xp, "\t.include \"tablecode_bit2xp.asm\"\n"},
    };
    for (const auto& [kind, line] : expected) {
        SCOPED_TRACE(CodecName(kind));
        const auto codec = MakeCodec(kind, ImgOptions{});
        const unit::TempDir dir;
        AsmStream stream;
        ASSERT_TRUE(stream.Open(dir.File("include.asm")));
        codec->WriteTableCode(stream);
        ASSERT_TRUE(stream.Close());
        EXPECT_EQ(unit::ReadWholeFile(dir.File("include.asm")), line);
    }
}

// In Include mode the line sits once, between the label and the data, for
// every codec; the symbols before it are size, packets, start (and flag).
TEST(CodecIncludeLine, WrittenOnceAfterTheDataLabel) {
    for (const ImgCodecKind kind : kAllCodecs) {
        SCOPED_TRACE(CodecName(kind));
        const auto codec = MakeCodec(kind, ImgOptions{});
        ASSERT_TRUE(codec->Compress(MakeRaw(Repeat(600, 0x00))));
        std::string console;
        const std::string text = WriteOutputText(*codec, TableCodeMode::Include, console);
        const std::string include =
            "img_data:\n\t.include \"tablecode_" + CodecName(kind) + ".asm\"\n\t.db $";
        EXPECT_NE(text.find(include), std::string::npos) << text;
        EXPECT_EQ(text.find(".include"), text.rfind(".include"));
    }
}

TEST(BnpCodec, WriteOutputAddsTheFlagSymbolAfterStart) {
    CPelmoImgCompress_BNP codec{ImgOptions{}};
    ASSERT_TRUE(codec.Compress(MakeRaw(
        FromHex("FF FF FF 00 00 00 00 FE FF 00 00 FF FF FF FF FF FF FF FF FF FF FF 00"), 3)));
    std::string console;
    EXPECT_EQ(
        WriteOutputText(codec, TableCodeMode::None, console),
        "\t.equ IMG_SIZE $0B\n\t.equ IMG_PACKETS $08\n\t.equ IMG_START $03\n"
        "\t.equ IMG_FLAG $FD\nimg_data:\n\t.db $FD,$52,$FD,$FE,$FF,$FD,$E1,$FD,$FD,$00,$00\n");
    EXPECT_EQ(console,
              "Symbol 'IMG_SIZE' set to 11\nSymbol 'IMG_PACKETS' set to 8\n"
              "Symbol 'IMG_START' set to 3\nSymbol 'IMG_FLAG' set to 253\n"
              "Wrote 11 bytes to 'img_data'\n");
}

// A second Compress on the same object leaves exactly what a fresh object
// would hold: nothing of the first, longer output survives.
TEST(CodecCompress, SecondCompressReplacesTheFirst) {
    const Bytes first = Join({Repeat(300, 0x00), FromHex("01 02 03 03 03"), Repeat(40, 0xFF)});
    const Bytes second = FromHex("AA AA AA 00");
    for (const ImgCodecKind kind : kAllCodecs) {
        SCOPED_TRACE(CodecName(kind));
        const auto codec = MakeCodec(kind, ImgOptions{});
        ASSERT_TRUE(codec->Compress(MakeRaw(first, 9)));
        ASSERT_TRUE(codec->Compress(MakeRaw(second, 2)));
        const EncodeResult fresh = Encode(kind, second, 2);
        ASSERT_TRUE(fresh.ok);
        EXPECT_EQ(codec->size, fresh.size);
        EXPECT_EQ(codec->packets, fresh.packets);
        EXPECT_EQ(codec->start, 2);
        ASSERT_GE(codec->buffer.size(), static_cast<std::size_t>(codec->size));
        EXPECT_EQ(ToHex(std::span(codec->buffer).first(static_cast<std::size_t>(codec->size))),
                  ToHex(fresh.stream));
    }
}

// Every value from 1 to 254 present: the flagged codecs fail with their one
// error line; 0x00 and 0xFF never serve as the flag, present or not.
TEST(CodecFlag, FailsWhenEveryCandidateOccurs) {
    Bytes candidates;
    for (int v = 1; v <= 254; ++v) candidates.push_back(static_cast<std::uint8_t>(v));
    const Bytes everything = Join({FromHex("00"), candidates, FromHex("FF")});
    for (const Bytes& data : {candidates, everything}) {
        for (const ImgCodecKind kind : {ImgCodecKind::Frle, ImgCodecKind::Bnp}) {
            SCOPED_TRACE(CodecName(kind) + " on " + std::to_string(data.size()) + " bytes");
            const auto codec = MakeCodec(kind, ImgOptions{});
            ::testing::internal::CaptureStderr();
            const bool ok = codec->Compress(MakeRaw(data, 4));
            EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                      "Error, can't find unused byte value in data.\n");
            EXPECT_FALSE(ok);
            EXPECT_EQ(codec->size, 0);
            EXPECT_EQ(codec->packets, 0);
            if (const auto* bnp = dynamic_cast<const CPelmoImgCompress_BNP*>(codec.get())) {
                EXPECT_EQ(bnp->flag, -1);
            }
        }
    }
}

// Data made of 0x00, 0xFF and every candidate but `missing`.
Bytes AllBut(int missing) {
    Bytes data = FromHex("00 FF");
    for (int v = 1; v <= 254; ++v) {
        if (v != missing) data.push_back(static_cast<std::uint8_t>(v));
    }
    return data;
}

TEST(CodecFlag, HighestAbsentCandidateWins) {
    const std::pair<Bytes, int> cases[] = {
        {AllBut(254), 0xFE}, {AllBut(128), 0x80}, {AllBut(1), 0x01}, {FromHex("FE FE 01"), 0xFD}};
    for (const auto& [data, flag] : cases) {
        ASSERT_EQ(ExpectedFlag(data), flag);
        const EncodeResult frle = Encode(ImgCodecKind::Frle, data);
        ASSERT_TRUE(frle.ok);
        EXPECT_EQ(frle.stream.at(0), flag);
        const EncodeResult bnp = Encode(ImgCodecKind::Bnp, data);
        ASSERT_TRUE(bnp.ok);
        EXPECT_EQ(bnp.flag, flag);
        EXPECT_TRUE(RoundTrips(ImgCodecKind::Frle, data));
        EXPECT_TRUE(RoundTrips(ImgCodecKind::Bnp, data));
    }
}

}  // namespace
}  // namespace pelmo::test
