// Dithering measured through both programs: pictures converted (both planes)
// and rendered in three tones, the displayed levels compared with the
// source's values; the renderer's previews and its word on a height it
// guesses.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/driver.hpp"
#include "app/render_driver.hpp"
#include "support/unit_console.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::test {
namespace {

using Args = std::vector<std::string>;
using Value = std::function<int(int x, int y)>;

// A grey picture of `value` in `dir`.
std::string Grey(const unit::TempDir& dir, int width, int height, const Value& value) {
    EXPECT_TRUE(unit::SavePicture(dir.File("in.png"), FIF_PNG, width, height, [&](int x, int y) {
        const auto v = static_cast<std::uint8_t>(value(x, y));
        return unit::Colour{v, v, v};
    }));
    return dir.File("in.png");
}

// `picture` converted into both planes with -dims and `options`, and shown
// in three tones (-dimplane) with `render`.
unit::GreyPixels ThreeTones(const unit::TempDir& dir, const std::string& picture,
                            const Args& options, Args render = {}) {
    unit::ConsoleText console;
    for (const std::string plane : {"full", "dim"}) {
        Args convert = options;
        if (plane == "dim") convert.push_back("-dim");
        convert.insert(convert.end(), {"-q", "-dims", picture, dir.File(plane + ".asm")});
        EXPECT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
    }
    render.insert(render.end(), {"-q", "-f", "-c", "raw", dir.File("full.asm"), "-dimplane",
                                 dir.File("dim.asm"), dir.File("shown.png")});
    EXPECT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
    return unit::LoadGreyPicture(dir.File("shown.png"));
}

// A photo-like picture: a sky paling downwards, a shaded ball, rolling
// ground, and grain.
int Photo(int x, int y) {
    double v = 60 + 130.0 * y / 80;
    const double dx = (x - 52) / 30.0, dy = (y - 44) / 30.0;
    if (dx * dx + dy * dy < 1) {
        v = 20 +
            235 * std::max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * std::sqrt(1 - dx * dx - dy * dy));
    } else if (y > 80 + 6 * std::sin(x / 11.0)) {
        v = 110 + 60 * std::sin(x / 7.0) * std::cos(y / 5.0);
    }
    return std::clamp(static_cast<int>(v) + (x * 7919 + y * 104729) % 17 - 8, 0, 255);
}

// The mean of the displayed tones (0, 128, 255) over every 8 x 8 block stays
// within 1/16 of the range (16) of the source's mean there with fs and both
// Bayer matrices, within 1/8 (32) with Atkinson, which drops a quarter of
// every error; on a gradient and a photo-like picture made here. Without
// dithering the measure is printed for comparison.
TEST(Dithering, KeepsTheMeanOfEveryBlock) {
    const unit::TempDir dir;
    const std::tuple<const char*, int, int, Value> pictures[] = {
        {"gradient", 256, 32, [](int x, int) { return x; }}, {"photo", 160, 120, Photo}};
    const std::pair<const char*, double> methods[] = {
        {"none", 0}, {"fs", 16}, {"atkinson", 32}, {"bayer4", 16}, {"bayer8", 16}};
    for (const auto& [name, width, height, value] : pictures) {
        const std::string picture = Grey(dir, width, height, value);
        for (const auto& [method, bound] : methods) {
            SCOPED_TRACE(std::string(name) + " " + method);
            const unit::GreyPixels shown = ThreeTones(dir, picture, {"-dither", method});
            ASSERT_EQ(shown.values.size(), std::size_t(width * height));
            double worst = 0;
            for (int block = 0; block < width * height / 64; ++block) {
                double off = 0;
                for (int i = 0; i < 64; ++i) {
                    const int x = block % (width / 8) * 8 + i % 8,
                              y = block / (width / 8) * 8 + i / 8;
                    off += shown.values[std::size_t(y * width + x)] - value(x, y);
                }
                worst = std::max(worst, std::abs(off) / 64);
            }
            std::printf("%-8s %-8s worst 8x8 block mean off by %5.1f of 255\n", name, method,
                        worst);
            if (bound > 0) {
                EXPECT_LE(worst, bound);
            }
        }
    }
}

// Each frame is dithered as a picture of its own: a sheet of four copies of
// a frame shows four copies of the frame dithered alone. -invert swaps off
// and full of the same tones; -zoom shows each pixel as a square.
TEST(Dithering, FramesOnTheirOwnInvertAndZoom) {
    const unit::TempDir dir;
    const int w = 20, h = 16;
    for (const char* method : {"fs", "atkinson", "bayer4", "bayer8"}) {
        SCOPED_TRACE(method);
        const Args dither = {"-dither", method};
        const std::string sheet =
            Grey(dir, 2 * w, 2 * h, [](int x, int y) { return (x % w * 13 + y % h * 5) % 256; });
        const unit::GreyPixels frames =
            ThreeTones(dir, sheet, {"-dither", method, "-frames", "20x16"}, {"-w", "40"});
        const std::string frame =
            Grey(dir, w, h, [](int x, int y) { return (x * 13 + y * 5) % 256; });
        const unit::GreyPixels alone = ThreeTones(dir, frame, dither);
        const unit::GreyPixels negative = ThreeTones(dir, frame, {"-dither", method, "-invert"});
        const unit::GreyPixels zoomed = ThreeTones(dir, frame, dither, {"-zoom", "3"});
        ASSERT_EQ(frames.values.size(), std::size_t(4 * w * h));
        ASSERT_EQ(zoomed.values.size(), std::size_t(9 * w * h));
        for (int i = 0; i < 4 * w * h; ++i) {
            const int x = i % (2 * w), y = i / (2 * w);
            const std::uint8_t v = alone.values[std::size_t(y % h * w + x % w)];
            ASSERT_EQ(frames.values[std::size_t(i)], v) << x << "," << y;
            if (x >= w || y >= h) continue;
            ASSERT_EQ(negative.values[std::size_t(y * w + x)], v == 128 ? 128 : 255 - v);
            for (int k = 0; k < 9; ++k) {
                ASSERT_EQ(zoomed.values[std::size_t((3 * y + k / 3) * 3 * w + 3 * x + k % 3)], v);
            }
        }
    }
}

// A height neither -h nor a symbol gives is a guess when -etrim may have cut
// blank bytes from the data's end: the renderer says so in one line and
// writes the picture; data that ends in a blank byte, or whose start nothing
// was trimmed from, says its height. A
// codec comment that names another codec than -c, zooms out of 1 to 16 and
// enlarged pictures over the pixel limit are refused.
TEST(RenderDriver, GuessedHeightsAndRefusals) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    // 8 x 24, one lit pixel at the top left: -etrim keeps three bytes.
    const std::string dot = Grey(dir, 8, 24, [](int x, int y) { return x + y == 0 ? 255 : 0; });
    for (const Args& convert :
         {Args{"-etrim", dot, dir.File("etrim.asm")}, Args{"-strim", dot, dir.File("strim.asm")},
          Args{"-c", "best", dot, dir.File("best.asm")}}) {
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0);
    }
    // The top right pixel lit instead: the last byte, nothing trimmed.
    const std::string corner = Grey(dir, 8, 24, [](int x, int y) { return x - y == 7 ? 255 : 0; });
    ASSERT_EQ(unit::RunEntry(RunConversion, {corner, dir.File("whole.asm")}, console), 0);
    const std::string trimmed = dir.File("etrim.asm");
    const std::pair<Args, std::string> cases[] = {
        {{trimmed},
         "Warning, the height of \"" + trimmed +
             "\" is a guess: 8 rows hold its data, and -etrim may have cut more from its end; "
             "give -h (or convert with -dims) to be sure.\n"},
        {{"-h", "24", trimmed}, ""},
        {{dir.File("strim.asm")}, ""},
        {{dir.File("whole.asm")}, ""},
    };
    for (const auto& [source, warning] : cases) {
        Args render = {"-q", "-f", "-w", "8", "-c", "raw", dir.File("shown.png")};
        render.insert(render.end() - 1, source.begin(), source.end());
        EXPECT_EQ(unit::RunEntry(RunRender, render, console), 0);
        EXPECT_EQ(console.err, warning);
    }
    // Its bit2xp stream is the smallest.
    const std::string best = dir.File("best.asm");
    EXPECT_EQ(unit::RunEntry(RunRender, {"-w", "8", "-c", "rle", best, dir.File("c.png")}, console),
              1);
    EXPECT_EQ(console.err,
              "Error, \"" + best + "\" line 2: the codec comment names bit2xp, not rle.\n");
    // The pixel limit counts the enlarged picture.
    EXPECT_EQ(unit::RunEntry(RunRender,
                             {"-zoom", "16", "-maxpixels", "49151", "-h", "24", "-w", "8", "-c",
                              "raw", trimmed, dir.File("z.png")},
                             console),
              1);
    EXPECT_EQ(console.err,
              "Error, the picture would be 128x384 pixels, more than the limit of "
              "49151 (see -maxpixels).\n");
    for (const char* zoom : {"0", "17", "2x"}) {
        EXPECT_EQ(unit::RunEntry(RunRender, {"-zoom", zoom, trimmed, dir.File("z.png")}, console),
                  1);
        EXPECT_TRUE(console.err.starts_with("Error, invalid zoom \"" + std::string(zoom) +
                                            "\"\nUsage: pelmoimage-render"))
            << console.err;
    }
}

// The README's dithering and -tones pictures are what the two programs make now.
TEST(RenderDocs, DitheringPicturesAreUpToDate) {
    const unit::TempDir dir;
    for (const std::string picture : {"gradient", "photo"}) {
        for (const std::string method : {"none", "fs", "atkinson", "bayer4", "bayer8"}) {
            const std::string name = picture + "_" + (method == "none" ? "plain" : method) + ".png";
            Args options = {"-dither", method};
            if (picture == "photo") options.push_back("-luma");
            const unit::GreyPixels fresh =
                ThreeTones(dir, PELMO_DOCS_DIR "/" + picture + ".png", options, {"-zoom", "2"});
            EXPECT_TRUE(unit::SameAsCommitted(fresh, PELMO_DOCS_DIR, name));
        }
    }
    for (const Args& options : {Args{}, Args{"-tones", "102810,70a850,c8f0a0"}}) {
        const unit::GreyPixels fresh =
            ThreeTones(dir, PELMO_DOCS_DIR "/greens.png", options, {"-zoom", "3"});
        EXPECT_TRUE(unit::SameAsCommitted(
            fresh, PELMO_DOCS_DIR, options.empty() ? "greens_plain.png" : "greens_tones.png"));
    }
}

}  // namespace
}  // namespace pelmo::test
