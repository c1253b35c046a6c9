#include "app/options.hpp"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/option_files.hpp"
#include "base/ascii.hpp"
#include "base/errors.hpp"
#include "base/limits.hpp"
#include "base/output_file.hpp"
#include "base/version.hpp"
#include "codec/codec_table.hpp"
#include "picture/picture_formats.hpp"

namespace pelmo {

namespace {

constexpr std::string_view kUsage[] = {
    "Usage: PelmoImage [options] (image file) (output file)\n",
    "Options:\n",
    "  -c raw           Raw data, no compression (default)\n",
    "  -c rle           RLE compression\n",
    "  -c srle          Kestrom's RLE compression\n",
    "  -c frle          Flag-RLE compression\n",
    "  -c bnp           Blinky Nibble Packer compression\n",
    "  -c bit2xp        Bit2-Xpressor compression\n",
    "  -tc none         No table code (default)\n",
    "  -tc image        Absolute, start at $x06 as 6\n",
    "  -tc data         Relative, start next 4 as 0\n",
    "  -tc include      Include file as table code\n",
    "  -dim             Export dim tone\n",
    "  -unflip          Un-flip Y blocks\n",
    "  -xorder          Order bytes by columns instead of rows\n",
    "  -strim           Trim the start\n",
    "  -etrim           Trim the end\n",
    "  -setsymb         Use .set instead of .equ to define symbols\n",
    "Options, symbols naming:\n",
    "  -vprefix IMG\n",
    "  -vsize _SIZE\n",
    "  -vpackets _PACKETS\n",
    "  -vstart _START\n",
    "  -vflag _FLAG\n",
    "  -lprefix img\n",
    "  -ldata _data\n",
};

struct TableCodeKeyword {
    TableCodeMode mode;
    std::string_view keyword;
};

// In the order the keywords are tested, which is the order of the modes.
constexpr TableCodeKeyword kTableCodeKeywords[] = {
    {TableCodeMode::None, "none"},
    {TableCodeMode::Image, "image"},
    {TableCodeMode::Data, "data"},
    {TableCodeMode::Include, "include"},
};
constexpr bool KeywordsInModeOrder() {
    for (std::size_t i = 0; i < std::size(kTableCodeKeywords); ++i) {
        if (static_cast<std::size_t>(kTableCodeKeywords[i].mode) != i) return false;
    }
    return true;
}
static_assert(KeywordsInModeOrder(), "table-code keywords must follow TableCodeMode");

struct FormatKeyword {
    OutputFormat format;
    std::string_view keyword;
};

constexpr FormatKeyword kFormatKeywords[] = {
    {OutputFormat::Asm, "asm"},
    {OutputFormat::C, "c"},
    {OutputFormat::Bin, "bin"},
};

enum class OptionKind {
    Flag,
    Format,
    Codec,
    TableCode,
    Name,
    PixelLimit,
    Frames,
    Dither,
    Levels,
    Planes,
    Tones,
    Tiles,
    TileSet,
    Font,
    FontNumber
};

struct DitherKeyword {
    DitherMethod method;
    std::string_view keyword;
};

constexpr DitherKeyword kDitherKeywords[] = {
    {DitherMethod::None, "none"},         {DitherMethod::FloydSteinberg, "fs"},
    {DitherMethod::Atkinson, "atkinson"}, {DitherMethod::Bayer4, "bayer4"},
    {DitherMethod::Bayer8, "bayer8"},
};

struct OptionRule {
    std::string_view name;  // without its dash
    OptionKind kind;
    bool ImgOptions::*flag;  // for Flag
    SymbolName symbol;       // for Name
};

// In the order an option name is tested.
constexpr OptionRule kOptions[] = {
    {"dim", OptionKind::Flag, &ImgOptions::dim, {}},
    {"xorder", OptionKind::Flag, &ImgOptions::xorder, {}},
    {"unflip", OptionKind::Flag, &ImgOptions::unflip, {}},
    {"strim", OptionKind::Flag, &ImgOptions::strim, {}},
    {"etrim", OptionKind::Flag, &ImgOptions::etrim, {}},
    {"setsymb", OptionKind::Flag, &ImgOptions::setsymb, {}},
    {"c", OptionKind::Codec, nullptr, {}},
    {"tc", OptionKind::TableCode, nullptr, {}},
    {"vprefix", OptionKind::Name, nullptr, SymbolName::vprefix},
    {"vsize", OptionKind::Name, nullptr, SymbolName::vsize},
    {"vpackets", OptionKind::Name, nullptr, SymbolName::vpackets},
    {"vstart", OptionKind::Name, nullptr, SymbolName::vstart},
    {"vflag", OptionKind::Name, nullptr, SymbolName::vflag},
    {"lprefix", OptionKind::Name, nullptr, SymbolName::lprefix},
    {"ldata", OptionKind::Name, nullptr, SymbolName::ldata},
    {"maxpixels", OptionKind::PixelLimit, nullptr, {}},
    {"alpha", OptionKind::Flag, &ImgOptions::alpha, {}},
    {"mask", OptionKind::Flag, &ImgOptions::mask, {}},
    {"pad", OptionKind::Flag, &ImgOptions::pad, {}},
    {"dims", OptionKind::Flag, &ImgOptions::dims, {}},
    {"q", OptionKind::Flag, &ImgOptions::quiet, {}},
    {"frames", OptionKind::Frames, nullptr, {}},
    {"plusmask", OptionKind::Flag, &ImgOptions::plusmask, {}},
    {"luma", OptionKind::Flag, &ImgOptions::luma, {}},
    {"levels", OptionKind::Levels, nullptr, {}},
    {"invert", OptionKind::Flag, &ImgOptions::invert, {}},
    {"dither", OptionKind::Dither, nullptr, {}},
    {"planes", OptionKind::Planes, nullptr, {}},
    {"interleave", OptionKind::Flag, &ImgOptions::interleave, {}},
    {"ftable", OptionKind::Flag, &ImgOptions::ftable, {}},
    {"tones", OptionKind::Tones, nullptr, {}},
    {"tiles", OptionKind::Tiles, nullptr, {}},
    {"tileset", OptionKind::TileSet, nullptr, {}},
    {"format", OptionKind::Format, nullptr, {}},
    {"font", OptionKind::Font, nullptr, {}},
    {"first", OptionKind::FontNumber, nullptr, {}},
    {"fontspace", OptionKind::FontNumber, nullptr, {}},
    {"spacewidth", OptionKind::FontNumber, nullptr, {}},
};

// The tiles of -tiles without a size.
constexpr std::uint32_t kDefaultTileSide = 8;

struct PlaneKeyword {
    PlaneKind kind;
    std::string_view keyword;
};

constexpr PlaneKeyword kPlaneKeywords[] = {
    {PlaneKind::Full, "full"},
    {PlaneKind::Dim, "dim"},
    {PlaneKind::Mask, "mask"},
};

// What --help prints after the usage text: the options beyond it.
constexpr std::string_view kMoreHelp =
    "More options:\n"
    "  -c best          Every codec, keeping the smallest output (the first on a tie)\n"
    "  -alpha           Pixels less than half opaque (alpha below 128) are off\n"
    "  -mask            Export the opacity plane (alpha 128 or more) instead of a tone\n"
    "  -pad             Pad the height with off rows to a multiple of 8\n"
    "  -dims            Define <vprefix>_WIDTH and <vprefix>_HEIGHT too\n"
    "  -q               Print nothing on standard output; errors still go to standard error\n"
    "  -maxpixels N     Refuse pictures of more than N pixels, 1 to 2147483647\n"
    "                   (default 268435456, 16384 x 16384), checked from the header\n"
    "  -frames WxH      Cut the picture into frames of W x H pixels, left to right, then\n"
    "                   top to bottom; each is trimmed and compressed on its own\n"
    "  -frames auto     The frame size from the name: hero_16x16.png has 16 x 16 frames\n"
    "  -frames all      Every frame of an animated GIF, page of a TIFF, image of an ICO\n"
    "                   (those as large as the first); -c best: one codec for every\n"
    "                   frame, the smallest in total\n"
    "  -plusmask        Each sprite byte (as -alpha) followed by its mask byte (as -mask)\n"
    "  -luma            Tones from the luminance (Rec. 709) instead of the red component\n"
    "  -levels A,B      Dim from A, full from B (default 128,192; 0 < A <= B <= 255)\n"
    "  -invert          Swap off and full after the tones are decided (dim stays dim)\n"
    "  -dither METHOD   Mix the three tones to show the shades between them: fs\n"
    "                   (Floyd-Steinberg), atkinson, bayer4, bayer8 or none (default)\n"
    "  -planes LIST     The planes full, dim and mask (comma-separated, in this order) in\n"
    "                   one run: IMG_FULL_SIZE, img_full_data, ...; tone planes are off\n"
    "                   where the picture is transparent when a mask is listed\n"
    "  -interleave      With -planes, their bytes side by side in one stream per frame\n"
    "  -ftable          After the frames, <lprefix>_frames: a .dw line per frame naming\n"
    "                   its data label (each plane's), and its size with a codec\n"

    "  -tones C0,C1,C2  Off, dim and full as colours (#rrggbb): each pixel takes the tone of\n"
    "                   the nearest; one warning counts the pixels that are none of them\n"
    "  -tiles [WxH]     Cut the picture into tiles of W x H pixels (8x8 when the next\n"
    "                   argument is no size): each different tile once, in the order\n"
    "                   first seen, in <lprefix>_tiles; their numbers cell by cell in\n"
    "                   <lprefix>_map (.db, or .dw past 256 tiles)\n"
    "  -tileset FILE    With -tiles, the tiles of a source written before first, each\n"
    "                   keeping its number; new tiles after them\n"
    "  -format asm      An assembler source (default)\n"
    "  -format c        A C header: the symbols as #defines, each label an array of bytes,\n"
    "                   the frame table an array of their addresses\n"
    "  -format bin      The bytes alone, of a single stream: no symbols, no labels\n"
    "  -font WxH        A font: cells of W x H pixels in reading order, one glyph each,\n"
    "                   kept from its first lit column to its last; writes IMG_FIRST,\n"
    "                   IMG_GLYPHS, IMG_HEIGHT, img_widths (.db), img_offsets (.dw, and\n"
    "                   the end) and img_glyphs, the glyphs' columns as one stream\n"
    "  -first N         The character code of the first cell, 0 to 255 (default 32)\n"
    "  -fontspace N     Blank columns after each glyph, in its width (default 1)\n"
    "  -spacewidth N    The width of a glyph with no lit pixel (default: half the\n"
    "                   cell's width, rounded down)\n";

const OptionRule* FindOption(std::string_view name) {
    for (const OptionRule& entry : kOptions) {
        if (EqualsIgnoreCase(name, entry.name)) return &entry;
    }
    return nullptr;
}

bool Fail(const CommandLine& cmd, std::string_view line) {
    return RefuseCommandLine(cmd.options.quiet, line, PrintUsage);
}

bool FailQuoting(const CommandLine& cmd, std::string_view reason, std::string_view what) {
    return Fail(cmd, QuotingLine(reason, what));
}

std::string OverwriteLine(const CommandLine& cmd) {
    return QuotingLine("output file", cmd.outputFile, " would overwrite a picture.\n");
}

bool FitsTextField(std::string_view text) {
    return text.size() < kTextFieldSize;
}

bool TooLong(const CommandLine& cmd, const char* arg) {
    return FailQuoting(cmd, "argument too long", arg);
}

}  // namespace

// A source never replaces a picture: not the input itself, nor any file
// named like a picture as its links finally name it (`pelmoimage a.png b.png`
// is a slip of the hand, not a wish).
std::string PictureRefusal(const CommandLine& cmd, const LinkTarget& target) {
    const bool picture =
        FindPictureExtension(ExtensionOf(target.path)) != nullptr || target.IsFile(cmd.imageFile);
    return picture ? OverwriteLine(cmd) : std::string();
}

void PrintBanner() {
    PrintVersion();
    std::fputc('\n', stdout);
}

void PrintVersion() {
    std::fwrite(kVersionText.data(), 1, kVersionText.size(), stdout);
    std::fputs(" by Orlavin\n", stdout);
}

void PrintUsage(std::FILE* stream) {
    for (std::string_view line : kUsage) std::fwrite(line.data(), 1, line.size(), stream);
}

void PrintHelp(std::FILE* stream) {
    PrintUsage(stream);
    std::fwrite(kMoreHelp.data(), 1, kMoreHelp.size(), stream);
    std::fwrite(kOptionFileHelp.data(), 1, kOptionFileHelp.size(), stream);
}

bool RefuseCommandLine(bool quiet, std::string_view line, void (*usage)(std::FILE*)) {
    if (!quiet) PrintBanner();
    PrintError(line);
    usage(stderr);
    return false;
}

std::string QuotingLine(std::string_view reason, std::string_view what, std::string_view end) {
    std::string line = "Error, ";
    line.append(reason).append(" ").append(Quoted(what)).append(end);
    return line;
}

bool AnswerInfoRequest(std::string_view arg, void (*usage)(std::FILE*)) {
    if (EqualsIgnoreCase(arg, "--help")) {
        PrintBanner();
        usage(stdout);
        return true;
    }
    if (EqualsIgnoreCase(arg, "--version")) {
        PrintVersion();
        return true;
    }
    return false;
}

namespace {

// A positional argument: the image file, then the output file; one more is
// refused.
bool TakePositional(const char* arg, CommandLine& cmd) {
    std::string* target = cmd.imageFile.empty()    ? &cmd.imageFile
                          : cmd.outputFile.empty() ? &cmd.outputFile
                                                   : nullptr;
    if (target == nullptr) return FailQuoting(cmd, "unexpected argument", arg);
    if (!FitsTextField(arg)) return TooLong(cmd, arg);
    *target = arg;
    return true;
}

// The entry of `table` whose keyword `value` is, in any letter case; null
// for none.
template <typename Entry, std::size_t N>
const Entry* FindKeyword(const Entry (&table)[N], std::string_view value) {
    for (const Entry& entry : table) {
        if (EqualsIgnoreCase(value, entry.keyword)) return &entry;
    }
    return nullptr;
}

// -c: a codec's keyword, or "best".
bool TakeCodec(const char* value, CommandLine& cmd) {
    cmd.bestCodec = EqualsIgnoreCase(value, "best");
    if (cmd.bestCodec) return true;
    const CodecInfo* codec = FindCodec(value);
    if (codec == nullptr) return FailQuoting(cmd, "unknown compression format", value);
    cmd.codec = codec->kind;
    return true;
}

// -frames: "WxH", "all" or "auto".
bool TakeFrames(const char* value, CommandLine& cmd) {
    const std::string_view text = value;
    const std::optional<Size2D> size = SizeNumbers(text);
    cmd.options.allFrames = EqualsIgnoreCase(text, "all");
    cmd.autoFrames = EqualsIgnoreCase(text, "auto");
    if (!size && !cmd.options.allFrames && !cmd.autoFrames) {
        return FailQuoting(cmd, "invalid frames", value);
    }
    cmd.options.frameWidth = size ? static_cast<std::uint32_t>(size->width) : 0;
    cmd.options.frameHeight = size ? static_cast<std::uint32_t>(size->height) : 0;
    cmd.framesGiven = true;
    return true;
}

// -font: "WxH", the cells' size.
bool TakeFont(const char* value, CommandLine& cmd) {
    const std::optional<Size2D> size = SizeNumbers(value);
    if (!size) return FailQuoting(cmd, "invalid font cell size", value);
    cmd.fontWidth = static_cast<std::uint32_t>(size->width);
    cmd.fontHeight = static_cast<std::uint32_t>(size->height);
    return true;
}

// -first, -fontspace and -spacewidth: a whole number from 0 to 255.
bool TakeFontNumber(const OptionRule& option, const char* value, CommandLine& cmd) {
    const auto number = DecimalNumber(value, 0);
    const bool first = option.name == "first";
    const bool space = option.name == "fontspace";
    if (!number || static_cast<std::uint32_t>(*number) > kLastCharacterCode) {
        return FailQuoting(cmd,
                           first   ? "invalid first character code"
                           : space ? "invalid font spacing"
                                   : "invalid space width",
                           value);
    }
    const auto n = static_cast<std::uint32_t>(*number);
    ImgOptions& options = cmd.options;
    if (first) {
        options.fontFirst = n;
    } else if (space) {
        options.fontSpace = n;
    } else {
        options.spaceWidth = n;
    }
    if (cmd.fontSetting.empty()) cmd.fontSetting = option.name;
    return true;
}

// -tiles [WxH]: the size `next` gives when it is one ("16x8"), else 8 x 8.
// True when it took `next`.
bool TakeTiles(const char* next, CommandLine& cmd) {
    const std::optional<Size2D> size = next != nullptr ? SizeNumbers(next) : std::nullopt;
    cmd.options.tiles = true;
    cmd.tileWidth = size ? static_cast<std::uint32_t>(size->width) : kDefaultTileSide;
    cmd.tileHeight = size ? static_cast<std::uint32_t>(size->height) : kDefaultTileSide;
    return size.has_value();
}

// -levels: "A,B", whole numbers with 0 < A <= B <= 255.
bool TakeLevels(const char* value, CommandLine& cmd) {
    const std::string_view text = value;
    const std::size_t comma = text.find(',');
    const auto dim = DecimalNumber(text.substr(0, comma), 1);
    const auto full =
        comma == std::string_view::npos ? std::nullopt : DecimalNumber(text.substr(comma + 1), 1);
    if (!dim || !full || *dim > *full || *full > 255) {
        return Fail(
            cmd, QuotingLine("invalid levels", value, ", expected A,B with 0 < A <= B <= 255\n"));
    }
    cmd.options.dimFrom = static_cast<std::uint8_t>(*dim);
    cmd.options.fullFrom = static_cast<std::uint8_t>(*full);
    cmd.levelsGiven = true;
    return true;
}

// -planes: any of "full", "dim" and "mask", comma-separated, each once.
bool TakePlanes(const char* value, CommandLine& cmd) {
    std::string_view rest = value;
    ImgOptions& options = cmd.options;
    options.planeCount = 0;
    while (true) {
        const std::size_t comma = rest.find(',');
        const PlaneKeyword* entry = FindKeyword(kPlaneKeywords, rest.substr(0, comma));
        const auto listed = options.planes.begin() + options.planeCount;
        if (entry == nullptr || std::find(options.planes.begin(), listed, entry->kind) != listed) {
            options.planeCount = 0;
            return FailQuoting(cmd, "invalid planes", value);
        }
        options.planes[options.planeCount++] = entry->kind;
        if (comma == std::string_view::npos) return true;
        rest.remove_prefix(comma + 1);
    }
}

// A colour of -tones: "#rrggbb" or "rrggbb", hexadecimal in either letter
// case, as 0xRRGGBB.
std::optional<std::uint32_t> HexColour(std::string_view text) {
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::uint32_t colour = 0;
    for (const char c : text) {
        const char lower = AsciiLower(c);
        const bool digit = c >= '0' && c <= '9';
        if (!digit && (lower < 'a' || lower > 'f')) return std::nullopt;
        colour = colour << 4 | static_cast<std::uint32_t>(digit ? c - '0' : lower - 'a' + 10);
    }
    return colour;
}

// -tones: "C0,C1,C2", the colours of off, dim and full.
bool TakeTones(const char* value, CommandLine& cmd) {
    std::string_view rest = value;
    for (std::size_t tone = 0; tone < 3; ++tone) {
        const std::size_t comma = rest.find(',');
        const auto colour = HexColour(rest.substr(0, comma));
        if (!colour || (comma == std::string_view::npos) != (tone == 2)) {
            return FailQuoting(cmd, "invalid tones", value);
        }
        cmd.options.toneColours[tone] = *colour;
        rest = rest.substr(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    cmd.options.colourTones = true;
    return true;
}

// The option given with -tones that decides tones in another way, or null.
const char* OtherToneRule(const CommandLine& cmd) {
    if (!cmd.options.colourTones) return nullptr;
    return cmd.options.luma  ? "-luma"
           : cmd.levelsGiven ? "-levels"
           : cmd.ditherGiven ? "-dither"
                             : nullptr;
}

// The value of an option that takes one.
bool TakeValue(const OptionRule& option, const char* value, CommandLine& cmd) {
    switch (option.kind) {
        case OptionKind::Codec:
            return TakeCodec(value, cmd);
        case OptionKind::TableCode: {
            const TableCodeKeyword* entry = FindKeyword(kTableCodeKeywords, value);
            if (entry == nullptr) return FailQuoting(cmd, "unknown table code", value);
            cmd.options.tc = entry->mode;
            return true;
        }
        case OptionKind::Name:
            if (!FitsTextField(value)) return TooLong(cmd, value);
            cmd.options.Name(option.symbol) = value;
            return true;
        case OptionKind::PixelLimit: {
            const auto limit = DecimalNumber(value, 1);
            if (!limit) return FailQuoting(cmd, "invalid pixel limit", value);
            cmd.options.maxPixels = static_cast<std::uint64_t>(*limit);
            return true;
        }
        case OptionKind::Frames:
            return TakeFrames(value, cmd);
        case OptionKind::Dither: {
            const DitherKeyword* entry = FindKeyword(kDitherKeywords, value);
            if (entry == nullptr) return FailQuoting(cmd, "unknown dither method", value);
            cmd.options.dither = entry->method;
            cmd.ditherGiven = true;
            return true;
        }
        case OptionKind::Levels:
            return TakeLevels(value, cmd);
        case OptionKind::Planes:
            return TakePlanes(value, cmd);
        case OptionKind::Tones:
            return TakeTones(value, cmd);
        case OptionKind::TileSet:
            if (!FitsTextField(value)) return TooLong(cmd, value);
            cmd.tileSetFile = value;
            return true;
        case OptionKind::Format: {
            const FormatKeyword* entry = FindKeyword(kFormatKeywords, value);
            if (entry == nullptr) return FailQuoting(cmd, "unknown output format", value);
            cmd.options.format = entry->format;
            return true;
        }
        case OptionKind::Font:
            return TakeFont(value, cmd);
        case OptionKind::FontNumber:
            return TakeFontNumber(option, value, cmd);
        case OptionKind::Flag:
        case OptionKind::Tiles:
            break;
    }
    return true;
}

// -frames auto: the frame size that ends the image file's name before its
// extension, after an underscore ("hero_16x16.png"). False, after the
// refusal, for a name without one.
bool TakeFramesFromName(CommandLine& cmd) {
    const std::string& name = cmd.imageFile;
    const std::size_t folder = name.rfind('/') + 1;  // 0 without one
    const std::size_t dot = name.rfind('.');
    const std::size_t end = dot != std::string::npos && dot >= folder ? dot : name.size();
    const std::string_view stem = std::string_view(name).substr(folder, end - folder);
    const std::size_t underscore = stem.rfind('_');
    const std::optional<Size2D> size = underscore == std::string_view::npos
                                           ? std::nullopt
                                           : SizeNumbers(stem.substr(underscore + 1));
    if (!size) {
        return FailQuoting(cmd, "-frames auto needs the frame size in the image file name, as in",
                           name.substr(0, end) + "_16x16" + name.substr(end));
    }
    cmd.options.frameWidth = static_cast<std::uint32_t>(size->width);
    cmd.options.frameHeight = static_cast<std::uint32_t>(size->height);
    return true;
}

// -planes names every plane itself, -interleave puts them side by side, and
// -ftable lists frames.
bool RefusePlaneCombinations(const CommandLine& cmd) {
    const ImgOptions& options = cmd.options;
    if (options.planeCount > 0) {
        for (const auto& [set, name] : {std::pair{options.dim, "-dim"},
                                        {options.mask, "-mask"},
                                        {options.plusmask, "-plusmask"}}) {
            if (set) {
                return Fail(cmd, "Error, -planes and " + std::string(name) +
                                     " cannot be given together.\n");
            }
        }
    } else if (options.interleave) {
        return Fail(cmd, "Error, -interleave needs -planes.\n");
    }
    if (options.ftable && !options.Frames() && !cmd.autoFrames) {
        return Fail(cmd, "Error, -ftable needs -frames.\n");
    }
    return true;
}

// -tiles cuts the picture as -frames would, so not with it; -tileset adds
// to the tiles of -tiles. The tile size becomes the options' cut.
bool TakeTileCut(CommandLine& cmd) {
    ImgOptions& options = cmd.options;
    if (!options.tiles) {
        return cmd.tileSetFile.empty() || Fail(cmd, "Error, -tileset needs -tiles.\n");
    }
    if (options.frameWidth != 0 || options.allFrames || cmd.autoFrames) {
        return Fail(cmd, "Error, -tiles and -frames cannot be given together.\n");
    }
    options.frameWidth = cmd.tileWidth;
    options.frameHeight = cmd.tileHeight;
    return true;
}

// The cut of the picture into tiles or frames (-frames auto's from the file
// name), whose height is a multiple of 8 unless -pad pads each cell.
bool TakeCut(CommandLine& cmd) {
    if (!TakeTileCut(cmd)) return false;
    if (cmd.autoFrames && !TakeFramesFromName(cmd)) return false;
    if (cmd.options.frameHeight % 8 != 0 && !cmd.options.pad) {
        const ImgOptions& options = cmd.options;
        const std::string cell = options.tiles ? "tile" : options.font ? "font" : "frame";
        return Fail(cmd, "Error, " + cell + " height " + std::to_string(options.frameHeight) +
                             " is not a multiple of 8; give -pad to pad each " +
                             (options.font ? "cell" : cell) + ".\n");
    }
    return true;
}

// A C header's names are the symbols' and the labels': each naming option
// letters, digits and underscores, and no prefix starting with a digit.
bool RefuseCNames(const CommandLine& cmd) {
    for (const SymbolName kind :
         {SymbolName::vprefix, SymbolName::vsize, SymbolName::vpackets, SymbolName::vstart,
          SymbolName::vflag, SymbolName::lprefix, SymbolName::ldata}) {
        const std::string& name = cmd.options.Name(kind);
        const auto inName = [](char c) { return IsAsciiAlnum(c) || c == '_'; };
        const bool prefix = kind == SymbolName::vprefix || kind == SymbolName::lprefix;
        const bool digitFirst = !name.empty() && IsAsciiDigit(name[0]);
        if (!std::all_of(name.begin(), name.end(), inName) || (prefix && digitFirst)) {
            return FailQuoting(cmd, "invalid C name", name);
        }
    }
    return true;
}

// What only an assembler source holds: the lookup stubs and the decoder's
// include line of -tc; and the bytes alone are those of one stream, not of
// frames or of planes each a stream of its own.
bool RefuseFormatCombinations(const CommandLine& cmd) {
    const ImgOptions& options = cmd.options;
    if (options.format == OutputFormat::Asm) return true;
    const std::string format =
        "-format " + std::string(options.format == OutputFormat::C ? "c" : "bin");
    if (options.tc != TableCodeMode::None) {
        const std::string mode(kTableCodeKeywords[static_cast<std::size_t>(options.tc)].keyword);
        return Fail(cmd, "Error, " + format + " and -tc " + mode + " cannot be given together.\n");
    }
    if (options.format == OutputFormat::C) return RefuseCNames(cmd);
    if (options.Frames() || cmd.autoFrames) {
        return Fail(cmd, "Error, " + format + " and -frames cannot be given together.\n");
    }
    for (const auto& [set, name] : {std::pair{options.tiles, "-tiles"}, {options.font, "-font"}}) {
        if (set) {
            return Fail(cmd, "Error, " + format + " and " + name + " cannot be given together.\n");
        }
    }
    if (options.planeCount > 1 && !options.interleave) {
        return Fail(cmd, "Error, " + format + " with more than one plane needs -interleave.\n");
    }
    return true;
}

// -font cuts the picture into cells itself, of one plane, and writes its
// own height symbol; -first, -fontspace and -spacewidth are its settings.
// The cells' size becomes the frame size that loading cuts by.
bool TakeFontSettings(CommandLine& cmd) {
    ImgOptions& options = cmd.options;
    if (cmd.fontWidth == 0) {
        if (cmd.fontSetting.empty()) return true;
        return Fail(cmd, "Error, -" + std::string(cmd.fontSetting) + " needs -font.\n");
    }
    for (const auto& [set, name] : {std::pair{cmd.framesGiven, "-frames"},
                                    {options.tiles, "-tiles"},
                                    {options.planeCount > 0, "-planes"},
                                    {options.plusmask, "-plusmask"},
                                    {options.interleave, "-interleave"},
                                    {options.ftable, "-ftable"},
                                    {options.dims, "-dims"}}) {
        if (set) {
            return Fail(cmd,
                        "Error, -font and " + std::string(name) + " cannot be given together.\n");
        }
    }
    if (cmd.fontWidth + options.fontSpace > kMostGlyphWidth) {
        return Fail(cmd, "Error, glyphs of " + std::to_string(cmd.fontWidth) +
                             " columns and -fontspace " + std::to_string(options.fontSpace) +
                             " would be wider than " + std::to_string(kMostGlyphWidth) +
                             " columns.\n");
    }
    options.font = true;
    options.frameWidth = cmd.fontWidth;
    options.frameHeight = cmd.fontHeight;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& cmd) {
    cmd = CommandLine{};
    ArgumentList args(argc, argv);
    Status opened = args.Open();
    // No argument (nor any word in the option files given): the usage alone.
    if (opened && args.AtEnd()) {
        PrintBanner();
        PrintUsage();
        return false;
    }
    for (; opened && !args.AtEnd(); opened = args.Open()) {
        const std::string arg = args.Take();
        if (arg[0] != '-') {
            if (!TakePositional(arg.c_str(), cmd)) return false;
            continue;
        }
        // The answer on standard output, and nothing to convert.
        if (AnswerInfoRequest(arg, PrintHelp)) {
            cmd.answered = true;
            return false;
        }
        const OptionRule* option = FindOption(arg.substr(1));
        if (option == nullptr) return FailQuoting(cmd, "unknown option", arg);
        if (option->kind == OptionKind::Flag) {
            cmd.options.*(option->flag) = true;
            continue;
        }
        if (option->kind == OptionKind::Tiles) {
            opened = args.Open();
            if (!opened) break;
            if (TakeTiles(args.AtEnd() ? nullptr : args.Next().c_str(), cmd)) args.Take();
            continue;
        }
        // An option that needs a value but comes last is dropped.
        opened = args.Open();
        if (!opened || args.AtEnd()) break;
        if (!TakeValue(*option, args.Take().c_str(), cmd)) return false;
    }
    if (!opened) return Fail(cmd, "Error, " + opened.failure().message + "\n");
    if (cmd.options.mask && cmd.options.dim) {
        return Fail(cmd, "Error, -mask and -dim cannot be given together.\n");
    }
    if (const char* other = OtherToneRule(cmd)) {
        return Fail(cmd,
                    "Error, -tones and " + std::string(other) + " cannot be given together.\n");
    }
    if (cmd.imageFile.empty()) return Fail(cmd, "Error, missing input image filename.\n");
    if (cmd.outputFile.empty()) return Fail(cmd, "Error, missing output filename.\n");
    // As typed, and as its links lead now (the output file asks again).
    if (FindPictureExtension(ExtensionOf(cmd.outputFile)) != nullptr) {
        return Fail(cmd, OverwriteLine(cmd));
    }
    const std::optional<LinkTarget> target = FollowLinks(cmd.outputFile);
    // Without a target the output cannot be opened either, which says so.
    const std::string refusal = target ? PictureRefusal(cmd, *target) : std::string();
    if (!refusal.empty()) return Fail(cmd, refusal);
    if (cmd.options.plusmask && cmd.options.mask) {
        return Fail(cmd, "Error, -plusmask and -mask cannot be given together.\n");
    }
    return TakeFontSettings(cmd) && RefusePlaneCombinations(cmd) && RefuseFormatCombinations(cmd) &&
           TakeCut(cmd);
}

}  // namespace pelmo
