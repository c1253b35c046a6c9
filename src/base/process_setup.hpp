// What a program of this kind must not take for granted from whoever
// started it.
#pragma once

namespace pelmo {

// Makes sure that descriptors 0, 1 and 2 are open (onto /dev/null where they
// were closed), so that no file the program opens takes their place and
// receives its console lines, and gives SIGCHLD its default disposition, so
// that the program's child processes can be waited for (an inherited
// SIG_IGN would have the kernel reap them unseen), and ignores SIGXFSZ, so
// that past a file-size limit (ulimit -f) a write fails and is reported like
// any other write error instead of ending the process half way. Call it first, before
// anything is opened. False when a closed descriptor cannot be filled.
bool PrepareProcess();

}  // namespace pelmo
