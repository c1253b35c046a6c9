#include "base/output_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

#include "base/io.hpp"

namespace pelmo {

namespace {

constexpr std::array<int, 5> kFatalSignals = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM};

// The named temporary files that a fatal signal must remove, one slot for
// each output file that has one: its folder's descriptor and its name there.
// A signal handler reaches nothing but static storage, so this is mutable
// static state (as is the listener of the image library's reports, which the
// library also calls without context); it is changed only with those signals
// blocked.
struct Removal {
    int folder;
    std::array<char, 32> name;
    volatile std::sig_atomic_t armed;
};
std::array<Removal, 8> g_removals;
// The handlers in place before the first slot was armed, put back when the
// last one is disarmed, and before a fatal signal is raised again.
std::array<struct sigaction, kFatalSignals.size()> g_previous;
int g_armedCount = 0;

extern "C" void RemoveAndReraise(int signal) {
    for (const Removal& removal : g_removals) {
        if (removal.armed != 0) ::unlinkat(removal.folder, removal.name.data(), 0);
    }
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        if (kFatalSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
    }
    ::raise(signal);  // delivered when the handler returns: the end it would have had
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

// Called with the fatal signals blocked. The slot that will remove `name`
// from `folder`, or -1 when every slot is taken. A signal that is ignored
// (nohup) stays ignored.
int ArmRemoval(int folder, const std::string& name) {
    for (Removal& removal : g_removals) {
        if (removal.armed != 0) continue;
        removal.folder = folder;
        std::memcpy(removal.name.data(), name.c_str(), name.size() + 1);
        removal.armed = 1;
        if (g_armedCount++ == 0) {
            for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
                ::sigaction(kFatalSignals[i], nullptr, &g_previous[i]);
                if (g_previous[i].sa_handler == SIG_IGN) continue;
                struct sigaction action {};
                action.sa_handler = RemoveAndReraise;
                ::sigemptyset(&action.sa_mask);
                ::sigaction(kFatalSignals[i], &action, nullptr);
            }
        }
        return static_cast<int>(&removal - g_removals.data());
    }
    return -1;
}

// Called with the fatal signals blocked.
void DisarmRemoval(int& slot) {
    if (slot < 0) return;
    g_removals[static_cast<std::size_t>(slot)].armed = 0;
    slot = -1;
    if (--g_armedCount > 0) return;
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(kFatalSignals[i], nullptr, &current);
        if (current.sa_handler == RemoveAndReraise) {
            ::sigaction(kFatalSignals[i], &g_previous[i], nullptr);
        }
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);  // all of it when there is no slash
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A link of /proc: what it names is one of the process's open files, whose
// path, if it has one, readlink gives in full.
bool InProc(const std::string& link) {
    struct statfs fs {};
    return ::statfs(FolderOf(link).c_str(), &fs) == 0 &&
           fs.f_type == static_cast<decltype(fs.f_type)>(PROC_SUPER_MAGIC);
}

// N when the link of /proc `link` is /proc/self/fd/N, under whatever name
// (/dev/fd/N, /proc/<pid>/fd/N, /proc/thread-self/fd/N); else -1.
int OwnDescriptor(const std::string& link) {
    const std::string number = NameOf(link);
    if (number.empty() || number.size() > 9 ||
        number.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) return -1;
    for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd"}) {
        struct stat info {};
        if (::stat(own, &info) == 0 && SameFile(info, folder)) return std::stoi(number);
    }
    return -1;
}

// True when the entry `name` of `folder` is now the file that `target` found
// (or is missing, as it found it), without following a link there.
bool EntryIs(int folder, const std::string& name, const LinkTarget& target) {
    struct stat now {};
    if (::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT && !target.exists;
    }
    return target.exists && SameFile(now, target.info);
}

// A hidden name that nothing in the folder has yet, with luck.
std::string TemporaryName(std::mt19937& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".pelmo-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name + ".tmp";
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Gives the nameless file `fd` the name `name` in `folder`: without
// privileges only through /proc, which every Linux system of interest mounts.
bool LinkNameless(int fd, int folder, const std::string& name) {
    if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Renames `name` to `target`, both in `folder`, failing with EEXIST rather
// than replacing a file there unless `replace`.
bool RenameTo(int folder, const std::string& name, const std::string& target, bool replace) {
    if (replace) return ::renameat(folder, name.c_str(), folder, target.c_str()) == 0;
    if (::renameat2(folder, name.c_str(), folder, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL) return false;  // else a file system without it: a link does the same
    if (::linkat(folder, name.c_str(), folder, target.c_str(), 0) != 0) return false;
    ::unlinkat(folder, name.c_str(), 0);
    return true;
}

}  // namespace

bool LinkTarget::IsFile(const std::string& other) const {
    struct stat file {};
    return exists && !other.empty() && ::stat(other.c_str(), &file) == 0 &&
           file.st_dev == info.st_dev && file.st_ino == info.st_ino;
}

std::optional<LinkTarget> FollowLinks(const std::string& start) {
    LinkTarget target;
    std::string path = start;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno != ENOENT) return std::nullopt;
            target.path = path;
            return target;
        }
        if (S_ISLNK(info.st_mode) && InProc(path)) {
            target.throughDescriptor = true;
            target.descriptor = OwnDescriptor(path);
            target.exists = ::stat(path.c_str(), &target.info) == 0;
        } else if (!S_ISLNK(info.st_mode)) {
            target.path = path;
            target.exists = true;
            target.info = info;
            return target;
        }
        std::array<char, PATH_MAX> link{};
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size() - 1);
        if (n < 0) return std::nullopt;
        const std::string to(link.data(), static_cast<std::size_t>(n));
        if (target.throughDescriptor) {
            // "/home/me/log.txt", or "pipe:[1234]" for what has no path.
            if (to.starts_with('/')) target.path = to;
            return target;
        }
        path = to.starts_with('/') ? to : FolderOf(path) + "/" + to;
    }
    errno = ELOOP;
    return std::nullopt;
}

OutputFile::~OutputFile() {
    Abandon();
}

bool OutputFile::Open(const std::string& path) {
    Abandon();
    failed_ = false;
    inPlace_ = false;
    written_ = 0;
    refusal_.clear();
    path_ = path;
    if (path.empty() || path.ends_with('/')) {
        errno = path.empty() ? ENOENT : EISDIR;
        return false;
    }
    const std::optional<LinkTarget> target = CheckedTarget();
    if (!target) return false;
    if (target->InPlace()) return OpenInPlace(*target);
    if (target->exists && !settings_.replaceExisting) {
        errno = EEXIST;
        return false;
    }
    // The folder is held from here to the commit, which renames within it.
    name_ = NameOf(target->path);
    if (name_.empty()) {
        errno = EISDIR;  // a link to "name/"
        return false;
    }
    folder_ = Fd(::open(FolderOf(target->path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder_.Get() < 0) return false;
    if (!EntryIs(folder_.Get(), name_, *target)) {
        errno = EAGAIN;  // changed as it was checked
        return GiveUp();
    }
    // A file the user may not write is not replaced either.
    if (target->exists && ::faccessat(folder_.Get(), name_.c_str(), W_OK, AT_EACCESS) != 0) {
        return GiveUp();
    }
    if (settings_.allowAnonymous) {
        fd_ = ::openat(folder_.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return GiveUp();
        }
    }
    if (fd_ < 0 && !CreateNamed()) return GiveUp();
    if (!TakeOver(target->info, target->exists)) return GiveUp();
    return true;
}

// What the name given resolves to now, links followed, when the settings
// accept it; else empty, with errno set (and Refusal() when the check said no).
std::optional<LinkTarget> OutputFile::CheckedTarget() {
    std::optional<LinkTarget> target = FollowLinks(path_);
    if (!target) return target;
    const int fd = target->descriptor;
    if (fd >= 0 && fd < 3 && settings_.closedStreams[static_cast<std::size_t>(fd)]) {
        errno = EBADF;
        return std::nullopt;
    }
    if (settings_.check) refusal_ = settings_.check(*target);
    if (!refusal_.empty()) {
        errno = EPERM;
        return std::nullopt;
    }
    return target;
}

// Opened without O_CREAT and O_TRUNC, and emptied only once it is known to be
// the file that was checked: a name changed in between is not written at all.
bool OutputFile::OpenInPlace(const LinkTarget& target) {
    inPlace_ = true;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) return false;
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0) return GiveUp();
    if (!target.exists || !SameFile(opened, target.info)) {
        errno = EAGAIN;
        return GiveUp();
    }
    if (S_ISREG(opened.st_mode) && ::ftruncate(fd_, 0) != 0) return GiveUp();
    return true;
}

// The hidden file, made where the file system has no nameless ones; the name
// is known to the signal handlers before the file exists.
bool OutputFile::CreateNamed() {
    std::mt19937 random(std::random_device{}());
    const FatalSignalsBlocked blocked;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName(random);
        removalSlot_ = ArmRemoval(folder_.Get(), name);
        if (removalSlot_ < 0) {
            errno = EMFILE;
            return false;
        }
        fd_ = ::openat(folder_.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            tempName_ = std::move(name);
            return true;
        }
        const int error = errno;
        DisarmRemoval(removalSlot_);
        errno = error;
        if (error != EEXIST) return false;
    }
    return false;
}

// Gives the new file the mode of the file it replaces, and its owner and
// group where the process may; a new file gets 0666 less the umask.
bool OutputFile::TakeOver(const struct stat& existing, bool exists) {
    if (!exists) return ::fchmod(fd_, 0666 & ~CurrentUmask()) == 0;
    // The owner first: changing it may clear the set-id bits.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
        if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0 &&
            ::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid) != 0 && errno != EPERM) {
            return false;  // not a matter of privilege: something is wrong
        }
    }
    return ::fchmod(fd_, existing.st_mode & 07777) == 0;
}

bool OutputFile::Write(const void* data, std::size_t size) {
    if (failed_ || fd_ < 0) return false;
    if (!WriteAll(fd_, data, size)) {
        failed_ = true;
        return false;
    }
    // The rename over the old file will have the file system write the new
    // one first: started now, that writing goes on beside the rest.
    if (!inPlace_) {
        ::sync_file_range(fd_, static_cast<off64_t>(written_), static_cast<off64_t>(size),
                          SYNC_FILE_RANGE_WRITE);
    }
    written_ += size;
    return true;
}

// Gives a nameless file its hidden name beside the target.
bool OutputFile::NameTheNew() {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = TemporaryName(random);
        if (LinkNameless(fd_, folder_.Get(), candidate)) {
            // No removal to arm: Commit keeps the fatal signals blocked until
            // this name is renamed away or unlinked.
            tempName_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// The decision at the commit. The name given, its links followed again, must
// pass the checks and lead to the entry chosen at Open, in the folder held
// since, and that entry must still be the file just checked (or still be
// missing). The rename then replaces that entry and follows no link, so what
// remains is the instant between this look and the rename: an entry put under
// that name meanwhile is replaced in its place, as an entry; no link is
// followed and no file's contents are written.
bool OutputFile::StillTheTarget() {
    const std::optional<LinkTarget> target = CheckedTarget();
    if (!target) return false;
    struct stat folder {};
    struct stat held {};
    if (target->InPlace() || NameOf(target->path) != name_ ||
        ::stat(FolderOf(target->path).c_str(), &folder) != 0 ||
        ::fstat(folder_.Get(), &held) != 0 || !SameFile(folder, held) ||
        !EntryIs(folder_.Get(), name_, *target)) {
        errno = ESTALE;
        return false;
    }
    return true;
}

bool OutputFile::Commit() {
    if (fd_ < 0) return false;
    if (failed_) return GiveUp();
    if (inPlace_) {
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }
    // From here the new file takes the target's place wholly or not at all:
    // a signal that comes meanwhile waits until it has.
    const FatalSignalsBlocked blocked;
    if (tempName_.empty() && !NameTheNew()) return GiveUp();
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || !StillTheTarget() ||
        !RenameTo(folder_.Get(), tempName_, name_, settings_.replaceExisting)) {
        return GiveUp();
    }
    tempName_.clear();
    DisarmRemoval(removalSlot_);
    folder_.Reset();
    return true;
}

// Abandon, keeping errno: always false.
bool OutputFile::GiveUp() {
    const int error = errno;
    Abandon();
    errno = error;
    return false;
}

void OutputFile::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty()) {
        const FatalSignalsBlocked blocked;
        ::unlinkat(folder_.Get(), tempName_.c_str(), 0);
        tempName_.clear();
        DisarmRemoval(removalSlot_);
    }
    folder_.Reset();
}

}  // namespace pelmo
