// Files of many pages, and streams whose headers claim what they cannot
// hold: each ends at once, with one error line or with its frames, within a
// few seconds and a few hundred MiB of the whole process tree, whatever its
// headers make the walk or the library do.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "child_run.hpp"
#include "crafted_pictures.hpp"
#include "outcome_checks.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {
namespace {

struct HostileDocument {
    std::string name;
    std::string extension;
    std::vector<std::string> options;
    std::function<std::string()> contents;  // made when the test runs
    // A stream: `contents`, then this for ever; empty for a file.
    std::string filler;
    // The end of the one error line; empty for a file that converts.
    std::string error;
};

std::string Le(std::uint64_t v, int bytes) {
    std::string le;
    for (int i = 0; i < bytes; ++i) le += static_cast<char>(v >> (8 * i));
    return le;
}

// A BigTIFF of 16 x 16 pixels of 7.2 x 10^16 bits each (a LONG8).
std::string TiffOfAbsurdBits() {
    std::string tiff = "II+" + Le(0, 1) + Le(8, 2) + Le(0, 2) + Le(16, 8) + Le(7, 8);
    for (const auto [tag, type, value] : {std::array<std::uint64_t, 3>{256, 16, 16},
                                          {257, 16, 16},
                                          {258, 16, 72'000'000'000'000'000},
                                          {259, 3, 1},
                                          {273, 16, 1000},
                                          {277, 3, 1},
                                          {279, 16, 256}}) {
        tiff += Le(tag, 2) + Le(type, 2) + Le(1, 8) + Le(value, 8);
    }
    return tiff + Le(0, 8);
}

std::vector<HostileDocument> HostileCases() {
    const std::string limit = " (see -maxpixels).\n";
    const std::string zeros(1 << 16, '\0');
    return {
        {"tiff_pages_sharing_one_strip_list",
         ".tif",
         {"-frames", "all", "-maxpixels", "1"},
         [] { return TiffSharingOneStripList(11904, 500000); },
         "",
         limit},
        {"gif_of_65536_frames_of_1x1",
         ".gif",
         {"-frames", "all"},
         [] { return GifOfFrames(65536, 1); },
         "",
         "Error, height must be multiple of 8.\n"},
        {"gif_of_4000_frames_of_16x16",
         ".gif",
         {"-frames", "all"},
         [] { return GifOfFrames(4000, 16); },
         "",
         ""},
        {"gif_frame_larger_than_its_screen",
         ".gif",
         {"-frames", "all", "-maxpixels", "1000"},
         [] {
             std::string gif = GifWithSize(15000, 15000);
             gif.replace(6, 4, std::string("\x08\0\x08\0", 4));  // an 8 x 8 screen
             return gif;
         },
         "",
         "is 15000x15000 pixels, more than the limit of 1000" + limit},
        {"tiff_stream_of_absurd_bits",
         ".tif",
         {"-frames", "all"},
         TiffOfAbsurdBits,
         zeros,
         "Error, not enough memory.\n"},
        // A GIF's screen and one frame, then a comment whose sub-blocks never end.
        {"gif_stream_of_an_endless_comment",
         ".gif",
         {"-frames", "all"},
         [] {
             const std::string gif = GifOfFrames(1, 8);
             return gif.substr(0, gif.size() - 1) + "\x21\xFE";
         },
         std::string(1 << 16, '\xFF'),
         "Error, not enough memory.\n"},
        {"tiff_stream_of_a_directory_at_2_gib",
         ".tif",
         {},
         [] { return "II*" + Le(0, 1) + Le(0x80000000u, 4); },
         zeros,
         "Error, not enough memory.\n"},
        // The library cannot open it: no other refusal is made first.
        {"pcx_the_library_cannot_open",
         ".pcx",
         {},
         FourPlanePcx,
         "",
         "pcx_the_library_cannot_open.pcx\".\n"},
    };
}

void PrintTo(const HostileDocument& c, std::ostream* os) {
    *os << c.name;
}

class HostileDocuments : public ::testing::TestWithParam<HostileDocument> {};

TEST_P(HostileDocuments, EndWithinTheirBounds) {
    const HostileDocument& c = GetParam();
    const unit::TempDir dir;
    const std::string input = dir.File(c.name + c.extension);
    const std::string output = dir.File("out.asm");
    std::unique_ptr<FifoWriter> stream;
    if (c.filler.empty()) {
        ASSERT_TRUE(unit::WriteWholeFile(input, c.contents()));
    } else {
        stream = std::make_unique<FifoWriter>(input, c.filler, true, nullptr, c.contents());
        ASSERT_TRUE(stream->started());
    }
    Limits limits;
    limits.addressSpace = std::uint64_t{500} << 20;
    limits.timeoutSeconds = 60;
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {input, output});
    const Outcome run = RunConverter(args, limits);
    if (c.error.empty()) {
        EXPECT_TRUE(CleanOutcome(run, output));
    } else {
        EXPECT_TRUE(CleanFailure(run, output));
        EXPECT_TRUE(run.err.ends_with(c.error)) << run.err;
    }
    // The processor time of the converter and its decoder, which a machine
    // busy with other tests leaves as it is; the sanitizer's build is
    // several times slower: the bound holds for the programs users run.
    if (!ProgramsSanitized()) {
        EXPECT_LT(run.cpuSeconds, 3.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Crafted, HostileDocuments, ::testing::ValuesIn(HostileCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pelmo::hardening
