// Pictures that matter for their size: a named pipe that delivers more than
// the 64 KiB a pipe holds at once, so the converter reads it in many pieces;
// and a picture whose pixels fit the memory budget as decoded, but not with
// the 32-bit copy that its pixel format needs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "child_run.hpp"
#include "crafted_pictures.hpp"
#include "outcome_checks.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {
namespace {

TEST(LargeInput, ANamedPipeOfMoreThan64KiBConvertsLikeAFile) {
    const std::string picture = ValidPsd(200, 160);  // 96000 bytes of pixels
    ASSERT_GT(picture.size(), 65536u);
    const unit::TempDir dir;
    ASSERT_TRUE(unit::WriteWholeFile(dir.File("file.psd"), picture));
    const Outcome file = RunConverter({dir.File("file.psd"), dir.File("file.asm")});
    ASSERT_TRUE(CleanOutcome(file, dir.File("file.asm")));
    ASSERT_EQ(file.status, 0) << file.err;

    const std::string fifo = dir.File("pipe.psd");
    const FifoWriter writer(fifo, picture);
    ASSERT_TRUE(writer.started());
    Limits limits;
    limits.timeoutSeconds = 10;
    const Outcome pipe = RunConverter({fifo, dir.File("pipe.asm")}, limits);
    EXPECT_TRUE(CleanOutcome(pipe, dir.File("pipe.asm")));
    EXPECT_EQ(pipe.status, 0) << pipe.err;
    EXPECT_EQ(unit::ReadWholeFile(dir.File("pipe.asm")), unit::ReadWholeFile(dir.File("file.asm")));
}

// 8192 x 4096 pixels of 16 bits: 64 MiB as decoded and 4 MiB of plane fit
// the 150 MiB the converter may use (less its own 20 or so); the 128 MiB
// 32-bit copy does not, so the header alone refuses the picture.
TEST(LargeInput, TheThirtyTwoBitCopyAloneExceedsTheBudget) {
    if (ProgramsSanitized()) {
        GTEST_SKIP()
            << "under AddressSanitizer the limit bounds single allocations, not the budget";
    }
    const unit::TempDir dir;
    const std::string input = dir.File("rgb555.bmp");
    ASSERT_TRUE(unit::WriteWholeFile(input, BmpWithSize(8192, 4096, 16, 8192 * 2 * 4096)));
    Limits limits;
    limits.addressSpace = std::uint64_t{150} << 20;
    const Outcome run = RunConverter({"-c", "rle", input, dir.File("out.asm")}, limits);
    EXPECT_TRUE(FailsWith(run, "Error, not enough memory.\n", dir.File("out.asm")));
}

}  // namespace
}  // namespace pelmo::hardening
