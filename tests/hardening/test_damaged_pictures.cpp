// Pictures whose data the decoders lose (a corrupt deflate or LZW strip, a
// JPEG or GIF whose data stops early) are refused like any picture that
// cannot be opened; faults that lose no pixel (stray bytes before a JPEG
// marker, unknown TIFF tags, a bad ancillary PNG chunk, bytes after the end)
// leave the conversion exactly as from the undamaged twin; and a grey and
// alpha picture whose alpha the image library drops is refused with -alpha
// and -mask. The files are made from valid pictures when the test runs.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "child_run.hpp"
#include "outcome_checks.hpp"
#include "support/unit_temp_dir.hpp"
#include "written_pictures.hpp"

namespace pelmo::hardening {
namespace {

class DamagedPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedPicture, LostDataIsRefusedAndHarmlessFaultsConvertAsTheTwin) {
    const unit::TempDir dir;
    std::map<std::string, std::string> sources;  // of the pictures that convert, by name
    for (const WrittenPicture& picture : WritePictures(dir.path(), "damaged", GetParam())) {
        SCOPED_TRACE(picture.Describe());
        const std::string output = dir.File(picture.name + ".asm");
        const Outcome run = RunConverter({picture.path, output});
        if (picture.expect == "refuse") {
            EXPECT_TRUE(FailsWith(run, OpenImageError(picture.path), output));
            continue;
        }
        EXPECT_TRUE(run.exited && run.status == 0 && CleanOutcome(run, output))
            << run.Describe() << ": " << run.err;
        sources[picture.name] = unit::ReadWholeFile(output);
        if (picture.expect.starts_with("same:")) {
            EXPECT_EQ(sources[picture.name], sources.at(picture.expect.substr(5)))
                << "converted other than " << picture.expect.substr(5);
        }
        if (picture.expect != "alpha-dropped") continue;
        for (const char* option : {"-alpha", "-mask"}) {
            const std::string refused = dir.File("refused.asm");
            EXPECT_TRUE(FailsWith(RunConverter({option, picture.path, refused}),
                                  AlphaDroppedError(picture.path), refused))
                << option;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DamagedPicture,
                         ::testing::Values(".png", ".jpg", ".tif", ".gif", ".psd"),
                         [](const auto& info) { return std::string(info.param + 1); });

}  // namespace
}  // namespace pelmo::hardening
