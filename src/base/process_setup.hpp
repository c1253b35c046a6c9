// What a program of this kind must not take for granted from whoever
// started it.
#pragma once

#include <array>
#include <optional>

namespace pelmo {

// Descriptors 0, 1 and 2: true for each that was closed when the program
// started and holds /dev/null in its place since.
using ClosedStreams = std::array<bool, 3>;

// Makes sure that descriptors 0, 1 and 2 are open (onto /dev/null where they
// were closed), so that no file the program opens takes their place and
// receives its console lines, and gives SIGCHLD its default disposition, so
// that the program's child processes can be waited for (an inherited
// SIG_IGN would have the kernel reap them unseen). It ignores SIGXFSZ, so
// that past a file-size limit (ulimit -f) a write fails and is reported like
// any other write error instead of ending the process half way, and SIGPIPE,
// so that console text nobody reads any more (`| head -1`) is lost without
// ending the run: the run's status is its output file's. Call it first,
// before anything is opened. Which descriptors it filled, or nothing when a
// closed one cannot be filled.
std::optional<ClosedStreams> PrepareProcess();

}  // namespace pelmo
