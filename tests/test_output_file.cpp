// The output file replaces its target whole or not at all, keeps what users
// rely on (links stay links, permission bits), and leaves nothing behind.
#include "base/output_file.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "support/unit_temp_dir.hpp"

namespace pelmo {
namespace {

// While set, the file system cannot rename without replacing: renameat2 with
// RENAME_NOREPLACE fails with EINVAL, as where the flag is unknown.
bool g_noRenameNoReplace = false;

}  // namespace
}  // namespace pelmo

extern "C" int renameat2(int from, const char* old, int to, const char* now,
                         unsigned flags) noexcept {
    using Rename = int (*)(int, const char*, int, const char*, unsigned);
    static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "renameat2"));
    if (pelmo::g_noRenameNoReplace && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return real(from, old, to, now, flags);
}

namespace pelmo {
namespace {

using unit::ListFolder;
using unit::ReadWholeFile;
using unit::TempDir;
using unit::WriteWholeFile;

OutputFile::Settings Settings(bool anonymous) {
    OutputFile::Settings settings;
    settings.allowAnonymous = anonymous;
    return settings;
}

bool Replace(const std::string& path, const std::string& text, bool anonymous = true) {
    OutputFile file(Settings(anonymous));
    return file.Open(path) && file.Write(text.data(), text.size()) && file.Commit();
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// Both ways of making the new file: nameless, and named where the file
// system offers nothing else.
class OutputFileKinds : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Both, OutputFileKinds, ::testing::Values(true, false));

TEST_P(OutputFileKinds, ReplacesOnlyOnCommitAndKeepsModeBits) {
    const TempDir dir;
    const std::string path = dir.File("out.asm");
    const mode_t saved = ::umask(027);
    EXPECT_TRUE(Replace(path, "first", GetParam()));
    ::umask(saved);
    EXPECT_EQ(ModeOf(path) & 07777, 0640u) << "a new file: 0666 less the umask";
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    {
        OutputFile file(Settings(GetParam()));
        ASSERT_TRUE(file.Open(path));
        ASSERT_TRUE(file.Write("second", 6));
        EXPECT_EQ(ReadWholeFile(path), "first") << "nothing shows before the commit";
    }  // given up
    EXPECT_EQ(ReadWholeFile(path), "first");
    EXPECT_EQ(ListFolder(dir.path()), "out.asm");
    // Root may give the new file the old one's owner too.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    EXPECT_TRUE(Replace(path, "third", GetParam()));
    EXPECT_EQ(ReadWholeFile(path), "third");
    EXPECT_EQ(ModeOf(path) & 07777, 0604u) << "a replaced file keeps its bits";
    struct stat owner {};
    ASSERT_EQ(::stat(path.c_str(), &owner), 0);
    if (root) {
        EXPECT_EQ(owner.st_uid, 65534u);
    }
    EXPECT_EQ(ListFolder(dir.path()), "out.asm");
}

TEST_P(OutputFileKinds, AFailedWriteLeavesTheTargetAsItWas) {
    const TempDir dir;
    const std::string path = dir.File("out.asm");
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    // Written through a link, which must stay.
    ASSERT_EQ(::symlink("out.asm", dir.File("link.asm").c_str()), 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit low = saved;
    low.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    const bool replaced = Replace(dir.File("link.asm"), std::string(5000, 'n'), GetParam());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("link.asm"))));
    EXPECT_EQ(ListFolder(dir.path()), "link.asm out.asm");
}

// The check is asked at Open and again at the commit, of what the name leads
// to then: a link swapped in between to a name it refuses fails with its
// line, one to a name it accepts but Open did not choose fails too, and
// nothing is written through either.
TEST_P(OutputFileKinds, TheTargetIsCheckedAgainAtTheCommit) {
    const TempDir dir;
    const std::string path = dir.File("out.asm");
    OutputFile::Settings settings = Settings(GetParam());
    settings.check = [](const LinkTarget& target) {
        return std::string(target.path.ends_with(".png") ? "refused\n" : "");
    };
    for (const std::string swapped : {"other.asm", "art.png"}) {
        ::unlink(path.c_str());
        OutputFile file(settings);
        ASSERT_TRUE(file.Open(path) && file.Write("new", 3));
        ASSERT_EQ(::symlink(swapped.c_str(), path.c_str()), 0);
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Refusal(), swapped == "art.png" ? "refused\n" : "") << swapped;
    }
    EXPECT_EQ(ListFolder(dir.path()), "out.asm");
}

// A fatal signal while the new file is written: the process ends by that
// signal, the target is untouched and the temporary file is gone.
// Several output files at once, each with its hidden file: a fatal signal
// removes all of them, and ends the process as the handler that was there
// before would have (here the default), not as ours left in place.
TEST_P(OutputFileKinds, AFatalSignalLeavesNothingBehind) {
    const TempDir dir;
    const std::string path = dir.File("out.asm");
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        {
            // One that comes and goes first must leave the others armed.
            OutputFile done(Settings(false));
            if (!done.Open(dir.File("done.asm")) || !done.Write("x", 1) || !done.Commit()) {
                ::_exit(2);
            }
        }
        OutputFile file(Settings(GetParam()));
        OutputFile other(Settings(false));
        if (!file.Open(path) || !file.Write("new", 3) || !other.Open(dir.File("other.asm"))) {
            ::_exit(3);
        }
        ::raise(SIGTERM);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(ListFolder(dir.path()), "done.asm out.asm");
}

// Where the file system cannot rename without replacing, the new file is
// linked under its name instead, and its hidden name goes.
TEST_P(OutputFileKinds, WithoutRenameNoReplaceTheNewFileIsLinked) {
    const TempDir dir;
    OutputFile::Settings settings = Settings(GetParam());
    settings.replaceExisting = false;
    g_noRenameNoReplace = true;
    OutputFile file(settings);
    const bool written = file.Open(dir.File("out.png")) && file.Write("new", 3) && file.Commit();
    g_noRenameNoReplace = false;
    EXPECT_TRUE(written);
    EXPECT_EQ(ReadWholeFile(dir.File("out.png")), "new");
    EXPECT_EQ(ListFolder(dir.path()), "out.png");
}

// The handlers the process had before an output file are back after it.
TEST(OutputFile, PutsBackTheHandlersItReplaced) {
    const TempDir dir;
    const auto mine = [](int) {};
    struct sigaction action {};
    action.sa_handler = mine;
    struct sigaction saved {};
    ASSERT_EQ(::sigaction(SIGINT, &action, &saved), 0);
    {
        OutputFile file(Settings(false));
        ASSERT_TRUE(file.Open(dir.File("out.asm")));
        struct sigaction during {};
        ::sigaction(SIGINT, nullptr, &during);
        EXPECT_NE(during.sa_handler, static_cast<void (*)(int)>(mine)) << "no removal armed";
        EXPECT_TRUE(file.Commit());
    }
    struct sigaction after {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, static_cast<void (*)(int)>(mine));
    ::sigaction(SIGINT, &saved, nullptr);
}

TEST(OutputFile, LinksStayLinks) {
    const TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    const std::string file = dir.File("real/file.asm");
    ASSERT_TRUE(WriteWholeFile(file, "old"));
    // A chain of a relative and an absolute link.
    ASSERT_EQ(::symlink("real/file.asm", dir.File("near").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("near").c_str(), dir.File("far").c_str()), 0);
    EXPECT_TRUE(Replace(dir.File("far"), "new"));
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("far"))));
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("near"))));
    EXPECT_EQ(ReadWholeFile(file), "new");
    EXPECT_EQ(ListFolder(dir.File("real")), "file.asm");

    // A link to a name that does not exist yet creates that name.
    ASSERT_EQ(::symlink("real/later.asm", dir.File("dangling").c_str()), 0);
    EXPECT_TRUE(Replace(dir.File("dangling"), "made"));
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("dangling"))));
    EXPECT_EQ(ReadWholeFile(dir.File("real/later.asm")), "made");

    // A hard link: the name given gets the new file, the other keeps the old.
    ASSERT_EQ(::link(file.c_str(), dir.File("other.asm").c_str()), 0);
    EXPECT_TRUE(Replace(file, "newest"));
    EXPECT_EQ(ReadWholeFile(file), "newest");
    EXPECT_EQ(ReadWholeFile(dir.File("other.asm")), "new");

    // A loop of links cannot be written.
    ASSERT_EQ(::symlink("loop2", dir.File("loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", dir.File("loop2").c_str()), 0);
    OutputFile looped;
    EXPECT_FALSE(looped.Open(dir.File("loop1")));
}

// What is not a regular file is written where it is and never replaced.
TEST(OutputFile, DevicesAreWrittenInPlace) {
    EXPECT_TRUE(Replace("/dev/null", "text"));
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    OutputFile full;
    ASSERT_TRUE(full.Open("/dev/full"));
    EXPECT_FALSE(full.Write("x", 1));
    EXPECT_FALSE(full.Commit());
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

}  // namespace
}  // namespace pelmo
