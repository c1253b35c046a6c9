// Fuzzes the assembler source writer with arbitrary bytes, names, symbol
// values and modes, then reads the file back with the renderer's source
// reader (ReadAsmSource), which checks the layout (header, symbols, labels,
// stubs or include line, page sizes): every symbol value, the mode, the
// include line's codec and every data byte must come back. The exact text is
// pinned by the golden cases.
//
// Input: byte 0 holds the table-code mode (bits 0-1), the .set flag (bit 2)
// and the codec whose include line is used (bits 3-7, mod 6); then four
// symbol values of 4 bytes (kept below 2^30, like every count of a real run;
// the first, the size, is replaced by the data's length, as a source must
// have it); then the seven names, each ended by a NUL byte (a line break in a
// name would break the source's lines, and a ";" would start a comment there
// for any assembler, so both are dropped); the rest is the data block.
// A short input leaves the later parts at their defaults.
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"
#include "asm/asm_reader.hpp"
#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "fuzz_console.hpp"

namespace {

using pelmo::TableCodeMode;

// The output file of this process, in a private folder removed at exit.
class Scratch {
  public:
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pelmo_fuzz_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            pelmo::fuzz::Fail("mkdtemp failed", __FILE__, __LINE__);
        dir_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string File() const { return dir_ + "/out.asm"; }

  private:
    std::string dir_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmo;
    static const Scratch scratch;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    auto take = [&in](std::size_t n) {
        const std::string_view part = in.substr(0, n);
        in.remove_prefix(part.size());
        return part;
    };

    ImgOptions options;
    const std::string_view head = take(1);
    const unsigned mode = head.empty() ? 0 : static_cast<std::uint8_t>(head[0]);
    options.tc = static_cast<TableCodeMode>(mode & 3);
    options.setsymb = (mode & 4) != 0;
    const auto kind = static_cast<ImgCodecKind>((mode >> 3) % kCodecCount);
    std::array<std::int32_t, 4> values{};
    for (std::int32_t& v : values) {
        std::uint32_t u = 0;
        for (const char c : take(4)) u = (u << 8) | static_cast<std::uint8_t>(c);
        v = static_cast<std::int32_t>(u & 0x3FFFFFFF);
    }
    for (std::string& name : options.names) {
        const std::size_t nul = in.find('\0');
        if (nul == std::string_view::npos) break;
        name = std::string(take(nul).substr(0, kTextFieldSize - 1));
        std::erase(name, '\n');
        std::erase(name, ';');
        take(1);
    }
    const std::vector<std::uint8_t> bytes(in.begin(), in.end());
    values[0] = static_cast<std::int32_t>(bytes.size());

    fuzz::ResetConsole();
    const std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(kind, options);
    {
        ImgAsmWriter writer(options);
        FUZZ_CHECK(writer.Open(scratch.File()), "cannot open " + scratch.File());
        for (int k = 0; k < 4; ++k) writer.WriteSymbol(static_cast<SymbolKind>(k), values[k]);
        writer.WriteData(bytes.data(), static_cast<std::int32_t>(bytes.size()), *codec);
        FUZZ_CHECK(writer.Close(), "Close failed on a regular file");
    }
    FUZZ_CHECK(fuzz::ConsoleErr().empty(), "the writer printed on standard error");

    const Expected<AsmSource> read = ReadAsmSource(ReadFile(scratch.File()));
    FUZZ_CHECK(read.ok(), "the source does not read back: line " +
                              std::to_string(read.failure().at) + ": " + read.failure().message);
    const AsmSource& source = *read;
    FUZZ_CHECK(source.size.value == static_cast<std::uint32_t>(values[0]) &&
                   source.packets.value == static_cast<std::uint32_t>(values[1]) &&
                   source.start.value == static_cast<std::uint32_t>(values[2]) && source.flag &&
                   source.flag->value == static_cast<std::uint32_t>(values[3]),
               "the symbols do not read back");
    FUZZ_CHECK(source.mode == options.tc, "the table-code mode does not read back");
    FUZZ_CHECK(source.includeCodec == (options.tc == TableCodeMode::Include
                                           ? std::optional<ImgCodecKind>(kind)
                                           : std::nullopt),
               "the include line does not name the codec");
    FUZZ_CHECK(source.stream == bytes, "the data lines do not read back as the input bytes");
    return 0;
}
