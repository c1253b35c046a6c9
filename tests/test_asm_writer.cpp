#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "image/raw_data.hpp"
#include "support/unit_console.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using unit::CaptureConsole;
using unit::ConsoleText;
using unit::TempDir;

constexpr char kHeader[] = "\t; Created by PelmoImage v1.4 (Mar 2, 2013)\n\n";
constexpr char kImageStub[] = "\tmovp\ta, @a\n\tret\n\t.db 0,0,0,0\n";
constexpr char kDataStub[] = "\tadd\ta, ($+4) & 255\n\tmovp\ta, @a\n\tret\n";
constexpr char kRawInclude[] = "\t.include \"tablecode_raw.asm\"\n";

// `.db` lines formatted the plain way: "$%02X" per byte, 16 to a line.
std::string ReferenceDb(const Bytes& bytes, std::size_t from, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        char item[8];
        std::snprintf(item, sizeof item, "$%02X", static_cast<unsigned>(bytes[from + i]));
        text += i % 16 == 0 ? "\t.db " : ",";
        text += item;
        if (i % 16 == 15 || i + 1 == count) text += "\n";
    }
    return text;
}

Bytes Sequence(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
}

ImgOptions Mode(TableCodeMode tc) {
    ImgOptions options;
    options.tc = tc;
    return options;
}

struct Written {
    bool opened = false;
    bool closed = false;
    std::string file;
    ConsoleText console;
};

// Opens a writer on a fresh file, runs `body`, closes it and reads the file.
Written WriteWith(const ImgOptions& options, const std::function<void(ImgAsmWriter&)>& body) {
    TempDir dir;
    const std::string path = dir.File("out.asm");
    Written written;
    written.console = CaptureConsole([&] {
        ImgAsmWriter writer(options);
        written.opened = writer.Open(path);
        if (!written.opened) return;
        body(writer);
        written.closed = writer.Close();
    });
    EXPECT_TRUE(written.opened);
    EXPECT_TRUE(written.closed);
    written.file = unit::ReadWholeFile(path);
    return written;
}

// The data block alone, through the raw codec's include line where needed.
Written WriteBlock(const ImgOptions& options, const Bytes& bytes) {
    const CPelmoImgCompress codec(options);
    return WriteWith(options, [&](ImgAsmWriter& writer) {
        writer.WriteData(bytes.data(), static_cast<std::int32_t>(bytes.size()), codec);
    });
}

// One page as expected in the file: label, stub, bytes [from, from + n).
std::string Page(const std::string& label, const std::string& stub, const Bytes& bytes,
                 std::size_t from, std::size_t n) {
    return label + ":\n" + stub + ReferenceDb(bytes, from, n);
}

std::string Wrote(std::size_t n, const std::string& label) {
    return "Wrote " + std::to_string(n) + " bytes to '" + label + "'\n";
}

TEST(AsmWriter, ThreeRawBytesGiveTheWholeFile) {
    ImgOptions options;
    ImgRawData raw(options);
    raw.buffer = {0xFF, 0x00, 0x81};
    raw.length = 3;
    CPelmoImgCompress codec(options);
    ASSERT_TRUE(codec.Compress(raw));
    const Written written = WriteWith(options, [&](ImgAsmWriter& w) { codec.WriteOutput(w); });
    EXPECT_EQ(written.file, std::string(kHeader) +
                                "\t.equ IMG_SIZE $03\n"
                                "\t.equ IMG_PACKETS $00\n"
                                "\t.equ IMG_START $00\n"
                                "img_data:\n"
                                "\t.db $FF,$00,$81\n");
    EXPECT_EQ(written.console.out,
              "Symbol 'IMG_SIZE' set to 3\n"
              "Symbol 'IMG_PACKETS' set to 0\n"
              "Symbol 'IMG_START' set to 0\n"
              "Wrote 3 bytes to 'img_data'\n");
    EXPECT_EQ(written.console.err, "");
}

TEST(AsmWriter, SymbolValuesInHexadecimalOfAtLeastTwoDigits) {
    const Written written = WriteWith(ImgOptions{}, [](ImgAsmWriter& w) {
        w.WriteSymbol(SymbolKind::Size, 0);
        w.WriteSymbol(SymbolKind::Packets, 10);
        w.WriteSymbol(SymbolKind::Start, 255);
        w.WriteSymbol(SymbolKind::Flag, 1000);
        w.WriteSymbol(SymbolKind::Size, 65536);
        w.WriteSymbol(SymbolKind::Size, 2147483647);
    });
    EXPECT_EQ(written.file, std::string(kHeader) +
                                "\t.equ IMG_SIZE $00\n"
                                "\t.equ IMG_PACKETS $0A\n"
                                "\t.equ IMG_START $FF\n"
                                "\t.equ IMG_FLAG $3E8\n"
                                "\t.equ IMG_SIZE $10000\n"
                                "\t.equ IMG_SIZE $7FFFFFFF\n");
    EXPECT_EQ(written.console.out,
              "Symbol 'IMG_SIZE' set to 0\n"
              "Symbol 'IMG_PACKETS' set to 10\n"
              "Symbol 'IMG_START' set to 255\n"
              "Symbol 'IMG_FLAG' set to 1000\n"
              "Symbol 'IMG_SIZE' set to 65536\n"
              "Symbol 'IMG_SIZE' set to 2147483647\n");
}

TEST(AsmWriter, SetsymbChangesOnlyTheDirective) {
    ImgOptions options;
    options.setsymb = true;
    const Written written = WriteWith(options, [](ImgAsmWriter& w) {
        w.WriteSymbol(SymbolKind::Size, 3);
        w.WriteSymbol(SymbolKind::Flag, 254);
        const Bytes bytes{1, 2};
        w.WriteData(bytes.data(), 2, CPelmoImgCompress(ImgOptions{}));
    });
    EXPECT_EQ(written.file, std::string(kHeader) +
                                "\t.set IMG_SIZE $03\n"
                                "\t.set IMG_FLAG $FE\n"
                                "img_data:\n"
                                "\t.db $01,$02\n");
    EXPECT_EQ(written.console.out,
              "Symbol 'IMG_SIZE' set to 3\nSymbol 'IMG_FLAG' set to 254\n" + Wrote(2, "img_data"));
}

TEST(AsmWriter, StartIsRaisedBySixInImageModeOnly) {
    for (TableCodeMode mode :
         {TableCodeMode::None, TableCodeMode::Image, TableCodeMode::Data, TableCodeMode::Include}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const bool image = mode == TableCodeMode::Image;
        const Written written = WriteWith(Mode(mode), [](ImgAsmWriter& w) {
            w.WriteSymbol(SymbolKind::Size, 5);
            w.WriteSymbol(SymbolKind::Packets, 5);
            w.WriteSymbol(SymbolKind::Start, 5);
            w.WriteSymbol(SymbolKind::Flag, 5);
            w.WriteSymbol(SymbolKind::Start, 250);
        });
        EXPECT_EQ(written.file, std::string(kHeader) + "\t.equ IMG_SIZE $05\n" +
                                    "\t.equ IMG_PACKETS $05\n" +
                                    (image ? "\t.equ IMG_START $0B\n" : "\t.equ IMG_START $05\n") +
                                    "\t.equ IMG_FLAG $05\n" +
                                    (image ? "\t.equ IMG_START $100\n" : "\t.equ IMG_START $FA\n"));
        EXPECT_EQ(
            written.console.out,
            std::string("Symbol 'IMG_SIZE' set to 5\nSymbol 'IMG_PACKETS' set to 5\n") +
                (image ? "Symbol 'IMG_START' set to 11\n" : "Symbol 'IMG_START' set to 5\n") +
                "Symbol 'IMG_FLAG' set to 5\n" +
                (image ? "Symbol 'IMG_START' set to 256\n" : "Symbol 'IMG_START' set to 250\n"));
    }
}

TEST(AsmWriter, NamesComeFromTheOptions) {
    ImgOptions options;
    options.Name(SymbolName::vprefix) = "PIC";
    options.Name(SymbolName::vsize) = "_Len";
    options.Name(SymbolName::vpackets) = "_N";
    options.Name(SymbolName::vstart) = "_S";
    options.Name(SymbolName::vflag) = "_F";
    options.Name(SymbolName::lprefix) = "pic";
    options.Name(SymbolName::ldata) = "_bits";
    const Bytes bytes = Sequence(257);
    const Written written = WriteWith(options, [&](ImgAsmWriter& w) {
        w.WriteSymbol(SymbolKind::Size, 1);
        w.WriteSymbol(SymbolKind::Packets, 2);
        w.WriteSymbol(SymbolKind::Start, 3);
        w.WriteSymbol(SymbolKind::Flag, 4);
        w.WriteData(bytes.data(), 257, CPelmoImgCompress(options));
    });
    EXPECT_EQ(written.file, std::string(kHeader) + "\t.equ PIC_Len $01\n\t.equ PIC_N $02\n" +
                                "\t.equ PIC_S $03\n\t.equ PIC_F $04\n" +
                                Page("pic_bits_0", "", bytes, 0, 256) +
                                Page("pic_bits_1", "", bytes, 256, 1));
    EXPECT_EQ(written.console.out,
              "Symbol 'PIC_Len' set to 1\nSymbol 'PIC_N' set to 2\nSymbol 'PIC_S' set to 3\n"
              "Symbol 'PIC_F' set to 4\n" +
                  Wrote(256, "pic_bits_0") + Wrote(1, "pic_bits_1"));
}

TEST(AsmWriter, EmptyNameStringsAreWrittenEmpty) {
    ImgOptions options;
    for (std::string& name : options.names) name.clear();
    const Bytes bytes = Sequence(300);
    const Written written = WriteWith(options, [&](ImgAsmWriter& w) {
        w.WriteSymbol(SymbolKind::Size, 300);
        w.WriteSymbol(SymbolKind::Start, 0);
        w.WriteData(bytes.data(), 300, CPelmoImgCompress(options));
    });
    EXPECT_EQ(written.file, std::string(kHeader) + "\t.equ  $12C\n\t.equ  $00\n" +
                                Page("_0", "", bytes, 0, 256) + Page("_1", "", bytes, 256, 44));
    EXPECT_EQ(written.console.out,
              "Symbol '' set to 300\nSymbol '' set to 0\n" + Wrote(256, "_0") + Wrote(44, "_1"));

    options.Name(SymbolName::vsize) = "_SIZE";
    options.Name(SymbolName::ldata) = "data";
    const Written one = WriteWith(options, [&](ImgAsmWriter& w) {
        w.WriteSymbol(SymbolKind::Size, 2);
        w.WriteData(bytes.data(), 2, CPelmoImgCompress(options));
    });
    EXPECT_EQ(one.file,
              std::string(kHeader) + "\t.equ _SIZE $02\ndata:\n" + ReferenceDb(bytes, 0, 2));
}

struct PagingCase {
    TableCodeMode mode;
    std::size_t count;
    std::vector<std::size_t> pages;  // bytes per page; one page means the plain label
};

TEST(AsmWriter, PagesSplitAtTheModesPageSize) {
    const PagingCase cases[] = {
        {TableCodeMode::None, 1, {1}},
        {TableCodeMode::None, 255, {255}},
        {TableCodeMode::None, 256, {256}},
        {TableCodeMode::None, 257, {256, 1}},
        {TableCodeMode::None, 512, {256, 256}},
        {TableCodeMode::None, 513, {256, 256, 1}},
        {TableCodeMode::Image, 250, {250}},
        {TableCodeMode::Image, 251, {250, 1}},
        {TableCodeMode::Image, 300, {250, 50}},
        {TableCodeMode::Image, 256, {250, 6}},
        {TableCodeMode::Data, 252, {252}},
        {TableCodeMode::Data, 253, {252, 1}},
        {TableCodeMode::Data, 256, {252, 4}},
        {TableCodeMode::None,
         256 * 11 + 5,
         {256, 256, 256, 256, 256, 256, 256, 256, 256, 256, 256, 5}},
    };
    for (const PagingCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(static_cast<int>(c.mode)) + ", " +
                     std::to_string(c.count) + " bytes");
        const std::string stub = c.mode == TableCodeMode::Image  ? kImageStub
                                 : c.mode == TableCodeMode::Data ? kDataStub
                                                                 : "";
        const Bytes bytes = Sequence(c.count);
        std::string file = kHeader;
        std::string out;
        std::size_t from = 0;
        for (std::size_t p = 0; p < c.pages.size(); ++p) {
            const std::string label =
                c.pages.size() == 1 ? "img_data" : "img_data_" + std::to_string(p);
            file += Page(label, stub, bytes, from, c.pages[p]);
            out += Wrote(c.pages[p], label);
            from += c.pages[p];
        }
        ASSERT_EQ(from, c.count);
        const Written written = WriteBlock(Mode(c.mode), bytes);
        EXPECT_EQ(written.file, file);
        EXPECT_EQ(written.console.out, out);
        EXPECT_EQ(written.console.err, "");
    }
}

// Lines of `text` that begin with `prefix`.
std::size_t CountLines(const std::string& text, const std::string& prefix) {
    std::size_t n = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.compare(at, prefix.size(), prefix) == 0) ++n;
        if (text.find('\n', at) == std::string::npos) break;
    }
    return n;
}

TEST(AsmWriter, ImageModeExampleOf300Bytes) {
    const Written written = WriteBlock(Mode(TableCodeMode::Image), Sequence(300));
    const std::string& f = written.file;
    const auto first = f.find("img_data_0:\n");
    const auto second = f.find("img_data_1:\n");
    ASSERT_EQ(first, std::string(kHeader).size());
    ASSERT_NE(second, std::string::npos);
    const std::string page0 = f.substr(first, second - first);
    const std::string page1 = f.substr(second);
    // Each label is followed directly by the stub; 250 bytes take 15 full
    // lines and one of 10, the last 50 bytes 3 full lines and one of 2.
    EXPECT_EQ(page0.substr(0, 12 + std::string(kImageStub).size()),
              "img_data_0:\n" + std::string(kImageStub));
    EXPECT_EQ(page1.substr(0, 12 + std::string(kImageStub).size()),
              "img_data_1:\n" + std::string(kImageStub));
    EXPECT_EQ(CountLines(page0, "\t.db $"), 16u);
    EXPECT_EQ(CountLines(page1, "\t.db $"), 4u);
    EXPECT_EQ(std::count(page0.begin(), page0.end(), '$'), 250);
    EXPECT_EQ(std::count(page1.begin(), page1.end(), '$'), 50);
    EXPECT_EQ(written.console.out, Wrote(250, "img_data_0") + Wrote(50, "img_data_1"));
}

TEST(AsmWriter, DataModeHasNoZeroFillLine) {
    const Written written = WriteBlock(Mode(TableCodeMode::Data), Sequence(3));
    EXPECT_EQ(written.file, std::string(kHeader) + "img_data:\n\tadd\ta, ($+4) & 255\n" +
                                "\tmovp\ta, @a\n\tret\n\t.db $0B,$30,$55\n");
}

TEST(AsmWriter, EmptyBlockWritesItsLabelAndStubOnly) {
    const std::pair<TableCodeMode, std::string> modes[] = {
        {TableCodeMode::None, ""},
        {TableCodeMode::Image, kImageStub},
        {TableCodeMode::Data, kDataStub},
        {TableCodeMode::Include, kRawInclude},
    };
    for (const auto& [mode, after] : modes) {
        SCOPED_TRACE(static_cast<int>(mode));
        const Written written = WriteBlock(Mode(mode), {});
        EXPECT_EQ(written.file, std::string(kHeader) + "img_data:\n" + after);
        EXPECT_EQ(written.console.out, "Wrote 0 bytes to 'img_data'\n");
    }
}

TEST(AsmWriter, DbLinesHoldSixteenValues) {
    const Written sixteen = WriteBlock(ImgOptions{}, Sequence(16));
    EXPECT_EQ(sixteen.file, std::string(kHeader) +
                                "img_data:\n"
                                "\t.db $0B,$30,$55,$7A,$9F,$C4,$E9,$0E,$33,$58,$7D,$A2,$C7,$EC,"
                                "$11,$36\n");
    const Written seventeen = WriteBlock(ImgOptions{}, Sequence(17));
    EXPECT_EQ(seventeen.file, std::string(kHeader) +
                                  "img_data:\n"
                                  "\t.db $0B,$30,$55,$7A,$9F,$C4,$E9,$0E,$33,$58,$7D,$A2,$C7,$EC,"
                                  "$11,$36\n"
                                  "\t.db $5B\n");
    const Written extremes = WriteBlock(ImgOptions{}, {0x00, 0xFF, 0x0A, 0xA0, 0x09, 0x90});
    EXPECT_EQ(extremes.file, std::string(kHeader) + "img_data:\n\t.db $00,$FF,$0A,$A0,$09,$90\n");
}

TEST(AsmWriter, IncludeModeNeverPages) {
    const Bytes bytes = Sequence(1000);
    const Written written = WriteBlock(Mode(TableCodeMode::Include), bytes);
    EXPECT_EQ(written.file,
              std::string(kHeader) + "img_data:\n" + kRawInclude + ReferenceDb(bytes, 0, 1000));
    EXPECT_EQ(std::count(written.file.begin(), written.file.end(), '\n'), 2 + 2 + 63);
    EXPECT_EQ(written.console.out, Wrote(1000, "img_data"));
}

TEST(AsmWriter, IncludeLineComesFromTheGivenCodec) {
    const ImgOptions options = Mode(TableCodeMode::Include);
    const auto codec = MakeCodec(ImgCodecKind::Bit2xp, options);
    ASSERT_NE(codec, nullptr);
    const Bytes bytes{7};
    const Written written =
        WriteWith(options, [&](ImgAsmWriter& w) { w.WriteData(bytes.data(), 1, *codec); });
    EXPECT_EQ(written.file,
              std::string(kHeader) + "img_data:\n\t.include \"tablecode_bit2xp.asm\"\n\t.db $07\n");
    // Other modes never name the include file.
    const Written paged = WriteWith(Mode(TableCodeMode::Image),
                                    [&](ImgAsmWriter& w) { w.WriteData(bytes.data(), 1, *codec); });
    EXPECT_EQ(paged.file.find(".include"), std::string::npos);
}

TEST(AsmWriter, DbLinesMatchAPlainFormatterForRandomSizes) {
    constexpr std::uint32_t kSeed = 4242;
    std::mt19937 random(kSeed);
    for (int round = 0; round < 60; ++round) {
        const auto count = std::uniform_int_distribution<std::size_t>(0, 5000)(random);
        Bytes bytes(count);
        for (std::uint8_t& b : bytes) {
            b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random));
        }
        SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round) + ", " +
                     std::to_string(count) + " bytes");
        const Written written = WriteWith(ImgOptions{}, [&](ImgAsmWriter& w) {
            w.WriteDbLines(bytes.data(), static_cast<std::int32_t>(count));
        });
        ASSERT_EQ(written.file, kHeader + ReferenceDb(bytes, 0, count));
        EXPECT_EQ(written.console.out, "");
    }
}

TEST(AsmWriter, ManyBlocksInOneFileMatchAPlainFormatter) {
    // Several megabytes of text, so that every internal buffer fills many times.
    constexpr std::uint32_t kSeed = 77;
    std::mt19937 random(kSeed);
    std::vector<Bytes> blocks;
    for (std::size_t size : {300000, 1, 65536, 65537, 0, 16, 262143, 999999}) {
        Bytes bytes(size);
        for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
        blocks.push_back(std::move(bytes));
    }
    std::string expected = kHeader;
    for (const Bytes& b : blocks) expected += ReferenceDb(b, 0, b.size());
    const Written written = WriteWith(ImgOptions{}, [&](ImgAsmWriter& w) {
        for (const Bytes& b : blocks) w.WriteDbLines(b.data(), static_cast<std::int32_t>(b.size()));
    });
    ASSERT_EQ(written.file.size(), expected.size());
    EXPECT_TRUE(written.file == expected) << "seed " << kSeed;
}

TEST(AsmWriter, ManyPagesAndSymbolsInOneFile) {
    // Megabytes of small pieces: labels, stubs, symbol lines and short blocks.
    const Bytes bytes = Sequence(1500000);
    constexpr int kSymbols = 60000;
    std::string expected = kHeader;
    std::string out;
    for (int i = 0; i < kSymbols; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "\t.equ IMG_PACKETS $%02X\n", static_cast<unsigned>(i));
        expected += line;
        out += "Symbol 'IMG_PACKETS' set to " + std::to_string(i) + "\n";
    }
    for (std::size_t from = 0, page = 0; from < bytes.size(); from += 250, ++page) {
        const std::size_t n = std::min<std::size_t>(250, bytes.size() - from);
        const std::string label = "img_data_" + std::to_string(page);
        expected += Page(label, kImageStub, bytes, from, n);
        out += Wrote(n, label);
    }
    const Written written = WriteWith(Mode(TableCodeMode::Image), [&](ImgAsmWriter& w) {
        for (int i = 0; i < kSymbols; ++i) w.WriteSymbol(SymbolKind::Packets, i);
        w.WriteData(bytes.data(), static_cast<std::int32_t>(bytes.size()),
                    CPelmoImgCompress(ImgOptions{}));
    });
    ASSERT_EQ(written.file.size(), expected.size());
    EXPECT_TRUE(written.file == expected);
    EXPECT_TRUE(written.console.out == out);
}

TEST(AsmWriterFile, OpenTruncatesAndWritesTheHeader) {
    TempDir dir;
    const std::string path = dir.File("out.asm");
    ASSERT_TRUE(unit::WriteWholeFile(path, std::string(10000, 'x')));
    bool results[3] = {};
    const ConsoleText console = CaptureConsole([&] {
        ImgAsmWriter writer{ImgOptions{}};
        results[0] = writer.Open(path);
        results[1] = writer.Close();
        results[2] = writer.Close();  // a second close does nothing
    });
    EXPECT_TRUE(results[0] && results[1] && results[2]);
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "");
    EXPECT_EQ(unit::ReadWholeFile(path), kHeader);
}

TEST(AsmWriterFile, UnopenablePathsAreReported) {
    TempDir dir;
    for (const std::string& path :
         {dir.File("no-such-folder/out.asm"), dir.path(), std::string()}) {
        SCOPED_TRACE(path);
        bool opened = true;
        const ConsoleText console = CaptureConsole([&] {
            ImgAsmWriter writer{ImgOptions{}};
            opened = writer.Open(path);
        });
        EXPECT_FALSE(opened);
        EXPECT_EQ(console.out, "");
        EXPECT_EQ(console.err, "Error, couldn't open \"" + path + "\".\n");
    }
    EXPECT_FALSE(unit::FileExists(dir.File("no-such-folder")));
}

bool IsCharacterDevice(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

TEST(AsmWriterFile, WritesToAFullDeviceFailOnClose) {
    ASSERT_TRUE(IsCharacterDevice("/dev/full"));
    for (std::size_t count : {std::size_t{3}, std::size_t{3000000}}) {
        SCOPED_TRACE(count);
        const Bytes bytes = Sequence(count);
        bool opened = false;
        bool closed = true;
        const ConsoleText console = CaptureConsole([&] {
            ImgAsmWriter writer{ImgOptions{}};
            opened = writer.Open("/dev/full");
            if (!opened) return;
            writer.WriteSymbol(SymbolKind::Size, static_cast<std::int32_t>(count));
            writer.WriteData(bytes.data(), static_cast<std::int32_t>(count),
                             CPelmoImgCompress(ImgOptions{}));
            closed = writer.Close();
        });
        EXPECT_TRUE(opened);
        EXPECT_FALSE(closed);
        EXPECT_EQ(console.err, "Error, couldn't write \"/dev/full\".\n");
        // A device is never removed.
        EXPECT_TRUE(IsCharacterDevice("/dev/full"));
    }
}

// Lowers the largest file this process may write, so writes to regular files
// fail with an error instead of a signal; restores both on destruction.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

  private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
    bool ok_ = false;
};

// A write that fails, or a writer given up before Close, leaves an existing
// file byte for byte as it was; a closed writer puts its file in place.
TEST(AsmWriterFile, OnlyACompleteFileReplacesTheOldOne) {
    TempDir dir;
    const std::string path = dir.File("big.asm");
    ASSERT_TRUE(unit::WriteWholeFile(path, "old\n"));
    const Bytes bytes = Sequence(2000000);  // about 8 MB of text
    bool closed = true;
    ConsoleText console;
    {
        FileSizeLimit limit(100000);
        ASSERT_TRUE(limit.ok());
        console = CaptureConsole([&] {
            ImgAsmWriter writer{ImgOptions{}};
            if (!writer.Open(path)) return;
            writer.WriteData(bytes.data(), static_cast<std::int32_t>(bytes.size()),
                             CPelmoImgCompress(ImgOptions{}));
            closed = writer.Close();
        });
    }
    EXPECT_FALSE(closed);
    EXPECT_EQ(console.err, "Error, couldn't write \"" + path + "\".\n");
    EXPECT_EQ(unit::ReadWholeFile(path), "old\n");

    const ConsoleText givenUp = CaptureConsole([&] {
        auto writer = std::make_unique<ImgAsmWriter>(ImgOptions{});
        if (!writer->Open(path)) return;
        writer->WriteDbLines(bytes.data(), 100);
        writer.reset();
    });
    EXPECT_EQ(givenUp.err, "");
    EXPECT_EQ(unit::ReadWholeFile(path), "old\n");

    closed = false;
    const ConsoleText kept = CaptureConsole([&] {
        ImgAsmWriter writer{ImgOptions{}};
        if (!writer.Open(path)) return;
        writer.WriteDbLines(bytes.data(), 100);
        closed = writer.Close();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(kept.err, "");
    EXPECT_EQ(unit::ReadWholeFile(path), kHeader + ReferenceDb(bytes, 0, 100));
}

}  // namespace
}  // namespace pelmo
