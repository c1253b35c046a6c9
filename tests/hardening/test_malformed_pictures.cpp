// Damaged, empty, foreign and oversized pictures of every supported extension,
// run through the built converter under an address-space limit: each must end
// in one clean error line and status 1, never in a signal or a hang, and leave
// no output file behind (and an existing one untouched).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "child_run.hpp"
#include "crafted_pictures.hpp"
#include "outcome_checks.hpp"
#include "picture/picture_formats.hpp"
#include "support/unit_temp_dir.hpp"
#include "valid_pictures.hpp"

namespace pelmo::hardening {
namespace {

// Far below what decoding a claimed 100000 x 100000 picture would take, far
// above what a small picture needs.
constexpr std::uint64_t kMemoryLimit = std::uint64_t{512} << 20;

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 engine(seed);
    std::string bytes(count, '\0');
    for (char& b : bytes) b = static_cast<char>(engine() & 0xFF);
    return bytes;
}

class MalformedPicture : public ::testing::TestWithParam<std::string> {
  protected:
    // Writes `contents` as <stem><extension> and converts it to <stem>.asm.
    Outcome Convert(const std::string& stem, const std::string& contents) {
        input_ = dir_.File(stem + GetParam());
        output_ = dir_.File(stem + ".asm");
        EXPECT_TRUE(unit::WriteWholeFile(input_, contents));
        Limits limits;
        limits.addressSpace = kMemoryLimit;
        return RunConverter({input_, output_}, limits);
    }

    unit::TempDir dir_;
    std::string input_;
    std::string output_;
};

// The valid picture converts: every damage below starts from a file that works.
TEST_P(MalformedPicture, ValidPictureConverts) {
    const Outcome run = Convert("valid", ValidPicture(GetParam()));
    EXPECT_TRUE(run.exited && run.status == 0) << run.Describe() << "\n" << run.err;
    EXPECT_NE(run.out.find("Loaded 24x24 image."), std::string::npos) << run.out;
}

// A named pipe is read once, like a file, and converts like one: nothing
// opens it a second time and waits for a writer that never comes.
TEST_P(MalformedPicture, ANamedPipeConvertsLikeAFile) {
    const Outcome file = Convert("valid", ValidPicture(GetParam()));
    ASSERT_TRUE(CleanOutcome(file, output_));
    const std::string fromFile = unit::ReadWholeFile(output_);
    const std::string fifo = dir_.File("pipe" + GetParam());
    const std::string output = dir_.File("pipe.asm");
    const FifoWriter writer(fifo, ValidPicture(GetParam()));
    ASSERT_TRUE(writer.started());
    Limits limits;
    limits.timeoutSeconds = 10;
    const Outcome run = RunConverter({fifo, output}, limits);
    EXPECT_TRUE(CleanOutcome(run, output));
    EXPECT_EQ(unit::ReadWholeFile(output), fromFile);
    // Cut short, it is refused as the file is: nothing read past its end.
    const std::string cut = dir_.File("cut" + GetParam());
    const std::string& valid = ValidPicture(GetParam());
    const FifoWriter half(cut, valid.substr(0, valid.size() / 2));
    ASSERT_TRUE(half.started());
    EXPECT_TRUE(LoaderFailure(RunConverter({cut, dir_.File("cut.asm")}, limits), cut,
                              dir_.File("cut.asm")));
}

TEST_P(MalformedPicture, EmptyFileFailsToOpen) {
    const Outcome run = Convert("empty", "");
    EXPECT_TRUE(FailsWith(run, OpenImageError(input_), output_));
}

// A picture cut anywhere is refused, unless what the cut leaves is still the
// whole picture (a TGA without its footer): no decoder may fill in what the
// file does not hold and report success.
TEST_P(MalformedPicture, TruncatedFileIsRefusedOrWhole) {
    const std::string& valid = ValidPicture(GetParam());
    const Outcome whole = Convert("whole", valid);
    ASSERT_TRUE(CleanOutcome(whole, output_));
    const std::string expected = unit::ReadWholeFile(output_);
    std::set<std::size_t> cuts = {1, 4, 8, 12, 20, valid.size() - 1};
    for (const std::size_t part : {16, 8, 4, 2}) cuts.insert(valid.size() / part);
    cuts.insert(valid.size() * 3 / 4);
    for (std::size_t tail = 2; tail <= 64 && tail < valid.size(); tail *= 2) {
        cuts.insert(valid.size() - tail);
    }
    for (const std::size_t cut : cuts) {
        const Outcome run = Convert("cut" + std::to_string(cut), valid.substr(0, cut));
        if (run.status == 0) {
            EXPECT_TRUE(CleanOutcome(run, output_)) << "cut at " << cut;
            EXPECT_EQ(unit::ReadWholeFile(output_), expected)
                << "cut at " << cut << " of " << valid.size() << " converted to other pixels";
        } else {
            EXPECT_TRUE(LoaderFailure(run, input_, output_)) << "cut at " << cut;
        }
    }
}

// A 256-colour PCX ends with its palette after a 0x0C byte; one whose
// palette is not there is damaged, whatever its pixels say.
TEST(MalformedPcx, APaletteWithoutItsMarkerIsRefused) {
    std::string pcx = ValidPicture(".pcx");
    pcx[pcx.size() - 769] = '\x0D';
    const unit::TempDir dir;
    const std::string input = dir.File("nomarker.pcx");
    ASSERT_TRUE(unit::WriteWholeFile(input, pcx));
    EXPECT_TRUE(FailsWith(RunConverter({input, dir.File("out.asm")}), OpenImageError(input),
                          dir.File("out.asm")));
}

// A BigTIFF reads like the classic TIFF of the same pixels, and one whose
// strip is cut short is refused like it.
TEST(MalformedTiff, ABigTiffConvertsLikeItsClassicTwin) {
    const unit::TempDir dir;
    std::string sources[2];
    for (const TiffKind kind : {TiffKind::Classic, TiffKind::Big}) {
        const std::string tiff = ValidTiff(24, 16, kind);
        const std::string input = dir.File("whole.tif");
        const std::string output = dir.File("out.asm");
        ASSERT_TRUE(unit::WriteWholeFile(input, tiff));
        EXPECT_TRUE(CleanOutcome(RunConverter({input, output}), output));
        sources[kind == TiffKind::Big] = unit::ReadWholeFile(output);
        const std::string cut = dir.File("cut.tif");
        ASSERT_TRUE(unit::WriteWholeFile(cut, tiff.substr(0, tiff.size() - 100)));
        EXPECT_TRUE(FailsWith(RunConverter({cut, dir.File("cut.asm")}), OpenImageError(cut),
                              dir.File("cut.asm")));
    }
    EXPECT_FALSE(sources[0].empty());
    EXPECT_EQ(sources[1], sources[0]);
}

TEST_P(MalformedPicture, RandomBytesFailToOpen) {
    for (const std::size_t size : {17, 600, 5000}) {
        const Outcome run =
            Convert("random" + std::to_string(size), RandomBytes(size, 1234 + size));
        EXPECT_TRUE(FailsWith(run, OpenImageError(input_), output_)) << size << " random bytes";
    }
}

// The decoder is chosen by the extension alone, so another format's file is
// damaged input to it.
TEST_P(MalformedPicture, OtherFormatsFailToOpen) {
    const auto decoder = [](const std::string& extension) {
        return FindPictureExtension(extension)->format;
    };
    for (const std::string& other : Extensions()) {
        const std::string& contents = ValidPicture(other);
        if (decoder(other) == decoder(GetParam())) continue;  // .jpg and .jpeg, .tif and .tiff
        const Outcome run = Convert("other" + other.substr(1), contents);
        EXPECT_TRUE(FailsWith(run, OpenImageError(input_), output_)) << other << " contents";
    }
}

TEST_P(MalformedPicture, ExistingOutputIsLeftAlone) {
    const std::string kept = "\t; an earlier conversion\n";
    output_ = dir_.File("random.asm");
    ASSERT_TRUE(unit::WriteWholeFile(output_, kept));
    input_ = dir_.File("random" + GetParam());
    ASSERT_TRUE(unit::WriteWholeFile(input_, RandomBytes(700, 99)));
    Limits limits;
    limits.addressSpace = kMemoryLimit;
    const Outcome run = RunConverter({"-c", "rle", input_, output_}, limits);
    EXPECT_TRUE(run.exited && run.status == 1) << run.Describe();
    EXPECT_EQ(run.err, OpenImageError(input_));
    EXPECT_EQ(unit::ReadWholeFile(output_), kept);
}

INSTANTIATE_TEST_SUITE_P(EveryExtension, MalformedPicture, ::testing::ValuesIn(Extensions()),
                         [](const auto& info) { return info.param.substr(1); });

}  // namespace
}  // namespace pelmo::hardening
