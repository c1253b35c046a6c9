// Fuzzes the assembler source writer with arbitrary bytes, names, symbol
// values and modes, then reads the file back: a small reader walks the text
// line by line, recovers every symbol value and every data byte from its
// hexadecimal digits, and checks the labels, stubs and page sizes on the way.
// The console lines are checked against the same walk.
//
// Input: byte 0 holds the table-code mode (bits 0-1), the .set flag (bit 2)
// and the codec whose include line is used (bits 3-7, mod 6); then four
// symbol values of 4 bytes (kept below 2^30, like every count of a real run);
// then the seven names, each ended by a NUL byte; the rest is the data block.
// A short input leaves the later parts at their defaults.
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"
#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "fuzz_console.hpp"

namespace {

using pelmo::TableCodeMode;

constexpr std::string_view kIncludeFiles[] = {"tablecode_raw.asm",  "tablecode_rle.asm",
                                              "tablecode_srle.asm", "tablecode_frle.asm",
                                              "tablecode_bnp.asm",  "tablecode_bit2xp.asm"};

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

// Consumes the produced text from the front; a mismatch is a finding.
class Reader {
  public:
    explicit Reader(std::string text) : text_(std::move(text)) {}

    void Expect(std::string_view literal, const char* what) {
        FUZZ_CHECK(std::string_view(text_).substr(pos_).starts_with(literal),
                   std::string("expected ") + what + " [" + std::string(literal) + "] at offset " +
                       std::to_string(pos_) + ", found [" + text_.substr(pos_, 80) + "]");
        pos_ += literal.size();
    }

    // "$" and upper-case hexadecimal digits, at least two, no needless leading zero.
    std::uint32_t Hex(std::size_t maxDigits) {
        Expect("$", "a hexadecimal value");
        std::size_t digits = 0;
        std::uint64_t value = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0) break;
            value = value * 16 + static_cast<unsigned>(d);
            ++digits;
            ++pos_;
        }
        FUZZ_CHECK(digits >= 2 && digits <= maxDigits,
                   "a value with " + std::to_string(digits) + " digits");
        FUZZ_CHECK(digits == 2 || text_[pos_ - digits] != '0', "a value with a leading zero");
        return static_cast<std::uint32_t>(value);
    }

    bool AtEnd() const { return pos_ == text_.size(); }

  private:
    std::string text_;
    std::size_t pos_ = 0;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads `count` bytes of .db lines, sixteen to a line.
void ReadDbLines(Reader& r, std::size_t count, std::vector<std::uint8_t>& bytes) {
    while (count > 0) {
        const std::size_t n = count < 16 ? count : 16;
        r.Expect("\t.db ", "a data line");
        for (std::size_t i = 0; i < n; ++i) {
            if (i > 0) r.Expect(",", "a comma");
            bytes.push_back(static_cast<std::uint8_t>(r.Hex(2)));
        }
        r.Expect("\n", "the end of a data line");
        count -= n;
    }
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
        take(1);
    }
    const std::vector<std::uint8_t> bytes(in.begin(), in.end());

    fuzz::ResetConsole();
    const std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(kind, options);
    {
        ImgAsmWriter writer(options);
        FUZZ_CHECK(writer.Open(scratch.File()), "cannot open " + scratch.File());
        for (int k = 0; k < 4; ++k) writer.WriteSymbol(static_cast<SymbolKind>(k), values[k]);
        writer.WriteData(bytes.data(), static_cast<std::int32_t>(bytes.size()), *codec);
        FUZZ_CHECK(writer.Close(), "Close failed on a regular file");
    }
    const std::string out = fuzz::ConsoleOut();
    FUZZ_CHECK(fuzz::ConsoleErr().empty(), "the writer printed on standard error");

    Reader r(ReadFile(scratch.File()));
    std::string console;
    r.Expect("\t; Created by PelmoImage v1.4 (Mar 2, 2013)\n\n", "the header");
    const std::string& prefix = options.Name(SymbolName::vprefix);
    const SymbolName suffixes[] = {SymbolName::vsize, SymbolName::vpackets, SymbolName::vstart,
                                   SymbolName::vflag};
    for (int k = 0; k < 4; ++k) {
        const std::int64_t want =
            values[k] + (k == 2 && options.tc == TableCodeMode::Image ? 6 : 0);
        r.Expect(options.setsymb ? "\t.set " : "\t.equ ", "a symbol definition");
        r.Expect(prefix, "the symbol prefix");
        r.Expect(options.Name(suffixes[k]), "the symbol suffix");
        r.Expect(" ", "a space");
        FUZZ_CHECK(r.Hex(8) == want, "symbol " + std::to_string(k) + " does not read back");
        r.Expect("\n", "the end of a symbol line");
        console += "Symbol '" + prefix + options.Name(suffixes[k]) + "' set to " +
                   std::to_string(want) + "\n";
    }

    const std::string base = options.Name(SymbolName::lprefix) + options.Name(SymbolName::ldata);
    std::vector<std::uint8_t> back;
    if (options.tc == TableCodeMode::Include) {
        r.Expect(base + ":\n", "the data label");
        r.Expect("\t.include \"" + std::string(kIncludeFiles[static_cast<int>(kind)]) + "\"\n",
                 "the include line");
        ReadDbLines(r, bytes.size(), back);
        console += "Wrote " + std::to_string(bytes.size()) + " bytes to '" + base + "'\n";
    } else {
        const std::size_t page = options.tc == TableCodeMode::Image  ? 250
                                 : options.tc == TableCodeMode::Data ? 252
                                                                     : 256;
        const std::string_view stub =
            options.tc == TableCodeMode::Image  ? "\tmovp\ta, @a\n\tret\n\t.db 0,0,0,0\n"
            : options.tc == TableCodeMode::Data ? "\tadd\ta, ($+4) & 255\n\tmovp\ta, @a\n\tret\n"
                                                : "";
        const bool paged = bytes.size() > page;
        std::size_t left = bytes.size();
        for (std::size_t p = 0; p == 0 || left > 0; ++p) {
            const std::string label = paged ? base + "_" + std::to_string(p) : base;
            const std::size_t n = left < page ? left : page;
            r.Expect(label + ":\n", "a page label");
            r.Expect(stub, "the page stub");
            ReadDbLines(r, n, back);
            console += "Wrote " + std::to_string(n) + " bytes to '" + label + "'\n";
            left -= n;
        }
    }
    FUZZ_CHECK(r.AtEnd(), "text after the last data line");
    FUZZ_CHECK(back == bytes, "the data lines do not read back as the input bytes");
    FUZZ_CHECK(out == console, "console lines differ: [" + out + "], expected [" + console + "]");
    return 0;
}
