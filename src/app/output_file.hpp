// An output file that replaces its target only once it is complete.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace pelmo {

// Writes a new file beside the target and puts it in the target's place only
// when every write and the close succeeded: until then, and after any failure
// or a fatal signal, an existing target stays byte for byte as it was, and no
// other file is left in its folder.
//
// - A symbolic link is followed to the file it finally names, which is the
//   one replaced; the link stays a link.
// - A replaced file keeps its permission bits, and its owner and group where
//   the process may set them; a new file gets 0666 less the umask.
// - A file with several hard links: the name given gets the new file, the
//   other names keep the old contents.
// - Anything that is not a regular file (a device such as /dev/null, a FIFO,
//   a terminal) is written in place, since it cannot be replaced.
//
// The new file is made without a name where the file system allows it, so a
// process killed by any signal leaves nothing behind; elsewhere it gets a
// hidden name that a handler for SIGHUP, SIGINT, SIGPIPE and SIGTERM removes
// before the signal ends the process as usual.
class OutputFile {
  public:
    // `allowAnonymous` false always uses a named temporary file (for tests of
    // the file systems that offer nothing else).
    explicit OutputFile(bool allowAnonymous = true) : allowAnonymous_(allowAnonymous) {}
    ~OutputFile();  // without Commit: the new file is dropped, the target untouched
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares to write `path`. False, with errno set and nothing created,
    // when it cannot be written (no such folder, no permission, a folder...).
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }

    // Appends `size` bytes. False on a write error, after which nothing more
    // is written and Commit fails.
    bool Write(const void* data, std::size_t size);

    // Closes the file and puts it in place of the target. False on any
    // failure so far or now; the target is then as it was before Open.
    bool Commit();

  private:
    void Abandon();

    bool allowAnonymous_;
    int fd_ = -1;
    bool failed_ = false;
    bool inPlace_ = false;  // not a regular file: written where it is
    std::string target_;    // the file replaced, symbolic links followed
    std::string folder_;    // the target's folder
    std::string tempName_;  // the named temporary file, if one was needed
};

}  // namespace pelmo
