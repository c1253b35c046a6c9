// The settings of one rendering, as the renderer's command line gives them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/options.hpp"

namespace pelmo {

struct RenderCommandLine {
    std::string sourceFile;
    std::string pictureFile;
    std::string dimSourceFile;          // -dimplane; empty for a picture of one plane
    std::int32_t width = 0;             // -w; 0 for the width symbol of a -dims source
    std::int32_t height = 0;            // -h; 0 for the fewest 8-row blocks that hold the data
    std::optional<ImgCodecKind> codec;  // -c; else each source's include line names it
    ImgOptions layout;                  // -xorder and -unflip
    bool force = false;                 // -f: an existing picture file may be replaced
    bool quiet = false;                 // -q: nothing on standard output
    std::uint64_t maxPixels = kDefaultPixelLimit;  // -maxpixels
    // --help or --version was answered: nothing to render, and no failure.
    bool answered = false;
};

// The renderer's usage text, on standard error unless told otherwise (--help).
void PrintRenderUsage(std::FILE* stream = stderr);

// Fills `cmd` from the program's arguments (argv[0] is never read), with the
// converter's conventions: options matched ignoring case, anywhere among the
// two file names, the last of a repeated one winning, a value option given
// last ignored. Returns true when a rendering can run; otherwise it has
// printed the banner, the reason and the usage text, or answered --help or
// --version (`answered`).
bool ParseRenderCommandLine(int argc, const char* const* argv, RenderCommandLine& cmd);

}  // namespace pelmo
