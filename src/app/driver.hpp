// Runs one conversion from the command line to the finished output file.
#pragma once

#include "base/process_setup.hpp"

namespace pelmo {

// Returns the process's exit status: 0 when the output file has been written
// and closed, 1 on every failure (each stage has printed its own reason).
// Progress text that cannot be written changes nothing. `closed`: the
// standard descriptors closed at the start, never taken as the output.
int RunConversion(int argc, const char* const* argv, const ClosedStreams& closed = {});

}  // namespace pelmo
