#include "app/render_driver.hpp"

#include <cstdio>
#include <string>

#include "app/render_options.hpp"
#include "base/errors.hpp"
#include "render/render_picture.hpp"

namespace pelmo {

int RunRender(int argc, const char* const* argv, const ClosedStreams& closed) {
    RenderCommandLine cmd;
    if (!ParseRenderCommandLine(argc, argv, cmd)) {
        if (cmd.answered) return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        return 1;
    }
    if (!cmd.quiet) PrintBanner();
    RenderProgress progress;
    if (!cmd.quiet) progress = [](const std::string& line) { std::fputs(line.c_str(), stdout); };
    const Expected<Rendered> rendered = RenderPicture(cmd, closed, progress);
    if (!rendered) {
        PrintError("Error, " + rendered.failure().message + ".\n");
        return 1;
    }
    if (!rendered->warning.empty()) PrintError("Warning, " + rendered->warning + ".\n");
    if (!cmd.quiet) std::fputs("Operation completed.\n", stdout);
    return 0;
}

}  // namespace pelmo
