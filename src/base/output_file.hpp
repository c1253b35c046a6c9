// An output file that replaces its target only once it is complete.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/io.hpp"
#include "base/process_setup.hpp"

namespace pelmo {

// Where an output path leads once its symbolic links are followed.
struct LinkTarget {
    // The file that the links finally name, which need not exist; for a link
    // of /proc, the file behind the descriptor when it has a path, else empty.
    std::string path;
    // Reached through a link of /proc (/dev/stdout, /dev/fd/N, ...): the file
    // behind one of the process's descriptors, which is opened anew.
    bool throughDescriptor = false;
    // N when that link is one of this process's own descriptors
    // (/proc/self/fd/N, whatever name leads there), else -1.
    int descriptor = -1;
    bool exists = false;
    struct stat info {};  // when it exists

    // Written where it is rather than replaced: reached through a
    // descriptor, or not a regular file (a device, a FIFO, a folder).
    bool InPlace() const { return throughDescriptor || (exists && !S_ISREG(info.st_mode)); }
    // True when it exists and is the file at `other` (same device and inode),
    // through whatever path, link or hard link.
    bool IsFile(const std::string& other) const;
};

// Follows the symbolic links of `path`; empty, with errno set, when a link
// cannot be read or they loop.
std::optional<LinkTarget> FollowLinks(const std::string& path);

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
// - What LinkTarget::InPlace says (a device such as /dev/null, a FIFO, a
//   terminal, /dev/stdout) is opened and written in place, truncated as
//   fopen's "w" does, since it cannot be replaced.
// - What the name resolves to is checked (Settings) when it is opened and, for
//   a file that is replaced, again right before the rename: a link swapped in
//   meanwhile cannot send the new file anywhere the checks refuse.
//
// The new file is made without a name where the file system allows it, and
// given a hidden name beside the target only when it is complete, to be
// renamed over the target: so the file system writes its data before the
// rename takes effect, as it does for every editor's save. Elsewhere it gets
// the hidden name from the start, which a handler for SIGHUP, SIGINT, SIGQUIT,
// SIGPIPE and SIGTERM removes before the signal ends the process as it would
// have (the handlers that were there before are put back; a signal ignored,
// as both programs ignore SIGPIPE, stays ignored). SIGKILL between the naming
// and the rename leaves the hidden file ".pelmo-XXXXXXXXXX.tmp".
class OutputFile {
  public:
    struct Settings {
        // False: an existing file is never replaced (Open and Commit fail with
        // EEXIST), though what is written in place still is.
        bool replaceExisting = true;
        // False always uses a named temporary file (for tests of the file
        // systems that offer nothing else).
        bool allowAnonymous = true;
        // The standard descriptors that were closed when the program started:
        // an output reached through one of them (/dev/stdout, /dev/fd/1 ...)
        // is refused, as if it were closed still (EBADF), and never written
        // into the /dev/null that stands in for it.
        ClosedStreams closedStreams{};
        // What the output may not be, asked of what its name resolves to,
        // links followed, at Open and again in Commit: an empty string
        // accepts it, anything else is the line that refuses it (Refusal()).
        std::function<std::string(const LinkTarget&)> check;
    };

    OutputFile() : OutputFile(Settings{}) {}
    explicit OutputFile(const Settings& settings) : settings_(settings) {}
    ~OutputFile();  // without Commit: the new file is dropped, the target untouched
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares to write `path`. False, with errno set and nothing created,
    // when it cannot be written (no such folder, no permission, a folder...).
    bool Open(const std::string& path);
    bool Open(const std::string& path, const Settings& settings) {
        settings_ = settings;
        return Open(path);
    }
    bool IsOpen() const { return fd_ >= 0; }
    // The check's line when it refused the target at the last Open or Commit.
    const std::string& Refusal() const { return refusal_; }

    // Appends `size` bytes. False on a write error, after which nothing more
    // is written and Commit fails.
    bool Write(const void* data, std::size_t size);

    // Closes the file and puts it in place of the target. False on any
    // failure so far or now, or when the name no longer leads to the target
    // chosen at Open or the check refuses what it leads to; the target is
    // then as it was before Open.
    bool Commit();

  private:
    std::optional<LinkTarget> CheckedTarget();
    bool OpenInPlace(const LinkTarget& target);
    bool CreateNamed();
    bool TakeOver(const struct stat& existing, bool exists);
    bool NameTheNew();
    bool StillTheTarget();
    bool GiveUp();
    void Abandon();

    Settings settings_;
    int fd_ = -1;
    bool failed_ = false;
    bool inPlace_ = false;
    std::string path_;           // the name given
    Fd folder_;                  // the target's folder, held from Open to Commit
    std::string name_;           // the target's name in `folder_`, symbolic links followed
    std::string tempName_;       // the hidden name of the new file there, once it has one
    std::string refusal_;        // see Refusal()
    int removalSlot_ = -1;       // where a fatal signal finds `tempName_`
    std::uint64_t written_ = 0;  // bytes written so far
};

}  // namespace pelmo
