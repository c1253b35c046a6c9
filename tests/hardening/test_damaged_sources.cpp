// Damaged sources given to the built renderer: each is refused with status 1
// and one "Error, ..." line naming the source line at fault, and a picture
// already in place stays as it was, with nothing added beside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "child_run.hpp"
#include "outcome_checks.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {
namespace {

using Lines = std::vector<std::string>;

// A source's lines, without their line ends.
Lines Split(const std::string& text) {
    Lines lines;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = text.find('\n', pos);
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

// Adds `delta` to the value of a symbol line.
void Shift(std::string& symbol, long delta) {
    const std::size_t dollar = symbol.rfind('$');
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02lX",
                  std::stol(symbol.substr(dollar + 1), nullptr, 16) + delta);
    symbol = symbol.substr(0, dollar + 1) + digits;
}

struct Damage {
    const char* what;
    std::vector<std::string> convert;  // the converter's options
    std::function<void(Lines&)> damage;
    std::size_t line;                      // the line named, 0 for the last one
    std::string reason;                    // part of the error line
    std::vector<std::string> render = {};  // the renderer's options; by default -c and the codec
};

// A 40 × 64 picture: 320 packed bytes, two pages in every mode.
class DamagedSource : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<unit::TempDir>();
        ASSERT_TRUE(unit::SavePicture(dir_->File("in.png"), FIF_PNG, 40, 64, [](int x, int y) {
            const auto red = static_cast<std::uint8_t>((x * 5 + y * y) % 7 < 3 ? 255 : 0);
            return unit::Colour{red, red, red, 255};
        }));
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static std::unique_ptr<unit::TempDir> dir_;
};

std::unique_ptr<unit::TempDir> DamagedSource::dir_;

TEST_F(DamagedSource, IsRefusedWithItsLineAndNoPicture) {
    const std::vector<std::string> raw = {"-c", "raw"}, rle = {"-c", "rle", "-tc", "data"},
                                   bnp = {"-c", "bnp", "-tc", "include"},
                                   image = {"-c", "raw", "-tc", "image"};
    const auto drop = [](std::size_t line) {
        return [=](Lines& l) { l.erase(l.begin() + line - 1); };
    };
    const std::vector<Damage> cases = {
        {"a cut .db item", raw, [](Lines& l) { l.back().resize(l.back().size() - 2); }, 0,
         "bad .db item \"$\""},
        {"a byte too many", raw, [](Lines& l) { l.back() += ",$00"; }, 0,
         "more than the 320 bytes of the size symbol"},
        {"a byte too many", bnp, [](Lines& l) { l.back() += ",$FF"; }, 0,
         "bytes of the size symbol"},
        {"a byte missing", raw, [](Lines& l) { l.back().resize(l.back().size() - 4); }, 0,
         "holds 319 bytes"},
        {"a foreign header", raw, [](Lines& l) { l[0] = "; drawn by hand"; }, 1,
         "not a source written by PelmoImage"},
        {"a symbol missing", raw, drop(4), 5, "the start symbol is missing"},
        {"the flag missing", bnp, drop(6), 6, "the flag symbol is missing"},
        {"an unknown codec", bnp, [](Lines& l) { l[7] = "\t.include \"tablecode_lz.asm\""; }, 8,
         "no codec has the decoder"},
        {"a bad hex digit", raw, [](Lines& l) { l[6].replace(5, 3, "$1g"); }, 7,
         "bad .db item \"$1g\""},
        {"a byte of 256", raw, [](Lines& l) { l[6].replace(5, 3, "256"); }, 7,
         "bad .db item \"256\""},
        {"a packet too many", rle, [](Lines& l) { Shift(l[3], 1); }, 0,
         "the stream ends inside packet"},
        {"a packet too few", rle, [](Lines& l) { Shift(l[3], -1); }, 0, "packets end after"},
        {"a short page", raw,
         [](Lines& l) {
             l[21].resize(l[21].size() - 4);
             l[23].insert(5, "$00,");
         },
         23, "holds 255 bytes, not 256"},
        {"a lookup stub missing", image, drop(27), 27,
         "the lookup stub after the label is missing"},
        {"a start below 6 with -tc image", image, [](Lines& l) { Shift(l[4], -1); }, 5,
         "at least 6"},
        {"a picture too small",
         raw,
         [](Lines&) {},
         3,
         "320 bytes do not fit a 40x8 picture",
         {"-c", "raw", "-h", "8"}},
        {"no codec", raw, [](Lines&) {}, 7, "give it with -c", {"-h", "64"}},
        {"a byte that leaves a sprite byte without its mask byte",
         raw,
         [](Lines& l) {
             l.back().resize(l.back().size() - 4);
             Shift(l[2], -1);
         },
         3,
         "-plusmask data holds pairs, not 0 blank bytes and 319 more",
         {"-c", "raw", "-plusmask"}},
        // Structure, whatever the editing around it: what was expected, and where.
        {"a second source pasted after the first", raw,
         [](Lines& l) {
             const Lines first = l;
             l.insert(l.end(), first.begin(), first.end());
         },
         28, "a second source begins here"},
        {"the label missing, among comments and CRLF", raw,
         [](Lines& l) {
             for (std::size_t i = 1; i < l.size(); ++i) l[i] += " ; note";
             l[5] = "\t; the label was here";
             for (std::string& line : l) line += "\r";
         },
         7, "the data label is missing: expected \"NAME:\", found \".db $"},
        {"a line of 5000 characters", raw, [](Lines& l) { l[9] = std::string(5000, ' '); }, 10,
         "the line is longer than 4096 characters"},
        {"a stub line changed", image, [](Lines& l) { l[7] = "\treti ; and then?"; }, 8,
         "the lookup stub after the label is missing: expected \"ret\""},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ", -c " + c.convert[1]);
        const std::string source = dir_->File("damaged.asm");
        std::vector<std::string> convert = c.convert;
        convert.insert(convert.end(), {dir_->File("in.png"), source});
        ASSERT_EQ(RunConverter(convert).status, 0);
        Lines lines = Split(unit::ReadWholeFile(source));
        c.damage(lines);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        ASSERT_TRUE(unit::WriteWholeFile(source, text));

        const std::string picture = dir_->File("out.png");
        const std::string old = "a picture that a failed run must not touch\n";
        ASSERT_TRUE(unit::WriteWholeFile(picture, old));
        const std::string before = unit::ListFolder(dir_->path());
        // The codec named unless the include line names it.
        std::vector<std::string> render = c.render;
        if (render.empty() && c.convert != bnp) render = {"-c", c.convert[1]};
        render.insert(render.end(), {"-f", "-w", "40", source, picture});
        const Outcome run = RunRenderer(render);

        EXPECT_TRUE(CleanFailure(run, "/nonexistent"));
        const std::string at = "Error, \"" + source + "\" line " +
                               std::to_string(c.line != 0 ? c.line : lines.size()) + ": ";
        EXPECT_TRUE(run.err.starts_with(at)) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_EQ(unit::ReadWholeFile(picture), old);
        EXPECT_EQ(unit::ListFolder(dir_->path()), before);
    }
}

}  // namespace
}  // namespace pelmo::hardening
