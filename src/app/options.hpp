// The settings of one conversion, as the command line gives them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/limits.hpp"

namespace pelmo {

// Values selected with -c; the keyword, class and include file of each live
// in the codec table (codec/codec_table.hpp).
enum class ImgCodecKind : std::int32_t {
    Raw = 0,
    Rle = 1,
    Srle = 2,
    Frle = 3,
    Bnp = 4,
    Bit2xp = 5
};

// Values selected with -tc.
enum class TableCodeMode : std::int32_t { None = 0, Image = 1, Data = 2, Include = 3 };

// The seven naming strings, addressed by index in this order.
enum class SymbolName : std::size_t {
    vprefix = 0,
    vsize,
    vpackets,
    vstart,
    vflag,
    lprefix,
    ldata,
};
inline constexpr std::size_t kSymbolNameCount = 7;

// A name or value must fit a 512-byte text field with its terminating NUL.
inline constexpr std::size_t kTextFieldSize = 512;

// Every conversion option. Each stage that needs options keeps its own copy.
struct ImgOptions {
    bool dim = false;      // -dim: pack the dim plane instead of the full plane
    bool unflip = false;   // -unflip: store 8-row blocks top first
    bool xorder = false;   // -xorder: lay bytes out block by block
    bool strim = false;    // -strim: trim leading blank bytes into the start count
    bool etrim = false;    // -etrim: trim trailing blank bytes
    bool setsymb = false;  // -setsymb: ".set" instead of ".equ"
    TableCodeMode tc = TableCodeMode::None;  // -tc
    // -vprefix -vsize -vpackets -vstart -vflag -lprefix -ldata, in SymbolName order.
    std::array<std::string, kSymbolNameCount> names{"IMG",   "_SIZE", "_PACKETS", "_START",
                                                    "_FLAG", "img",   "_data"};
    std::uint64_t maxPixels = kDefaultPixelLimit;  // -maxpixels: larger pictures are refused

    const std::string& Name(SymbolName n) const { return names[static_cast<std::size_t>(n)]; }
    std::string& Name(SymbolName n) { return names[static_cast<std::size_t>(n)]; }
};

// What the parser hands the driver: the options plus the values only the
// driver reads.
struct CommandLine {
    ImgOptions options;
    ImgCodecKind codec = ImgCodecKind::Raw;
    std::string imageFile;
    std::string outputFile;
    // --help or --version was answered: nothing to convert, and no failure.
    bool answered = false;
};

// The version line ("PelmoImage v1.4 ... by ...") and an empty line, on
// standard output.
void PrintBanner();
// The version line alone, on standard output (--version).
void PrintVersion();
// The 26-line usage text, on standard error unless told otherwise.
void PrintUsage(std::FILE* stream = stderr);
// The usage text and the options beyond it (--help).
void PrintHelp(std::FILE* stream);

// Answers --help (the banner and `usage` on standard output) or --version (the
// version line), as GNU tools do; false, printing nothing, for any other
// argument.
bool AnswerInfoRequest(std::string_view arg, void (*usage)(std::FILE*));

// Fills `cmd` from the program's arguments (argv[0] is never read). Returns
// true when a conversion can run; otherwise it has printed the banner, the
// reason and the usage text, or answered --help or --version (`answered`).
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& cmd);

}  // namespace pelmo
