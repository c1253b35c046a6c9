// Dithering measured through both programs: pictures made here, converted
// (both planes) and rendered in three tones, the displayed levels compared
// with the source's values; the renderer's previews and its word on a
// height it guesses.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
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
using Value = std::function<std::uint8_t(int x, int y)>;

int Program(int (*program)(int, const char* const*, const ClosedStreams&), const Args& args,
            unit::ConsoleText& console) {
    std::vector<const char*> argv{"program"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    int status = -1;
    console = unit::CaptureConsole(
        [&] { status = program(static_cast<int>(argv.size()), argv.data(), {}); });
    return status;
}

// A grey picture of `value`, converted into both planes with `options` and
// rendered in three tones (-dimplane) with `render`; its grey levels.
unit::GreyPixels ThreeTones(const unit::TempDir& dir, int width, int height, const Value& value,
                            const Args& options, const Args& render = {}) {
    const std::string picture = dir.File("in.png");
    EXPECT_TRUE(unit::SavePicture(picture, FIF_PNG, width, height, [&](int x, int y) {
        const std::uint8_t v = value(x, y);
        return unit::Colour{v, v, v};
    }));
    unit::ConsoleText console;
    for (const std::string plane : {"full", "dim"}) {
        Args convert = options;
        if (plane == "dim") convert.push_back("-dim");
        convert.insert(convert.end(), {"-q", picture, dir.File(plane + ".asm")});
        EXPECT_EQ(Program(RunConversion, convert, console), 0) << console.err;
    }
    Args args = {"-q", "-f",
                 "-c", "raw",
                 "-w", std::to_string(width),
                 "-h", std::to_string((height + 7) / 8 * 8)};
    args.insert(args.end(), render.begin(), render.end());
    args.insert(args.end(),
                {dir.File("full.asm"), "-dimplane", dir.File("dim.asm"), dir.File("shown.png")});
    EXPECT_EQ(Program(RunRender, args, console), 0) << console.err;
    return unit::LoadGreyPicture(dir.File("shown.png"));
}

// A photo-like picture: a sky paling downwards, a shaded ball, rolling
// ground, and grain.
std::uint8_t Photo(int x, int y) {
    double v = 60 + 130.0 * y / 80;
    const double dx = (x - 52) / 30.0, dy = (y - 44) / 30.0;
    if (dx * dx + dy * dy < 1) {
        const double light = -0.5 * dx - 0.6 * dy + 0.62 * std::sqrt(1 - dx * dx - dy * dy);
        v = 20 + 235 * std::max(0.0, light);
    } else if (y > 80 + 6 * std::sin(x / 11.0)) {
        v = 110 + 60 * std::sin(x / 7.0) * std::cos(y / 5.0);
    }
    const int grain = static_cast<int>((x * 7919 + y * 104729) % 17) - 8;
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v) + grain, 0, 255));
}

// The mean of the displayed tones (0, 128, 255) over every 8 x 8 block stays
// within 1/16 of the range (16) of the source's mean there with fs and both
// Bayer matrices, within 1/8 (32) with Atkinson, which drops a quarter of
// every error. Without dithering the measure is printed for comparison.
TEST(Dithering, KeepsTheMeanOfEveryBlock) {
    const unit::TempDir dir;
    const struct {
        const char* name;
        int width;
        int height;
        Value value;
    } pictures[] = {{"gradient", 256, 32, [](int x, int) { return std::uint8_t(x); }},
                    {"photo", 160, 120, Photo}};
    const std::pair<const char*, double> methods[] = {
        {"none", 0}, {"fs", 16}, {"atkinson", 32}, {"bayer4", 16}, {"bayer8", 16}};
    for (const auto& picture : pictures) {
        for (const auto& [method, bound] : methods) {
            SCOPED_TRACE(std::string(picture.name) + " " + method);
            const unit::GreyPixels shown =
                ThreeTones(dir, picture.width, picture.height, picture.value, {"-dither", method});
            ASSERT_EQ(shown.values.size(), std::size_t(picture.width * picture.height));
            double worst = 0;
            for (int by = 0; by < picture.height; by += 8) {
                for (int bx = 0; bx < picture.width; bx += 8) {
                    double off = 0;
                    for (int y = by; y < by + 8; ++y) {
                        for (int x = bx; x < bx + 8; ++x) {
                            off += shown.values[std::size_t(y * picture.width + x)] -
                                   static_cast<double>(picture.value(x, y));
                        }
                    }
                    worst = std::max(worst, std::abs(off) / 64);
                }
            }
            std::printf("%-8s %-8s worst 8x8 block mean off by %5.1f of 255\n", picture.name,
                        method, worst);
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
    const Value frame = [](int x, int y) { return std::uint8_t((x * 13 + y * 5) % 256); };
    for (const char* method : {"fs", "atkinson", "bayer4", "bayer8"}) {
        SCOPED_TRACE(method);
        const Args dither = {"-dither", method};
        const unit::GreyPixels alone = ThreeTones(dir, w, h, frame, dither);
        const unit::GreyPixels sheet =
            ThreeTones(dir, 2 * w, 2 * h, [&](int x, int y) { return frame(x % w, y % h); },
                       {"-dither", method, "-frames", "20x16"}, {"-frames", "20x16"});
        Args inverted = dither;
        inverted.push_back("-invert");
        const unit::GreyPixels negative = ThreeTones(dir, w, h, frame, inverted);
        const unit::GreyPixels zoomed = ThreeTones(dir, w, h, frame, dither, {"-zoom", "3"});
        ASSERT_EQ(sheet.values.size(), std::size_t(4 * w * h));
        ASSERT_EQ(zoomed.values.size(), std::size_t(9 * w * h));
        for (int y = 0; y < 2 * h; ++y) {
            for (int x = 0; x < 2 * w; ++x) {
                const std::uint8_t v = alone.values[std::size_t(y % h * w + x % w)];
                ASSERT_EQ(sheet.values[std::size_t(y * 2 * w + x)], v) << x << "," << y;
                if (x >= w || y >= h) continue;
                ASSERT_EQ(negative.values[std::size_t(y * w + x)], v == 128 ? 128 : 255 - v);
                for (int k = 0; k < 9; ++k) {
                    ASSERT_EQ(zoomed.values[std::size_t((3 * y + k / 3) * 3 * w + 3 * x + k % 3)],
                              v);
                }
            }
        }
    }
}

// A height neither -h nor a symbol gives is a guess when -etrim may have cut
// blank bytes from the data's end: the renderer says so in one line and
// writes the picture; data that ends in a blank byte says its height.
TEST(RenderDriver, GuessedHeightsAndZoomsRefused) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    // 8 x 24, one lit pixel at the top left: -etrim keeps three bytes.
    ASSERT_TRUE(unit::SavePicture(dir.File("dot.png"), FIF_PNG, 8, 24, [](int x, int y) {
        return x + y == 0 ? unit::Colour{255, 255, 255} : unit::Colour{};
    }));
    for (const std::string trim : {"etrim", "strim"}) {
        const Args convert = {"-q", "-" + trim, dir.File("dot.png"), dir.File(trim + ".asm")};
        ASSERT_EQ(Program(RunConversion, convert, console), 0);
    }
    const std::string trimmed = dir.File("etrim.asm");
    const std::pair<Args, std::string> cases[] = {
        {{trimmed},
         "Warning, the height of \"" + trimmed +
             "\" is a guess: 8 rows hold its data, and -etrim may have cut more from its end; "
             "give -h (or convert with -dims) to be sure.\n"},
        {{"-h", "24", trimmed}, ""},
        {{dir.File("strim.asm")}, ""},
    };
    for (const auto& [source, warning] : cases) {
        Args render = {"-q", "-f", "-w", "8", "-c", "raw"};
        render.insert(render.end(), source.begin(), source.end());
        render.push_back(dir.File("shown.png"));
        EXPECT_EQ(Program(RunRender, render, console), 0);
        EXPECT_EQ(console.err, warning);
    }
    for (const char* zoom : {"0", "17", "2x"}) {
        EXPECT_EQ(Program(RunRender, {"-zoom", zoom, trimmed, dir.File("z.png")}, console), 1);
        EXPECT_TRUE(console.err.starts_with("Error, invalid zoom \"" + std::string(zoom) +
                                            "\"\nUsage: pelmoimage-render"))
            << console.err;
    }
}

// The README's dithering pictures are what the two programs make now.
TEST(RenderDocs, DitheringPicturesAreUpToDate) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    for (const char* picture : {"gradient", "photo"}) {
        for (const char* method : {"plain", "fs", "atkinson", "bayer4", "bayer8"}) {
            const std::string name = std::string(picture) + "_" + method + ".png";
            SCOPED_TRACE(name);
            Args render = {"-q", "-f", "-zoom", "2", "-c", "raw"};
            for (const char* plane : {"", "-dim"}) {
                Args convert = {"-q", "-dims", PELMO_DOCS_DIR "/" + std::string(picture) + ".png",
                                dir.File(plane + std::string("p.asm"))};
                if (*plane != 0) convert.push_back(plane);
                if (std::string(method) != "plain")
                    convert.insert(convert.end(), {"-dither", method});
                if (std::string(picture) == "photo") convert.push_back("-luma");
                ASSERT_EQ(Program(RunConversion, convert, console), 0) << console.err;
            }
            render.insert(render.end(),
                          {dir.File("p.asm"), "-dimplane", dir.File("-dimp.asm"), dir.File(name)});
            ASSERT_EQ(Program(RunRender, render, console), 0) << console.err;
            const unit::GreyPixels fresh = unit::LoadGreyPicture(dir.File(name));
            const unit::GreyPixels committed = unit::LoadGreyPicture(PELMO_DOCS_DIR "/" + name);
            EXPECT_GT(fresh.width, 0);
            EXPECT_TRUE(fresh.width == committed.width && fresh.values == committed.values)
                << "docs/" << name << " is out of date: make it as the README shows";
        }
    }
}

}  // namespace
}  // namespace pelmo::test
