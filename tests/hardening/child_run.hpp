// Runs the built converter (or renderer) as a child process under resource limits and
// collects everything it did: how it ended and what it printed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pelmo::hardening {

struct Limits {
    // Address space of the converter, like `ulimit -v`; 0 for none. Under
    // AddressSanitizer, which reserves terabytes of address space up front,
    // the same bound is put on single allocations instead.
    std::uint64_t addressSpace = 0;
    // Largest file the converter may write, like `ulimit -f`, in bytes; -1
    // for none. As in a shell, SIGXFSZ keeps its default action: the
    // converter must ignore it itself.
    std::int64_t fileSize = -1;
    // A signal sent to the converter `signalAfterMs` milliseconds after it
    // started; 0 for none.
    int signal = 0;
    int signalAfterMs = 0;
    // When set, standard output is a pipe of 4 KiB, and this is called with
    // all that was read from it after each read: the program, if it has more
    // to print, waits on the full pipe meanwhile. False closes the pipe (as
    // `| head -c 10` does).
    std::function<bool(const std::string& out)> onStdout;
    // A file opened for reading and writing as descriptor 3, like `3<>file`.
    std::string descriptor3;
    // Standard output sent to this file instead, like `> /dev/full`.
    std::string stdoutFile;
    // Descriptors closed before the program starts (0 to 2), as some
    // daemons and CI runners start programs.
    std::vector<int> closedDescriptors;
    // SIGCHLD ignored, as some daemons and scripts leave it.
    bool ignoreSigchld = false;
    // SIGXCPU as the program inherits it: ignored (`trap '' XCPU`) or blocked.
    enum class Xcpu { Default, Ignored, Blocked } xcpu = Xcpu::Default;
    // Run as the unprivileged user 65534 when started as root, so that
    // permission bits hold.
    bool unprivileged = false;
    int timeoutSeconds = 60;
};

struct Outcome {
    bool exited = false;  // ended by exit(), not by a signal or the timeout
    int status = -1;      // exit status when `exited`
    int signal = 0;       // the signal that ended it, if any
    bool timedOut = false;
    double cpuSeconds = 0;  // processor time of the program and the children it waited for
    std::string out;        // standard output
    std::string err;        // standard error

    // "status 1", "signal 11", "timed out" ...
    std::string Describe() const;
};

// Runs the converter, or the renderer, with `args` (after its own name).
Outcome RunConverter(const std::vector<std::string>& args, const Limits& limits = {});
Outcome RunRenderer(const std::vector<std::string>& args, const Limits& limits = {});
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const Limits& limits);

// True when the programs under test are built with AddressSanitizer: the
// sanitizer build's own, unless PELMO_PLAIN_PROGRAMS names the folder of a
// plain build to run instead.
bool ProgramsSanitized();

// A named pipe at `path`, and a process that writes `head` then `bytes` into
// it once a reader opens it (`bytes` over and over when `endless`), if
// `first`, run there first, says true; stopped when this goes.
class FifoWriter {
  public:
    FifoWriter(const std::string& path, const std::string& bytes, bool endless = false,
               const std::function<bool()>& first = {}, const std::string& head = {});
    ~FifoWriter();
    FifoWriter(const FifoWriter&) = delete;
    FifoWriter& operator=(const FifoWriter&) = delete;
    bool started() const { return writer_ > 0; }

  private:
    int writer_ = -1;
};

// True when the process runs as root, where permission bits do not bind.
bool RunningAsRoot();
// The user id that Limits::unprivileged switches to.
inline constexpr unsigned kUnprivilegedId = 65534;

}  // namespace pelmo::hardening
