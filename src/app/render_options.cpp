#include "app/render_options.hpp"

#include <string_view>

#include "app/option_files.hpp"
#include "base/ascii.hpp"
#include "base/errors.hpp"
#include "base/limits.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

namespace {

constexpr std::string_view kUsage =
    "Usage: pelmoimage-render [options] (source file) (picture file)\n"
    "Options:\n"
    "  -w WIDTH         Width of the picture in pixels (default: the width symbol of -dims)\n"
    "  -h HEIGHT        Height in pixels, a multiple of 8 (default: the height symbol,\n"
    "                   or as the data needs)\n"
    "  -c CODEC         raw, rle, srle, frle, bnp or bit2xp (default: the include line's)\n"
    "  -xorder          The bytes were laid out with -xorder\n"
    "  -unflip          The blocks were stored with -unflip\n"
    "  -dimplane FILE   A source of the dim plane of the same picture: three tones\n"
    "  -f               Replace the picture file if it exists (never a source)\n"
    "  -maxpixels N     Refuse pictures of more than N pixels (default 268435456)\n"
    "  -q               Print nothing on standard output\n"
    "Picture file: .png, .bmp, .tga, .tif or .tiff\n";

// What --help prints after the usage text: frames and previews.
constexpr std::string_view kMoreHelp =
    "More options:\n"
    "  -frames WxH      A source of frames: each W x H pixels (default: the -dims\n"
    "                   symbols); -w is then the width of the sheet (default: W)\n"
    "  -frame N         Only frame N of a source of frames, from 0\n"
    "  -plusmask        The source pairs sprite and mask bytes (-plusmask): the\n"
    "                   sprite over a checkerboard where the mask is off\n"
    "  -zoom N          Show each pixel as N x N pixels, 1 to 16 (default 1)\n"
    "  -over FILE       A source of the sprite's mask (pelmoimage -mask): the sprite\n"
    "                   over a checkerboard where the mask is off\n"
    "  -tileset         A source of tiles (pelmoimage -tiles): its tiles in number\n"
    "                   order as a sheet of frames, -w wide, instead of its map's picture\n"
    "  -text STRING     A line of text drawn with the font of a source that pelmoimage\n"
    "                   -font wrote: each character's glyph, then its blank columns;\n"
    "                   as high as the font, as wide as the glyphs' widths in all\n";

// The most -zoom gives: a pixel as 16 x 16.

// Like the converter's, -q given before the fault keeps the banner back.
bool Fail(const RenderCommandLine& cmd, std::string_view line) {
    return RefuseCommandLine(cmd.quiet, line, PrintRenderUsage);
}

bool FailQuoting(const RenderCommandLine& cmd, std::string_view reason, std::string_view what) {
    return Fail(cmd, QuotingLine(reason, what));
}

}  // namespace

void PrintRenderUsage(std::FILE* stream) {
    std::fwrite(kUsage.data(), 1, kUsage.size(), stream);
}

void PrintRenderHelp(std::FILE* stream) {
    PrintRenderUsage(stream);
    std::fwrite(kMoreHelp.data(), 1, kMoreHelp.size(), stream);
    std::fwrite(kOptionFileHelp.data(), 1, kOptionFileHelp.size(), stream);
}

namespace {

// A flag option; false for any other argument.
bool TakeFlag(std::string_view arg, RenderCommandLine& cmd) {
    bool* const flag = EqualsIgnoreCase(arg, "-xorder")     ? &cmd.layout.xorder
                       : EqualsIgnoreCase(arg, "-unflip")   ? &cmd.layout.unflip
                       : EqualsIgnoreCase(arg, "-f")        ? &cmd.force
                       : EqualsIgnoreCase(arg, "-q")        ? &cmd.quiet
                       : EqualsIgnoreCase(arg, "-plusmask") ? &cmd.plusmask
                       : EqualsIgnoreCase(arg, "-tileset")  ? &cmd.tileSet
                                                            : nullptr;
    if (flag != nullptr) *flag = true;
    return flag != nullptr;
}

bool TakesValue(std::string_view arg) {
    for (const std::string_view option : {"-w", "-h", "-c", "-dimplane", "-maxpixels", "-frames",
                                          "-frame", "-zoom", "-over", "-text"}) {
        if (EqualsIgnoreCase(arg, option)) return true;
    }
    return false;
}

// The value of option `arg`, one that TakesValue.
bool TakeValue(std::string_view arg, std::string_view value, RenderCommandLine& cmd) {
    if (EqualsIgnoreCase(arg, "-w")) {
        const auto width = DecimalNumber(value, 1);
        if (!width) return FailQuoting(cmd, "invalid width", value);
        cmd.width = *width;
    } else if (EqualsIgnoreCase(arg, "-h")) {
        const auto height = DecimalNumber(value, 8);
        if (!height || *height % 8 != 0) return FailQuoting(cmd, "invalid height", value);
        cmd.height = *height;
    } else if (EqualsIgnoreCase(arg, "-maxpixels")) {
        const auto limit = DecimalNumber(value, 1);
        if (!limit) return FailQuoting(cmd, "invalid pixel limit", value);
        cmd.maxPixels = static_cast<std::uint64_t>(*limit);
    } else if (EqualsIgnoreCase(arg, "-c")) {
        const CodecInfo* codec = FindCodec(value);
        if (codec == nullptr) return FailQuoting(cmd, "unknown compression format", value);
        cmd.codec = codec->kind;
    } else if (EqualsIgnoreCase(arg, "-frames")) {
        const std::optional<Size2D> size = SizeNumbers(value);
        if (!size || size->height % 8 != 0) return FailQuoting(cmd, "invalid frame size", value);
        cmd.frameWidth = size->width;
        cmd.frameHeight = size->height;
    } else if (EqualsIgnoreCase(arg, "-frame")) {
        const auto frame = DecimalNumber(value, 0);
        if (!frame) return FailQuoting(cmd, "invalid frame", value);
        cmd.frame = *frame;
    } else if (EqualsIgnoreCase(arg, "-zoom")) {
        const auto zoom = DecimalNumber(value, 1);
        if (!zoom || *zoom > kMostZoom) return FailQuoting(cmd, "invalid zoom", value);
        cmd.zoom = *zoom;
    } else if (EqualsIgnoreCase(arg, "-text")) {
        if (value.empty()) return FailQuoting(cmd, "invalid text", value);
        cmd.text = std::string(value);
    } else if (EqualsIgnoreCase(arg, "-over")) {
        cmd.overSourceFile = value;
    } else {
        cmd.dimSourceFile = value;
    }
    return true;
}

// -text draws a font's glyphs, as high as the font and as wide as they are:
// no frames, no other plane, no size given.
bool RefuseTextCombinations(const RenderCommandLine& cmd) {
    if (!cmd.text) return true;
    for (const auto& [set, name] : {std::pair{cmd.frameWidth != 0, "-frames"},
                                    {cmd.frame.has_value(), "-frame"},
                                    {cmd.plusmask, "-plusmask"},
                                    {!cmd.dimSourceFile.empty(), "-dimplane"},
                                    {!cmd.overSourceFile.empty(), "-over"},
                                    {cmd.width != 0, "-w"},
                                    {cmd.height != 0, "-h"}}) {
        if (set) {
            return Fail(cmd,
                        "Error, -text and " + std::string(name) + " cannot be given together.\n");
        }
    }
    return true;
}

}  // namespace

bool ParseRenderCommandLine(int argc, const char* const* argv, RenderCommandLine& cmd) {
    cmd = RenderCommandLine{};
    ArgumentList args(argc, argv);
    Status opened = args.Open();
    if (opened && args.AtEnd()) {
        PrintBanner();
        PrintRenderUsage();
        return false;
    }
    for (; opened && !args.AtEnd(); opened = args.Open()) {
        const std::string arg = args.Take();
        if (!arg.starts_with('-')) {
            std::string* target = cmd.sourceFile.empty()    ? &cmd.sourceFile
                                  : cmd.pictureFile.empty() ? &cmd.pictureFile
                                                            : nullptr;
            if (target == nullptr) return FailQuoting(cmd, "unexpected argument", arg);
            *target = arg;
            continue;
        }
        if (AnswerInfoRequest(arg, PrintRenderHelp)) {
            cmd.answered = true;
            return false;
        }
        if (TakeFlag(arg, cmd)) continue;
        if (!TakesValue(arg)) return FailQuoting(cmd, "unknown option", arg);
        opened = args.Open();
        if (!opened || args.AtEnd()) break;  // a value option given last is ignored
        if (!TakeValue(arg, args.Take(), cmd)) return false;
    }
    if (!opened) return Fail(cmd, "Error, " + opened.failure().message + "\n");
    if (cmd.sourceFile.empty()) return Fail(cmd, "Error, missing source filename.\n");
    if (cmd.pictureFile.empty()) return Fail(cmd, "Error, missing picture filename.\n");
    if (cmd.plusmask && !cmd.dimSourceFile.empty()) {
        return Fail(cmd, "Error, -plusmask and -dimplane cannot be given together.\n");
    }
    if (cmd.plusmask && !cmd.overSourceFile.empty()) {
        return Fail(cmd, "Error, -plusmask and -over cannot be given together.\n");
    }
    return RefuseTextCombinations(cmd);
}

}  // namespace pelmo
