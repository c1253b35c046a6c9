// Runs one rendering from the command line to the finished picture file.
#pragma once

#include "base/process_setup.hpp"

namespace pelmo {

// Returns the process's exit status: 0 when the picture file has been
// written, 1 on every failure (after one "Error, ..." line on standard error).
// `closed`: the standard descriptors closed at the start, never taken as the
// picture file.
int RunRender(int argc, const char* const* argv, const ClosedStreams& closed = {});

}  // namespace pelmo
