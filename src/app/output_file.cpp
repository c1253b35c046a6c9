#include "app/output_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "app/write_all.hpp"

namespace pelmo {

namespace {

constexpr std::array<int, 5> kFatalSignals = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM};

// The named temporary file that a fatal signal must remove. A signal handler
// reaches nothing but static storage, so this is the one piece of mutable
// static state in the program; it is only changed with those signals blocked.
char g_removeOnSignal[PATH_MAX];
volatile std::sig_atomic_t g_armed = 0;

extern "C" void RemoveAndReraise(int signal) {
    if (g_armed != 0) ::unlink(g_removeOnSignal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered when the handler returns: the usual end
}

// Holds the fatal signals back for as long as it lives, so that what happens
// in between is done either wholly or not at all.
class FatalSignalsBlocked {
  public:
    FatalSignalsBlocked() {
        sigset_t set;
        ::sigemptyset(&set);
        for (const int s : kFatalSignals) ::sigaddset(&set, s);
        ::sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~FatalSignalsBlocked() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    FatalSignalsBlocked(const FatalSignalsBlocked&) = delete;
    FatalSignalsBlocked& operator=(const FatalSignalsBlocked&) = delete;

  private:
    sigset_t saved_;
};

// Called with the fatal signals blocked. A signal that is ignored (nohup)
// stays ignored.
void ArmRemoval(const std::string& path) {
    std::memcpy(g_removeOnSignal, path.c_str(), path.size() + 1);
    g_armed = 1;
    for (const int s : kFatalSignals) {
        struct sigaction old {};
        ::sigaction(s, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = RemoveAndReraise;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(s, &action, nullptr);
    }
}

void DisarmRemoval() {
    if (g_armed == 0) return;  // nothing was set up: a nameless file needs no handler
    g_armed = 0;
    for (const int s : kFatalSignals) {
        struct sigaction old {};
        ::sigaction(s, nullptr, &old);
        if (old.sa_handler == RemoveAndReraise) ::signal(s, SIG_DFL);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file that `path` finally names, following symbolic links in its last
// component; a name that does not exist yet is returned as it is. Empty,
// with errno set, when the path cannot be looked at or loops.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? path : std::string();
        if (!S_ISLNK(info.st_mode)) return path;
        std::array<char, PATH_MAX> link{};
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size() - 1);
        if (n < 0) return std::string();
        const std::string to(link.data(), static_cast<std::size_t>(n));
        path = to.starts_with('/') ? to : FolderOf(path) + "/" + to;
    }
    errno = ELOOP;
    return std::string();
}

// A hidden name in `folder` that nothing has yet.
std::string TemporaryName(const std::string& folder, std::mt19937& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = folder + "/.pelmo-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name + ".tmp";
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Gives a name to the nameless file `fd`: without privileges only through
// /proc, which every Linux system of interest mounts.
bool LinkNameless(int fd, const std::string& name) {
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Puts the file `name` in place of `target`. Where a file of that name
// exists, the two are exchanged and the old one, now under `name`, removed:
// a plain rename over a file makes ext4 write the new one back to disk at
// once, which costs about as much as writing it did, while a file that
// replaces nothing is written back in the kernel's own time, as the file of
// any tool that writes a fresh one is.
bool PutInPlace(const std::string& name, const std::string& target) {
    if (::renameat2(AT_FDCWD, name.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(name.c_str());
        return true;
    }
    return ::rename(name.c_str(), target.c_str()) == 0;
}

}  // namespace

OutputFile::~OutputFile() {
    Abandon();
}

bool OutputFile::Open(const std::string& path) {
    Abandon();
    failed_ = false;
    inPlace_ = false;
    if (path.empty() || path.ends_with('/')) {
        errno = path.empty() ? ENOENT : EISDIR;
        return false;
    }
    target_ = FollowLinks(path);
    if (target_.empty()) return false;
    folder_ = FolderOf(target_);

    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device, a FIFO or a folder: opened as it is, or refused.
        inPlace_ = true;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        return fd_ >= 0;
    }
    // A file the user may not write is not replaced either.
    if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return false;

    if (allowAnonymous_) {
        fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    }
    if (fd_ < 0) {
        std::mt19937 random(std::random_device{}());
        const FatalSignalsBlocked blocked;  // the name is known before the file exists
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            std::string name = TemporaryName(folder_, random);
            if (name.size() >= PATH_MAX) {
                errno = ENAMETOOLONG;
                return false;
            }
            ArmRemoval(name);
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd_ >= 0) {
                tempName_ = std::move(name);
            } else {
                const int error = errno;
                DisarmRemoval();
                errno = error;
                if (error != EEXIST) return false;
            }
        }
        if (fd_ < 0) return false;
        if (!exists) ::fchmod(fd_, 0666 & ~CurrentUmask());
    }
    if (exists) {
        // The owner first: changing it may clear the set-id bits.
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
            if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
                (void)::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid);
            }
        }
        ::fchmod(fd_, existing.st_mode & 07777);
    }
    return true;
}

bool OutputFile::Write(const void* data, std::size_t size) {
    if (failed_ || fd_ < 0) return false;
    if (!WriteAll(fd_, data, size)) failed_ = true;
    return !failed_;
}

bool OutputFile::Commit() {
    if (fd_ < 0) return false;
    if (failed_) {
        Abandon();
        return false;
    }
    if (inPlace_) {
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }
    // From here the new file takes the target's place wholly or not at all:
    // a signal that comes meanwhile waits until it has.
    const FatalSignalsBlocked blocked;
    std::string name = tempName_;
    if (name.empty()) {
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string candidate = TemporaryName(folder_, random);
            if (LinkNameless(fd_, candidate)) {
                name = std::move(candidate);
                break;
            }
            if (errno != EEXIST) break;
        }
        if (name.empty()) {
            Abandon();
            return false;
        }
        tempName_ = name;
    }
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || !PutInPlace(name, target_)) {
        Abandon();
        return false;
    }
    tempName_.clear();
    DisarmRemoval();
    return true;
}

void OutputFile::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty()) {
        const FatalSignalsBlocked blocked;
        ::unlink(tempName_.c_str());
        tempName_.clear();
        DisarmRemoval();
    }
}

}  // namespace pelmo
