#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/tone_map.hpp"
#include "support/unit_console.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_plane.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo {
namespace {

using unit::CaptureConsole;
using unit::Colour;
using unit::ConsoleText;
using unit::PixelDepth;
using unit::SavePicture;
using unit::TempDir;

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{255, 255, 255};
constexpr Colour kGrey{128, 128, 128};

Colour Red(std::uint8_t r) {
    return Colour{r, 0, 0};
}

struct LoadOutcome {
    bool ok = false;
    ConsoleText console;
};

LoadOutcome LoadInto(ImgToneMap& map, const std::string& fileName) {
    LoadOutcome loaded;
    loaded.console = CaptureConsole([&] { loaded.ok = map.Load(fileName); });
    return loaded;
}

// A failed Load prints exactly one line on standard error and nothing else.
void ExpectLoadFails(ImgToneMap& map, const std::string& fileName, const std::string& line) {
    SCOPED_TRACE(fileName);
    const LoadOutcome loaded = LoadInto(map, fileName);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.console.out, "");
    EXPECT_EQ(loaded.console.err, line);
}

// A successful Load prints nothing, not even a message of the image library.
void ExpectLoads(ImgToneMap& map, const std::string& fileName) {
    SCOPED_TRACE(fileName);
    const LoadOutcome loaded = LoadInto(map, fileName);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.console.out, "");
    EXPECT_EQ(loaded.console.err, "");
}

class ToneMapLoad : public testing::Test {
  protected:
    // Saves a picture and returns its path.
    std::string Save(const std::string& name, FREE_IMAGE_FORMAT format, int width, int height,
                     const unit::PixelFunction& pixel, PixelDepth depth = PixelDepth::Rgb24) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(SavePicture(path, format, width, height, pixel, depth)) << path;
        return path;
    }
    // A 16 × 8 PNG, full on the left half, off on the right.
    std::string SaveHalfLit(const std::string& name, FREE_IMAGE_FORMAT format = FIF_PNG) {
        return Save(name, format, 16, 8, [](int x, int) { return x < 8 ? kWhite : kBlack; });
    }
    static void ExpectHalfLit(const std::string& path) {
        const unit::LoadedTones loaded = Tones(path);
        ASSERT_EQ(loaded.width, 16);
        ASSERT_EQ(loaded.height, 8);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 16; ++x) EXPECT_EQ(loaded.tones[y * 16 + x], x < 8 ? 2 : 0);
        }
    }
    // Loads `path` for both planes, silently.
    static unit::LoadedTones Tones(const std::string& path) {
        unit::LoadedTones loaded = unit::LoadTones(path);
        EXPECT_TRUE(loaded.ok) << path;
        EXPECT_EQ(loaded.out + loaded.err, "") << path;
        EXPECT_EQ(loaded.tones.size(), static_cast<std::size_t>(loaded.width * loaded.height));
        return loaded;
    }

    TempDir dir_;
};

TEST_F(ToneMapLoad, RedComponentDecidesTheToneLevel) {
    // Row 0: the thresholds; row 1: colours whose other components differ.
    const std::vector<Colour> rows[2] = {
        {Red(0), Red(127), Red(128), Red(191), Red(192), Red(255), kBlack},
        {Colour{0, 255, 0}, Colour{0, 0, 255}, Colour{255, 0, 0}, kWhite, kGrey,
         Colour{127, 255, 255}, Colour{192, 0, 255}},
    };
    const std::uint8_t expected[2][7] = {{0, 0, 1, 1, 2, 2, 0}, {0, 0, 2, 2, 1, 0, 2}};
    const std::string path = Save("tones.png", FIF_PNG, 7, 8, [&](int x, int y) {
        return y < 2 ? rows[y][static_cast<std::size_t>(x)] : kBlack;
    });
    const unit::LoadedTones map = Tones(path);
    ASSERT_EQ(map.width, 7);
    ASSERT_EQ(map.height, 8);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(map.tones[y * 7 + x], expected[y][x]) << "x " << x << " y " << y;
        }
    }
}

TEST_F(ToneMapLoad, EveryRedValueFromAPalettePicture) {
    // 256 columns, one red value each; a palette picture goes through conversion.
    const std::string path = Save(
        "ramp.gif", FIF_GIF, 256, 8,
        [](int x, int) {
            return Colour{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(255 - x), 77};
        },
        PixelDepth::Palette8);
    const unit::LoadedTones map = Tones(path);
    ASSERT_EQ(map.width, 256);
    ASSERT_EQ(map.height, 8);
    for (int y = 0; y < 8; ++y) {
        for (int r = 0; r < 256; ++r) {
            const int expected = r >= 192 ? 2 : r >= 128 ? 1 : 0;
            EXPECT_EQ(map.tones[y * 256 + r], expected) << "red " << r;
        }
    }
}

TEST_F(ToneMapLoad, TransparencyIsIgnored) {
    const std::string path = Save(
        "alpha.png", FIF_PNG, 4, 8,
        [](int x, int) {
            const Colour c[] = {{255, 0, 0, 0}, {0, 255, 255, 255}, {150, 0, 0, 0}, {0, 0, 0, 0}};
            return c[x];
        },
        PixelDepth::Rgba32);
    const unit::LoadedTones map = Tones(path);
    ASSERT_EQ(map.tones.size(), 32u);
    EXPECT_EQ(map.tones[0], 2);
    EXPECT_EQ(map.tones[1], 0);
    EXPECT_EQ(map.tones[2], 1);
    EXPECT_EQ(map.tones[3], 0);
}

TEST_F(ToneMapLoad, TopRowIsRowZeroAndRowsAreRowMajor) {
    // Full at the top row, dim at the bottom row, one full pixel at (2, 5).
    const std::string path = Save("rows.bmp", FIF_BMP, 3, 16, [](int x, int y) {
        if (y == 0) return kWhite;
        if (y == 15) return kGrey;
        return (x == 2 && y == 5) ? kWhite : kBlack;
    });
    const unit::LoadedTones map = Tones(path);
    ASSERT_EQ(map.width, 3);
    ASSERT_EQ(map.height, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 3; ++x) {
            const int expected = y == 0 ? 2 : y == 15 ? 1 : (x == 2 && y == 5) ? 2 : 0;
            EXPECT_EQ(map.tones[y * 3 + x], expected) << "x " << x << " y " << y;
        }
    }
}

TEST_F(ToneMapLoad, AnyWidthButOnlyHeightsThatAreMultiplesOf8) {
    ImgToneMap map;
    ExpectLoads(map, Save("odd.png", FIF_PNG, 13, 16, [](int, int) { return kWhite; }));
    EXPECT_EQ(map.width, 13);
    EXPECT_EQ(map.height, 16);
    EXPECT_EQ(map.plane, std::vector<std::uint8_t>(26, 0x00));

    ExpectLoads(map, Save("narrow.png", FIF_PNG, 1, 8, [](int, int) { return kGrey; }));
    EXPECT_EQ(map.width, 1);
    EXPECT_EQ(map.height, 8);
    EXPECT_EQ(map.plane, std::vector<std::uint8_t>{0xFF});

    for (int height : {12, 1, 7, 9, 15}) {
        SCOPED_TRACE(height);
        const std::string path = Save("h" + std::to_string(height) + ".png", FIF_PNG, 8, height,
                                      [](int, int) { return kWhite; });
        ExpectLoadFails(map, path, "Error, height must be multiple of 8.\n");
        // The map keeps the picture it held.
        EXPECT_EQ(map.width, 1);
        EXPECT_EQ(map.height, 8);
        EXPECT_EQ(map.plane, std::vector<std::uint8_t>{0xFF});
    }
}

TEST_F(ToneMapLoad, LoadingAgainReplacesThePicture) {
    ImgOptions dim;
    dim.dim = true;
    ImgToneMap map(dim);
    ExpectLoads(map, SaveHalfLit("first.png"));
    EXPECT_EQ(map.plane.size(), 16u);
    ExpectLoads(map, Save("second.png", FIF_PNG, 4, 24, [](int, int) { return kGrey; }));
    EXPECT_EQ(map.width, 4);
    EXPECT_EQ(map.height, 24);
    EXPECT_EQ(map.plane, std::vector<std::uint8_t>(12, 0x00));
}

TEST_F(ToneMapLoad, ExtensionsIgnoreLetterCase) {
    for (const char* name : {"picture.png", "picture.PNG", "picture.Png"}) {
        ExpectHalfLit(SaveHalfLit(name, FIF_PNG));
    }
    for (const char* name : {"picture.bmp", "picture.BMP"}) {
        ExpectHalfLit(SaveHalfLit(name, FIF_BMP));
    }
    for (const char* name : {"picture.tif", "picture.TIFF", "picture.tiff"}) {
        ExpectHalfLit(SaveHalfLit(name, FIF_TIFF));
    }
    for (const char* name : {"picture.jpg", "picture.JPG", "picture.jpeg", "picture.JPEG"}) {
        // Solid 8 × 8 blocks survive the lossy coding with their tone levels.
        ExpectHalfLit(SaveHalfLit(name, FIF_JPEG));
    }
}

TEST_F(ToneMapLoad, OnlyTheLastDotCounts) {
    const std::string gif = Save(
        "picture.bmp.gif", FIF_GIF, 16, 8, [](int x, int) { return x < 8 ? kWhite : kBlack; },
        PixelDepth::Palette8);
    ExpectHalfLit(gif);
}

TEST(ToneMapExtension, MissingOrUnsupportedExtensionsFailBeforeOpening) {
    ImgToneMap map;
    ExpectLoadFails(map, "picture", "Error, no image extension.\n");
    ExpectLoadFails(map, "", "Error, no image extension.\n");
    ExpectLoadFails(map, "dir/picture", "Error, no image extension.\n");
    ExpectLoadFails(map, "picture.", "Error, unsupported image extension \".\".\n");
    ExpectLoadFails(map, "old.dir/picture",
                    "Error, unsupported image extension \".dir/picture\".\n");
    ExpectLoadFails(map, "picture.jpe", "Error, unsupported image extension \".jpe\".\n");
    ExpectLoadFails(map, "picture.tiff2", "Error, unsupported image extension \".tiff2\".\n");
    ExpectLoadFails(map, "picture.pn", "Error, unsupported image extension \".pn\".\n");
    ExpectLoadFails(map, "picture.png ", "Error, unsupported image extension \".png \".\n");
    ExpectLoadFails(map, "picture.Webp", "Error, unsupported image extension \".Webp\".\n");
    ExpectLoadFails(map, "picture.png.txt", "Error, unsupported image extension \".txt\".\n");
    EXPECT_EQ(map.width, 0);
    EXPECT_EQ(map.height, 0);
    EXPECT_TRUE(map.plane.empty());
}

TEST_F(ToneMapLoad, ContentsNotMatchingTheExtensionFailToOpen) {
    ImgToneMap map;
    ExpectLoads(map, SaveHalfLit("kept.png"));
    const std::vector<std::uint8_t> kept = map.plane;
    // The decoder is chosen by the name alone; the name is quoted as given.
    const std::string pngAsBmp =
        Save("picture.bmp", FIF_PNG, 16, 8, [](int, int) { return kWhite; });
    ExpectLoadFails(map, pngAsBmp, "Error, failed to open image \"" + pngAsBmp + "\".\n");
    const std::string bmpAsPng =
        Save("picture.png", FIF_BMP, 16, 8, [](int, int) { return kWhite; });
    ExpectLoadFails(map, bmpAsPng, "Error, failed to open image \"" + bmpAsPng + "\".\n");
    // The TIFF decoder would print its own complaint; only ours may show.
    const std::string pngAsTif =
        Save("picture.tif", FIF_PNG, 16, 8, [](int, int) { return kWhite; });
    ExpectLoadFails(map, pngAsTif, "Error, failed to open image \"" + pngAsTif + "\".\n");
    const std::string text = dir_.File("notes.GIF");
    ASSERT_TRUE(unit::WriteWholeFile(text, "not a picture\n"));
    ExpectLoadFails(map, text, "Error, failed to open image \"" + text + "\".\n");
    EXPECT_EQ(map.plane, kept);  // untouched by the failures
    EXPECT_EQ(map.width, 16);
}

TEST_F(ToneMapLoad, MissingFileFailsToOpen) {
    ImgToneMap map;
    for (const char* name : {"missing.png", "missing.TIF", "missing.jpeg", ".png"}) {
        const std::string path = dir_.File(name);
        ExpectLoadFails(map, path, "Error, failed to open image \"" + path + "\".\n");
    }
    ExpectLoadFails(map, dir_.path() + "/./none/pic.bmp",
                    "Error, failed to open image \"" + dir_.path() + "/./none/pic.bmp\".\n");
    EXPECT_TRUE(map.plane.empty());
    EXPECT_EQ(map.width, 0);
}

}  // namespace
}  // namespace pelmo
