#include "child_run.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>
#include <utility>

#if !defined(PELMO_EXECUTABLE) || !defined(PELMO_RENDERER)
#error "PELMO_EXECUTABLE and PELMO_RENDERER name the converter and the renderer under test"
#endif

extern char** environ;

namespace pelmo::hardening {

namespace {

// The plain build's folder, when its programs are the ones under test.
const char* PlainPrograms() {
    static const char* const folder = std::getenv("PELMO_PLAIN_PROGRAMS");
    return folder;
}

// `built` of this build, or the program of that name in the plain build.
std::string ProgramPath(const std::string& built) {
    const char* plain = PlainPrograms();
    if (plain == nullptr) return built;
    return std::string(plain) + built.substr(built.rfind('/'));
}

// One pipe that collects an output stream of the child. Pipes, unlike files,
// are not bound by the file-size limit that some cases put on the child.
class Pipe {
  public:
    Pipe() {
        if (::pipe2(ends_, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    }
    ~Pipe() {
        CloseWriteEnd();
        CloseReadEnd();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return ends_[0]; }
    int writeEnd() const { return ends_[1]; }
    void CloseWriteEnd() {
        if (ends_[1] >= 0) ::close(ends_[1]);
        ends_[1] = -1;
    }
    void CloseReadEnd() {
        if (ends_[0] >= 0) ::close(ends_[0]);
        ends_[0] = -1;
    }

  private:
    int ends_[2] = {-1, -1};
};

// The environment of the child: ours, with the allocation bound added to the
// sanitizer's options when the converter is built with AddressSanitizer.
std::vector<std::string> ChildEnvironment(const Limits& limits) {
    std::vector<std::string> env;
    std::string asan;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
            asan = entry;
        } else {
            env.push_back(entry);
        }
    }
    if (ProgramsSanitized() && limits.addressSpace > 0) {
        asan += asan.empty() ? "ASAN_OPTIONS=" : ":";
        asan += "allocator_may_return_null=1:max_allocation_size_mb=" +
                std::to_string(limits.addressSpace >> 20);
    }
    if (!asan.empty()) env.push_back(asan);
    return env;
}

// The program's command line and environment, made before it starts: its
// child only makes system calls until it execs (see RunProgram).
class ChildCommand {
  public:
    ChildCommand(const std::string& program, const std::vector<std::string>& args,
                 std::vector<std::string> env)
        : strings_(1, program), env_(std::move(env)) {
        strings_.insert(strings_.end(), args.begin(), args.end());
        for (std::string& s : strings_) argv_.push_back(s.data());
        argv_.push_back(nullptr);
        for (std::string& e : env_) envp_.push_back(e.data());
        envp_.push_back(nullptr);
    }
    const char* program() const { return argv_[0]; }
    char* const* argv() const { return argv_.data(); }
    char* const* envp() const { return envp_.data(); }

  private:
    std::vector<std::string> strings_;
    std::vector<std::string> env_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
};

[[noreturn]] void StartChild(const ChildCommand& command, const Limits& limits, int out, int err) {
    ::setpgid(0, 0);  // the converter and any child of its own, killed together
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    for (const auto& [path, target] :
         {std::pair{&limits.descriptor3, 3}, {&limits.stdoutFile, 1}}) {
        if (path->empty()) continue;
        const int fd = ::open(path->c_str(), target == 3 ? O_RDWR : O_WRONLY);
        if (fd < 0 || ::dup2(fd, target) != target) ::_exit(125);
    }
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    if (!ProgramsSanitized() && limits.addressSpace > 0) {
        const rlimit as{limits.addressSpace, limits.addressSpace};
        if (::setrlimit(RLIMIT_AS, &as) != 0) ::_exit(125);
    }
    // Dispositions that are not ignored are reset to the default by exec.
    ::signal(SIGXFSZ, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGCHLD, limits.ignoreSigchld ? SIG_IGN : SIG_DFL);
    ::signal(SIGXCPU, limits.xcpu == Limits::Xcpu::Ignored ? SIG_IGN : SIG_DFL);
    sigset_t xcpu;
    ::sigemptyset(&xcpu);
    ::sigaddset(&xcpu, SIGXCPU);
    ::sigprocmask(limits.xcpu == Limits::Xcpu::Blocked ? SIG_BLOCK : SIG_UNBLOCK, &xcpu, nullptr);
    for (const int fd : limits.closedDescriptors) ::close(fd);
    if (limits.fileSize >= 0) {
        const auto bytes = static_cast<rlim_t>(limits.fileSize);
        const rlimit fsize{bytes, bytes};
        if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0) ::_exit(125);
    }
    if (limits.unprivileged && ::geteuid() == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
            ::setuid(kUnprivilegedId) != 0) {
            ::_exit(125);
        }
    }
    ::execve(command.program(), command.argv(), command.envp());
    ::_exit(127);
}

// A copy of `program` that the unprivileged user can run wherever the build
// lives (a folder of mode 0700 owned by root, say): in a folder of its own
// under /tmp, removed when the tests end.
class ReachableCopies {
  public:
    ~ReachableCopies() {
        for (const auto& [program, copy] : copies_) ::unlink(copy.c_str());
        if (!folder_.empty()) ::rmdir(folder_.c_str());
    }
    const std::string& Of(const std::string& program) {
        auto found = copies_.find(program);
        if (found != copies_.end()) return found->second;
        if (folder_.empty()) {
            std::string pattern = "/tmp/pelmo_programs_XXXXXX";
            if (::mkdtemp(pattern.data()) == nullptr || ::chmod(pattern.c_str(), 0755) != 0) {
                throw std::runtime_error("no folder for the programs' copies");
            }
            folder_ = pattern;
        }
        const std::string copy = folder_ + "/" + program.substr(program.rfind('/') + 1);
        std::ifstream in(program, std::ios::binary);
        std::ofstream(copy, std::ios::binary) << in.rdbuf();
        if (::chmod(copy.c_str(), 0755) != 0) throw std::runtime_error("cannot copy " + program);
        return copies_.emplace(program, copy).first->second;
    }

  private:
    std::string folder_;
    std::map<std::string, std::string> copies_;
};

}  // namespace

std::string Outcome::Describe() const {
    if (timedOut) return "timed out";
    if (!exited)
        return "killed by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
    return "status " + std::to_string(status);
}

FifoWriter::FifoWriter(const std::string& path, const std::string& bytes, bool endless,
                       const std::function<bool()>& first, const std::string& head) {
    if (::mkfifo(path.c_str(), 0600) != 0) return;
    writer_ = ::fork();
    if (writer_ != 0) return;
    const int fd = ::open(path.c_str(), O_WRONLY);
    bool written = fd >= 0 && (!first || first()) &&
                   ::write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size());
    do {
        written = written &&
                  ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    } while (endless && written);
    ::_exit(written ? 0 : 1);
}

FifoWriter::~FifoWriter() {
    if (writer_ <= 0) return;
    ::kill(writer_, SIGKILL);
    ::waitpid(writer_, nullptr, 0);
}

bool ProgramsSanitized() {
    return PELMO_SANITIZED && PlainPrograms() == nullptr;
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

Outcome RunConverter(const std::vector<std::string>& args, const Limits& limits) {
    return RunProgram(ProgramPath(PELMO_EXECUTABLE), args, limits);
}

Outcome RunRenderer(const std::vector<std::string>& args, const Limits& limits) {
    return RunProgram(ProgramPath(PELMO_RENDERER), args, limits);
}

Outcome RunProgram(const std::string& built, const std::vector<std::string>& args,
                   const Limits& limits) {
    static ReachableCopies copies;
    const std::string& program = limits.unprivileged && RunningAsRoot() ? copies.Of(built) : built;
    Pipe out;
    Pipe err;
    if (limits.onStdout) ::fcntl(out.writeEnd(), F_SETPIPE_SZ, 4096);
    const ChildCommand command(program, args, ChildEnvironment(limits));
    // The child shares this process's memory until it execs (vfork): copying
    // the page tables of a test process, with the sanitizer's, for every run
    // and dropping them again at the exec took a seventh of the hardening
    // tests' processor time. A child that changes its user forks: a shared
    // copy of the C library would make the change in this process's threads too.
    const pid_t pid = limits.unprivileged ? ::fork() : ::vfork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) StartChild(command, limits, out.writeEnd(), err.writeEnd());
    ::setpgid(pid, pid);
    out.CloseWriteEnd();
    err.CloseWriteEnd();

    // Read both streams until both are closed, or until the deadline.
    Outcome outcome;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(limits.timeoutSeconds);
    const auto started = std::chrono::steady_clock::now();
    bool signalled = limits.signal == 0;
    pollfd polls[2] = {{out.readEnd(), POLLIN, 0}, {err.readEnd(), POLLIN, 0}};
    std::string* texts[2] = {&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0) {
        const auto now = std::chrono::steady_clock::now();
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (left.count() <= 0) {
            outcome.timedOut = true;
            break;
        }
        if (!signalled) {
            const auto due = std::chrono::duration_cast<std::chrono::milliseconds>(
                started + std::chrono::milliseconds(limits.signalAfterMs) - now);
            if (due.count() <= 0) {
                ::kill(pid, limits.signal);
                signalled = true;
            } else {
                left = std::min(left, due);
            }
        }
        if (::poll(polls, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (polls[i].fd < 0 || polls[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(polls[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
                if (i > 0 || !limits.onStdout || limits.onStdout(outcome.out)) continue;
                out.CloseReadEnd();  // as `head` ends
            } else if (n < 0 && errno == EINTR) {
                continue;
            }
            polls[i].fd = -1;
            --open;
        }
    }
    if (outcome.timedOut) ::kill(-pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    outcome.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    ::kill(-pid, SIGKILL);  // whatever the converter left running
    outcome.exited = !outcome.timedOut && WIFEXITED(status);
    outcome.status = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

}  // namespace pelmo::hardening
