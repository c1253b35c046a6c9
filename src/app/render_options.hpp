// The settings of one rendering, as the renderer's command line gives them.
#pragma once

#include <cstdio>

#include "app/options.hpp"
#include "render/render_settings.hpp"

namespace pelmo {

// The settings, and whether the command line was an answered request.
struct RenderCommandLine : RenderSettings {
    // --help or --version was answered: nothing to render, and no failure.
    bool answered = false;
};

// The renderer's usage text, on standard error unless told otherwise.
void PrintRenderUsage(std::FILE* stream = stderr);
// The usage text and the options beyond it (--help).
void PrintRenderHelp(std::FILE* stream);

// Fills `cmd` from the program's arguments (argv[0] is never read), with the
// converter's conventions: options matched ignoring case, anywhere among the
// two file names, the last of a repeated one winning, a value option given
// last ignored, an option file ("@FILE") read as its words. Returns true
// when a rendering can run; otherwise it has printed the banner, the reason
// and the usage text, or answered --help or --version (`answered`).
bool ParseRenderCommandLine(int argc, const char* const* argv, RenderCommandLine& cmd);

}  // namespace pelmo
