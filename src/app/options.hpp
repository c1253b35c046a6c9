// The command line of the converter, and its console texts.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "base/img_options.hpp"

namespace pelmo {

struct LinkTarget;

// What the parser hands the driver: the options plus the values only the
// driver reads.
struct CommandLine {
    ImgOptions options;
    ImgCodecKind codec = ImgCodecKind::Raw;
    bool bestCodec = false;    // -c best: every codec, and the smallest output kept
    bool autoFrames = false;   // -frames auto: the frame size from the image file's name
    bool framesGiven = false;  // -frames, in any form (-font is refused with it)
    // -tiles [WxH]: the tile size (8 x 8 when no size follows); put in the
    // options' cut once the command line is whole. -tileset: the source whose
    // tiles come first.
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    std::string tileSetFile;
    // -font WxH, its cells' size, taken into the options' frame size once
    // the command line is read; and which of -first, -fontspace and
    // -spacewidth were given (each needs -font).
    std::uint32_t fontWidth = 0;
    std::uint32_t fontHeight = 0;
    std::string fontSetting;
    // -levels and -dither were given (-tones is refused with either).
    bool levelsGiven = false;
    bool ditherGiven = false;
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

// Refuses a command line: the banner on standard output (unless `quiet`),
// then `line` and `usage` on standard error. Always false.
bool RefuseCommandLine(bool quiet, std::string_view line, void (*usage)(std::FILE*));
// The error line that quotes `what`: `Error, <reason> "<what>"<end>`.
std::string QuotingLine(std::string_view reason, std::string_view what,
                        std::string_view end = "\n");

// The line that refuses to write the output over `target`, what its name
// resolves to, when that is a picture: named like one, or the input itself
// through whatever path, link or hard link. Empty when it is not. The parser
// asks it, and the output file again when it is opened and put in place.
std::string PictureRefusal(const CommandLine& cmd, const LinkTarget& target);

// Fills `cmd` from the program's arguments (argv[0] is never read), an
// option file ("@FILE") read as its words given in its place. Returns
// true when a conversion can run; otherwise it has printed the banner, the
// reason and the usage text, or answered --help or --version (`answered`).
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& cmd);

}  // namespace pelmo
