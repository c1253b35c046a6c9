// The source writer's text is pinned by the golden cases (tests/golden), and
// its failures by the hardening cases. What neither reaches: sources of
// megabytes, whose text passes the writer's line chunks and the stream's
// 1 MiB buffer many times, thousands of page labels and stubs, and symbol
// values of up to eight digits; and a C header of as many. Each is read back
// by the renderer's source reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "asm/asm_reader.hpp"
#include "asm/asm_writer.hpp"
#include "codec/compress.hpp"
#include "support/unit_console.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo {
namespace {

struct LargeCase {
    TableCodeMode mode;
    OutputFormat format;
    std::size_t count;
    std::int32_t packets;
    std::int32_t start;
};

TEST(AsmWriter, LargeSourcesReadBack) {
    constexpr std::uint32_t kSeed = 77;
    std::mt19937 random(kSeed);
    const LargeCase cases[] = {
        {TableCodeMode::Include, OutputFormat::Asm, 2500001, 0x7FFFFFFF, 0x10000},  // 10 MB of text
        {TableCodeMode::Image, OutputFormat::Asm, 1500000, 0x1000, 0x7FFFFFF0},     // 6000 pages
        {TableCodeMode::None, OutputFormat::Asm, 65537, 1, 0},
        {TableCodeMode::Data, OutputFormat::Asm, 262143, 0, 255},
        {TableCodeMode::None, OutputFormat::C, 2000001, 0x10000, 0x7FFFFFF0},  // a C header
    };
    for (const LargeCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(static_cast<int>(c.mode)) + ", format " +
                     std::to_string(static_cast<int>(c.format)) + ", " + std::to_string(c.count) +
                     " bytes, seed " + std::to_string(kSeed));
        std::vector<std::uint8_t> bytes(c.count);
        for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
        ImgOptions options;
        options.tc = c.mode;
        options.format = c.format;
        const unit::TempDir dir;
        const std::string path = dir.File("out.asm");
        bool written = false;
        const unit::ConsoleText console = unit::CaptureConsole([&] {
            ImgAsmWriter writer(options);
            if (!writer.Open(path)) return;
            writer.WriteSymbol(SymbolKind::Size, static_cast<std::int32_t>(c.count));
            writer.WriteSymbol(SymbolKind::Packets, c.packets);
            writer.WriteSymbol(SymbolKind::Start, c.start);
            writer.WriteData(bytes.data(), static_cast<std::int32_t>(c.count),
                             CPelmoImgCompress(options));
            written = writer.Close();
        });
        ASSERT_TRUE(written) << console.err;
        EXPECT_EQ(console.err, "");

        const Expected<AsmSource> source = ReadAsmSource(unit::ReadWholeFile(path));
        ASSERT_TRUE(source.ok()) << "line " << source.failure().at << ": "
                                 << source.failure().message;
        EXPECT_EQ(source->mode, c.mode);
        EXPECT_EQ(source->size.value, c.count);
        EXPECT_EQ(source->packets.value, static_cast<std::uint32_t>(c.packets));
        EXPECT_EQ(source->start.value, static_cast<std::uint32_t>(c.start));
        EXPECT_TRUE(source->stream == bytes);
    }
}

}  // namespace
}  // namespace pelmo
