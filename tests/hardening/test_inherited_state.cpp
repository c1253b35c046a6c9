// What the programs inherit from whoever starts them (closed standard
// streams, an ignored SIGCHLD, a file-size limit), the outputs that are written in place, and
// the files they must never destroy, whatever link is swapped in while they run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "child_run.hpp"
#include "crafted_pictures.hpp"
#include "outcome_checks.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {
namespace {

unit::Colour Checks(int x, int y) {
    const std::uint8_t red = (x / 3 + y) % 2 != 0 ? 255 : 0;
    return {red, 0, 0, 255};
}

class Inherited : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(unit::SavePicture(picture_, FIF_PNG, 24, 16, Checks)); }
    const unit::TempDir dir_;
    const std::string picture_ = dir_.File("art.png");
    const std::string output_ = dir_.File("art.asm");
};

// A closed descriptor 1 must not become the output's: the progress lines
// would be written into the source.
TEST_F(Inherited, ClosedStandardStreamsReceiveNothing) {
    for (const std::vector<int>& closed : {std::vector<int>{1}, {0, 1, 2}}) {
        Limits limits;
        limits.closedDescriptors = closed;
        const Outcome run = RunConverter({"-c", "rle", picture_, output_}, limits);
        ASSERT_TRUE(run.exited && run.status == 0) << run.Describe();
        const std::string source = unit::ReadWholeFile(output_);
        EXPECT_TRUE(source.starts_with("\t; Created by PelmoImage")) << source.substr(0, 80);
        EXPECT_EQ(source.find("Loaded"), std::string::npos);
    }
}

// With SIGCHLD ignored the kernel reaps the decoding child unseen; its own
// reason must still reach the user.
TEST_F(Inherited, AnIgnoredSigchldKeepsTheDecodersReason) {
    const std::string twelve = dir_.File("twelve.png");
    ASSERT_TRUE(unit::SavePicture(twelve, FIF_PNG, 8, 12, Checks));
    Limits limits;
    limits.ignoreSigchld = true;
    EXPECT_TRUE(FailsWith(RunConverter({twelve, output_}, limits),
                          "Error, height must be multiple of 8.\n", output_));
    const Outcome run = RunConverter({picture_, output_}, limits);
    EXPECT_TRUE(CleanOutcome(run, output_));
}

// /dev/stdout is the pipe behind descriptor 1, written in place.
TEST_F(Inherited, DevStdoutIsWrittenInPlace) {
    const Outcome run = RunConverter({picture_, "/dev/stdout"});
    ASSERT_TRUE(run.exited && run.status == 0) << run.Describe() << run.err;
    EXPECT_NE(run.out.find("\n\t; Created by PelmoImage"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nimg_data:\n\t.db $"), std::string::npos);
    EXPECT_TRUE(run.out.ends_with("Operation completed.\n"));
}

// A standard output closed at the start stays closed for the output: none of
// its names is written (into the /dev/null that stands in for it), in either
// program.
TEST_F(Inherited, AClosedStandardOutputIsNoOutput) {
    Limits limits;
    limits.closedDescriptors = {1};
    for (const std::string name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        EXPECT_TRUE(FailsWith(RunConverter({picture_, name}, limits),
                              "Error, couldn't open \"" + name + "\".\n", "/nonexistent"));
    }
    ASSERT_EQ(RunConverter({picture_, output_}).status, 0);
    const std::string shown = dir_.File("shown.png");
    ASSERT_EQ(::symlink("/dev/stdout", shown.c_str()), 0);
    EXPECT_TRUE(FailsWith(RunRenderer({"-w", "24", "-c", "raw", output_, shown}, limits),
                          "Error, couldn't open \"" + shown + "\".\n", "/nonexistent"));
}

// The output's checks are made again when it is opened and put in place: a
// link to the picture swapped in while the converter waits for the
// picture's bytes, or on its full standard output between the opening (the
// symbols are out) and the commit, gets the picture refused, not overwritten.
TEST_F(Inherited, ALinkSwappedInNeverGetsAPictureOverwritten) {
    const std::string refused =
        "Error, output file \"" + output_ + "\" would overwrite a picture.\n";
    const std::string picture = unit::ReadWholeFile(picture_);
    const auto link = [&] { return ::symlink(picture_.c_str(), output_.c_str()) == 0; };
    const std::string fifo = dir_.File("fifo.png");
    const FifoWriter writer(fifo, picture, false, link);
    EXPECT_TRUE(FailsWith(RunConverter({fifo, output_}), refused, "/nonexistent"));
    const std::string tall = dir_.File("tall.psd");  // 600 pages of "Wrote" lines
    ASSERT_TRUE(unit::WriteWholeFile(tall, ValidPsd(1024, 1200)));
    ASSERT_EQ(::unlink(output_.c_str()), 0);
    Limits limits;
    limits.onStdout = [&](const std::string& out) {  // linked once the symbols are out
        return out.find("Symbol '") == std::string::npos || link() || errno == EEXIST;
    };
    EXPECT_TRUE(
        FailsWith(RunConverter({"-c", "raw", tall, output_}, limits), refused, "/nonexistent"));
    EXPECT_EQ(unit::ReadWholeFile(picture_), picture);
    EXPECT_EQ(unit::ListFolder(dir_.path()), "art.asm art.png fifo.png tall.psd");
}

// The renderer, its source given through a FIFO, meanwhile finds the
// picture's name a link to its -dimplane source (refused even with -f) or an
// existing file (refused without -f).
TEST_F(Inherited, TheRendererDecidesAgainWhenItWrites) {
    ASSERT_EQ(RunConverter({picture_, output_}).status, 0);
    const std::string source = unit::ReadWholeFile(output_);
    const std::string fifo = dir_.File("fifo.asm");
    const std::string view = dir_.File("view.png");
    for (const bool existing : {false, true}) {
        const FifoWriter writer(fifo, source, false, [&] {
            return existing ? unit::WriteWholeFile(view, "drawing")
                            : ::symlink(output_.c_str(), view.c_str()) == 0;
        });
        const Outcome run = RunRenderer(
            {existing ? "-q" : "-f", "-w", "24", "-c", "raw", "-dimplane", output_, fifo, view});
        const std::string why = existing ? "\" exists; give -f to replace it.\n"
                                         : "\" is the source \"" + output_ + "\".\n";
        EXPECT_TRUE(FailsWith(run, "Error, picture file \"" + view + why, "/nonexistent"));
        EXPECT_EQ(unit::ReadWholeFile(view), existing ? "drawing" : source);
        ASSERT_EQ(::unlink(fifo.c_str()) + ::unlink(view.c_str()), 0);
    }
}

// Under a file-size limit (`ulimit -f`) the renderer says it could not write,
// rather than die of SIGXFSZ unheard, and leaves nothing behind.
TEST_F(Inherited, TheRendererUnderAFileSizeLimitReportsTheWriteError) {
    ASSERT_EQ(RunConverter({picture_, output_}).status, 0);
    const std::string listed = unit::ListFolder(dir_.path());
    const std::string shown = dir_.File("shown.bmp");
    Limits limits;
    limits.fileSize = 100;
    const Outcome run = RunRenderer({"-w", "24", "-c", "raw", output_, shown}, limits);
    EXPECT_TRUE(FailsWith(run, WriteError(shown), shown));
    EXPECT_EQ(unit::ListFolder(dir_.path()), listed);
}

// The renderer replaces an existing file only with -f, and never a source,
// through whatever name it is reached.
TEST_F(Inherited, TheRendererNeverDestroysAFile) {
    ASSERT_EQ(RunConverter({picture_, output_}).status, 0);
    const auto render = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args = {"-w", "24", "-c", "raw"};
        args.insert(args.end(), more.begin(), more.end());
        return RunRenderer(args);
    };
    const std::string before = unit::ReadWholeFile(picture_);
    const Outcome kept = render({output_, picture_});
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err,
              "Error, picture file \"" + picture_ + "\" exists; give -f to replace it.\n");
    EXPECT_EQ(unit::ReadWholeFile(picture_), before);
    EXPECT_EQ(render({"-f", output_, picture_}).status, 0);
    EXPECT_NE(unit::ReadWholeFile(picture_), before);

    const std::string shown = dir_.File("shown.png");
    ASSERT_EQ(::symlink(output_.c_str(), shown.c_str()), 0);
    const std::string self = dir_.File("self.png");
    ASSERT_EQ(::link(output_.c_str(), self.c_str()), 0);
    const std::string source = unit::ReadWholeFile(output_);
    for (const auto& [args, named] :
         {std::pair{std::vector<std::string>{"-f", output_, shown}, shown},
          {{"-f", self, self}, self},
          {{"-f", output_, "-dimplane", self, self}, self}}) {
        const Outcome refused = render(args);
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("Error, picture file \"" + named + "\" is the source"),
                  std::string::npos)
            << refused.err;
        EXPECT_EQ(unit::ReadWholeFile(output_), source);
    }

    // A file behind /dev/fd/3, written in place, needs -f as much.
    const std::string view = dir_.File("view.png");
    ASSERT_EQ(::symlink("/dev/fd/3", view.c_str()), 0);
    const std::string drawing = dir_.File("drawing.png");
    ASSERT_TRUE(unit::WriteWholeFile(drawing, "the drawing"));
    Limits limits;
    limits.descriptor3 = drawing;
    EXPECT_TRUE(FailsWith(RunRenderer({"-w", "24", "-c", "raw", output_, view}, limits),
                          "Error, picture file \"" + view + "\" exists; give -f to replace it.\n",
                          "/nonexistent"));
    EXPECT_EQ(unit::ReadWholeFile(drawing), "the drawing");
    EXPECT_EQ(RunRenderer({"-f", "-w", "24", "-c", "raw", output_, view}, limits).status, 0);
    EXPECT_EQ(unit::LoadGreyPicture(drawing).height, 16);
}

}  // namespace
}  // namespace pelmo::hardening
