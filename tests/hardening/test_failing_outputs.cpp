// Output files that cannot be written: a full device, a file-size limit hit
// at several points of the text, and paths that cannot be opened at all. The
// run must end with status 1 and the writer's one error line, never report
// completion, and leave no partial file (nor touch a file it could not open).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "child_run.hpp"
#include "outcome_checks.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {
namespace {

const std::vector<std::string> kCodecs = {"raw", "rle", "srle", "frle", "bnp", "bit2xp"};

unit::Colour Stripes(int x, int y) {
    const auto red = static_cast<std::uint8_t>(((x * 7) ^ (y * 3)) % 5 < 2 ? 255 : 0);
    return {red, red, red, 255};
}

// Pictures shared by every case, in a folder that an unprivileged user can read.
class FailingOutput : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<unit::TempDir>();
        ASSERT_EQ(::chmod(dir_->path().c_str(), 0755), 0);
        ASSERT_TRUE(unit::SavePicture(SmallPicture(), FIF_PNG, 16, 8, Stripes));
        // 262144 packed bytes: the raw text passes the writer's 1 MiB buffer.
        ASSERT_TRUE(unit::SavePicture(LargePicture(), FIF_PNG, 1024, 2048, Stripes));
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static std::string SmallPicture() { return dir_->File("small.png"); }
    static std::string LargePicture() { return dir_->File("large.png"); }
    static std::string OpenError(const std::string& path) {
        return "Error, couldn't open \"" + path + "\".\n";
    }

    // A run that failed to open `path`: the picture was loaded and packed,
    // nothing was written, and nothing was created at `path`.
    static ::testing::AssertionResult RefusedToOpen(const Outcome& run, const std::string& path) {
        ::testing::AssertionResult failed = FailsWith(run, OpenError(path), "/nonexistent");
        if (!failed) return failed;
        if (run.out.find("RAW image is") == std::string::npos ||
            run.out.find("Symbol '") != std::string::npos) {
            return ::testing::AssertionFailure() << "unexpected progress lines:\n" << run.out;
        }
        return ::testing::AssertionSuccess();
    }

    static std::unique_ptr<unit::TempDir> dir_;
};

std::unique_ptr<unit::TempDir> FailingOutput::dir_;

bool IsCharacterDevice(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

TEST_F(FailingOutput, FullDeviceFailsEveryCodec) {
    for (const std::string& codec : kCodecs) {
        const Outcome run = RunConverter({"-c", codec, "-tc", "data", SmallPicture(), "/dev/full"});
        EXPECT_TRUE(FailsWith(run, WriteError("/dev/full"), "/nonexistent")) << codec;
    }
    EXPECT_TRUE(IsCharacterDevice("/dev/full")) << "the device itself must never be removed";
    // An answer that cannot be written fails too (`--help > /dev/full`), in both programs.
    Limits full;
    full.stdoutFile = "/dev/full";
    for (const std::string answer : {"--help", "--version"}) {
        EXPECT_EQ(RunConverter({answer}, full).status, 1) << answer;
        EXPECT_EQ(RunRenderer({answer}, full).status, 1) << answer;
    }
}

// The text outgrows the writer's buffer, so the first failing write comes in
// the middle of the data rather than at the close.
TEST_F(FailingOutput, FullDeviceFailsMidStream) {
    const Outcome run = RunConverter({"-c", "raw", LargePicture(), "/dev/full"});
    EXPECT_TRUE(FailsWith(run, WriteError("/dev/full"), "/nonexistent"));
    EXPECT_NE(run.out.find("Loaded 1024x2048 image."), std::string::npos) << run.out;
}

// A file-size limit makes a regular file fill up at a chosen byte: at the
// first byte, inside the header, at a buffer boundary, one byte short of the
// end. The partial file must be gone; one byte more than needed and the run
// completes.
TEST_F(FailingOutput, FileSizeLimitLeavesNoPartialFile) {
    const unit::TempDir out;
    const std::string target = out.File("large.asm");
    const Outcome full = RunConverter({"-c", "raw", LargePicture(), target});
    ASSERT_TRUE(CleanOutcome(full, target));
    const auto size = static_cast<std::int64_t>(unit::ReadWholeFile(target).size());
    ASSERT_GT(size, std::int64_t{1} << 20);
    ASSERT_EQ(::unlink(target.c_str()), 0);

    for (const std::int64_t limit :
         {std::int64_t{0}, std::int64_t{1}, std::int64_t{20}, std::int64_t{1} << 20, size - 1}) {
        Limits limits;
        limits.fileSize = limit;
        const Outcome run = RunConverter({"-c", "raw", LargePicture(), target}, limits);
        EXPECT_TRUE(FailsWith(run, WriteError(target), target)) << "limit " << limit;
        EXPECT_EQ(unit::ListFolder(out.path()), "") << "limit " << limit;
    }
    Limits exact;
    exact.fileSize = size;
    const Outcome run = RunConverter({"-c", "raw", LargePicture(), target}, exact);
    EXPECT_TRUE(CleanOutcome(run, target)) << "limit of exactly " << size << " bytes";
}

// An output that existed before stays byte for byte as it was when the new
// one cannot be written whole, and no other file is left beside it.
TEST_F(FailingOutput, FileSizeLimitKeepsTheExistingFile) {
    const unit::TempDir out;
    const std::string target = out.File("existing.asm");
    const std::string old(5000, 'x');
    ASSERT_TRUE(unit::WriteWholeFile(target, old));
    Limits limits;
    limits.fileSize = 4096;
    const Outcome run = RunConverter({"-c", "rle", LargePicture(), target}, limits);
    EXPECT_TRUE(FailsWith(run, WriteError(target), "/nonexistent"));
    EXPECT_EQ(unit::ReadWholeFile(target), old);
    EXPECT_EQ(unit::ListFolder(out.path()), "existing.asm");
}

// Whenever a fatal signal comes, the output is either the old file or the
// complete new one, and no other file is left in its folder. The signal ends
// the process as it would any other (the caller sees it).
TEST_F(FailingOutput, SignalsLeaveTheOldFileOrTheWholeNewOne) {
    const unit::TempDir out;
    const std::string target = out.File("out.asm");
    const Outcome reference = RunConverter({"-c", "raw", LargePicture(), target});
    ASSERT_TRUE(CleanOutcome(reference, target));
    const std::string whole = unit::ReadWholeFile(target);
    const std::string old = "\t; the old source\n";

    int interrupted = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        for (const int delay : {0, 3, 10, 25, 50, 100}) {
            ASSERT_TRUE(unit::WriteWholeFile(target, old));
            Limits limits;
            limits.signal = signal;
            limits.signalAfterMs = delay;
            const Outcome run = RunConverter({"-c", "raw", LargePicture(), target}, limits);
            SCOPED_TRACE(std::string(::strsignal(signal)) + " after " + std::to_string(delay) +
                         " ms: " + run.Describe());
            const std::string now = unit::ReadWholeFile(target);
            if (run.exited) {
                EXPECT_TRUE(CleanOutcome(run, target));
                EXPECT_EQ(now, whole);
            } else {
                ++interrupted;
                EXPECT_EQ(run.signal, signal);
                EXPECT_TRUE(now == old || now == whole);
            }
            EXPECT_EQ(unit::ListFolder(out.path()), "out.asm");
        }
    }
    EXPECT_GT(interrupted, 0) << "no signal came before the end of a run";
}

// Standard output is a pipe closed after ten bytes (`pelmoimage ... | head -c
// 10`), long before the 1024 pages' "Wrote" lines are out: the lost progress
// text changes nothing, the run ends with status 0 and the whole new file.
TEST_F(FailingOutput, AClosedStandardOutputLeavesTheRunAsItIs) {
    const unit::TempDir out;
    const std::string target = out.File("out.asm");
    ASSERT_TRUE(CleanOutcome(RunConverter({"-c", "raw", LargePicture(), target}), target));
    const std::string whole = unit::ReadWholeFile(target);
    ASSERT_TRUE(unit::WriteWholeFile(target, "\t; the old source\n"));
    Limits limits;
    limits.onStdout = [](const std::string& out) { return out.size() < 10; };
    const Outcome run = RunConverter({"-c", "raw", LargePicture(), target}, limits);
    EXPECT_TRUE(run.exited && run.status == 0 && run.err.empty()) << run.Describe() << run.err;
    EXPECT_TRUE(unit::ReadWholeFile(target) == whole);
    EXPECT_EQ(unit::ListFolder(out.path()), "out.asm");
}

TEST_F(FailingOutput, PathsThatCannotBeOpened) {
    const unit::TempDir out;
    const std::string folder = out.File("folder.asm");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string notAFolder = out.File("plain");
    ASSERT_TRUE(unit::WriteWholeFile(notAFolder, "plain file\n"));
    const std::string loop = out.File("loop.asm");  // a link to itself
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);

    const std::vector<std::string> paths = {
        folder,                                    // an existing folder
        out.File("new.asm/"),                      // a name that can only be a folder
        out.File("missing/out.asm"),               // inside a folder that does not exist
        notAFolder + "/out.asm",                   // inside a regular file
        out.File(std::string(300, 'n') + ".asm"),  // a name longer than the file system allows
        loop,                                      // links that never end
        "",                                        // cannot happen: refused by the parser
    };
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        const Outcome run = RunConverter({"-c", "srle", SmallPicture(), path});
        EXPECT_TRUE(RefusedToOpen(run, path)) << path;
    }
    // The renderer likewise, the picture's name a link to itself.
    const std::string source = out.File("source.asm");
    ASSERT_EQ(RunConverter({SmallPicture(), source}).status, 0);
    const std::string shown = out.File("loop.png");
    ASSERT_EQ(::symlink(shown.c_str(), shown.c_str()), 0);
    EXPECT_TRUE(FailsWith(RunRenderer({"-w", "16", "-c", "raw", source, shown}), OpenError(shown),
                          "/nonexistent"));
    struct stat info {};
    EXPECT_TRUE(::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    EXPECT_FALSE(unit::FileExists(out.File("missing"))) << "no folder may be created";
    EXPECT_FALSE(unit::FileExists(out.File("new.asm")));
    EXPECT_EQ(unit::ReadWholeFile(notAFolder), "plain file\n");
}

// Permission bits bind only a user without privileges: as root the run
// switches to an unprivileged user who owns the folder but may not write it.
TEST_F(FailingOutput, ReadOnlyFolderAndFile) {
    const unit::TempDir out;
    ASSERT_EQ(::chmod(out.path().c_str(), 0755), 0);
    const std::string locked = out.File("locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    const std::string kept = out.File("kept.asm");
    ASSERT_TRUE(unit::WriteWholeFile(kept, "\t; do not touch\n"));
    if (RunningAsRoot()) {
        ASSERT_EQ(::chown(locked.c_str(), kUnprivilegedId, kUnprivilegedId), 0);
        ASSERT_EQ(::chown(kept.c_str(), kUnprivilegedId, kUnprivilegedId), 0);
    }
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    Limits limits;
    limits.unprivileged = true;

    const std::string inLocked = locked + "/out.asm";
    const Outcome intoFolder = RunConverter({"-c", "frle", SmallPicture(), inLocked}, limits);
    EXPECT_TRUE(RefusedToOpen(intoFolder, inLocked));
    EXPECT_FALSE(unit::FileExists(inLocked));

    const Outcome overFile = RunConverter({"-c", "bnp", SmallPicture(), kept}, limits);
    EXPECT_TRUE(RefusedToOpen(overFile, kept));
    EXPECT_EQ(unit::ReadWholeFile(kept), "\t; do not touch\n");

    // Without privileges, a folder of one's own is written as usual.
    const std::string own = out.File("own");
    ASSERT_EQ(::mkdir(own.c_str(), 0755), 0);
    if (RunningAsRoot()) {
        ASSERT_EQ(::chown(own.c_str(), kUnprivilegedId, kUnprivilegedId), 0);
    }
    const Outcome written = RunConverter({"-c", "bnp", SmallPicture(), own + "/out.asm"}, limits);
    EXPECT_TRUE(CleanOutcome(written, own + "/out.asm"));
    EXPECT_EQ(unit::ListFolder(own), "out.asm");
    ::chmod(locked.c_str(), 0755);  // so that the folder can be removed
}

}  // namespace
}  // namespace pelmo::hardening
