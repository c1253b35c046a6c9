// Runs one rendering from the command line to the finished picture file.
#pragma once

namespace pelmo {

// Returns the process's exit status: 0 when the picture file has been
// written, 1 on every failure (after one "Error, ..." line on standard error).
int RunRender(int argc, const char* const* argv);

}  // namespace pelmo
