// Runs one conversion from the command line to the finished output file.
#pragma once

namespace pelmo {

// Returns the process's exit status: 0 when the output file has been written
// and closed, 1 on every failure (each stage has printed its own reason).
int RunConversion(int argc, const char* const* argv);

}  // namespace pelmo
