// The output file as the converter makes it: written as a nameless file, it
// gets 0666 less the umask, and a converter killed outright while writing it
// leaves nothing behind; a replaced file keeps its owner also where the owner
// alone differs from the user who runs the converter.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "child_run.hpp"
#include "crafted_pictures.hpp"
#include "support/unit_temp_dir.hpp"
#include "valid_pictures.hpp"

namespace pelmo::hardening {
namespace {

class OutputAttributes : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(unit::WriteWholeFile(input_, ValidPicture(".png"))); }
    // Converts the picture into `output`, which must succeed; what stat says of it.
    struct stat Convert(const std::string& output) {
        const Outcome run = RunConverter({input_, output});
        EXPECT_TRUE(run.exited && run.status == 0) << run.Describe() << "\n" << run.err;
        struct stat info {};
        EXPECT_EQ(::stat(output.c_str(), &info), 0);
        return info;
    }

    const unit::TempDir dir_;
    const std::string input_ = dir_.File("in.png");
};

TEST_F(OutputAttributes, ANewFileGets0666LessTheUmask) {
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}}) {
        const mode_t saved = ::umask(mask);
        const struct stat info = Convert(dir_.File("new" + std::to_string(mask) + ".asm"));
        ::umask(saved);
        EXPECT_EQ(info.st_mode & 07777, 0666 & ~mask) << "umask " << mask;
    }
}

TEST_F(OutputAttributes, AReplacedFileKeepsAnOwnerThatAloneDiffers) {
    if (!RunningAsRoot()) GTEST_SKIP() << "only root may give a file to another user";
    const std::string output = dir_.File("theirs.asm");
    ASSERT_TRUE(unit::WriteWholeFile(output, "old"));
    ASSERT_EQ(::chown(output.c_str(), kUnprivilegedId, ::getegid()), 0);
    const struct stat info = Convert(output);
    EXPECT_EQ(info.st_uid, kUnprivilegedId);
    EXPECT_EQ(info.st_gid, ::getegid());
    EXPECT_NE(unit::ReadWholeFile(output), "old");
}

// SIGKILL comes after the output file was opened (its "Symbol" lines are
// out) and before it is put in place: standard output is a pipe of 4 KiB that
// is read no further, and 20 KB of "Wrote" lines must pass it first. The old
// file stays, and no other file is left beside it.
TEST_F(OutputAttributes, AConverterKilledWhileWritingLeavesNothingBehind) {
    const std::string picture = dir_.File("tall.psd");  // 600 pages
    ASSERT_TRUE(unit::WriteWholeFile(picture, ValidPsd(1024, 1200)));
    const std::string output = dir_.File("out.asm");
    ASSERT_TRUE(unit::WriteWholeFile(output, "old"));
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    ASSERT_EQ(::fcntl(ends[1], F_SETPIPE_SZ, 4096), 4096);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(ends[1], STDOUT_FILENO);
        ::execl(PELMO_EXECUTABLE, PELMO_EXECUTABLE, "-c", "raw", picture.c_str(), output.c_str(),
                nullptr);
        ::_exit(127);
    }
    ::close(ends[1]);
    std::string out;
    pollfd ready{ends[0], POLLIN, 0};
    while (out.find("Symbol '") == std::string::npos && ::poll(&ready, 1, 10000) == 1) {
        char chunk[4096];
        const ssize_t n = ::read(ends[0], chunk, sizeof chunk);
        if (n <= 0) break;
        out.append(chunk, static_cast<std::size_t>(n));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(ends[0]);
    ASSERT_NE(out.find("Symbol '"), std::string::npos) << out;
    EXPECT_TRUE(WIFSIGNALED(status)) << "the converter ended before the signal: " << status;
    EXPECT_EQ(unit::ReadWholeFile(output), "old");
    EXPECT_EQ(unit::ListFolder(dir_.path()), "in.png out.asm tall.psd");
}

}  // namespace
}  // namespace pelmo::hardening
