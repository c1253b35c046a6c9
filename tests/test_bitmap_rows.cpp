// The decoding child reads red values straight from the decoded bitmap where
// that is exact. Here every fixture picture is read both ways, directly (with
// the processor's vector instructions and without) and after the 32-bit
// conversion (without), at every threshold from 1 to 255: equal bits at every
// threshold mean equal red values, pixel for pixel.
#include "tones/bitmap_rows.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "picture/bitmap.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/picture_formats.hpp"
#include "plane/plane_packing.hpp"
#include "tones/tone_rows.hpp"

namespace pelmo {
namespace {

// The bits of every row as `reader` reads them, the bits past the width cleared.
template <typename Reader>
std::vector<std::uint8_t> RowsOf(FIBITMAP* bitmap, Reader& reader) {
    const std::uint32_t width = FreeImage_GetWidth(bitmap);
    const std::uint32_t height = FreeImage_GetHeight(bitmap);
    const std::size_t bytes = RowBytes(width);
    std::vector<std::uint8_t> rows(bytes * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = rows.data() + y * bytes;
        reader.Read(y, row);
        if (width % 8 != 0) row[bytes - 1] &= static_cast<std::uint8_t>(0xFF00 >> (width % 8));
    }
    return rows;
}

std::vector<std::uint8_t> AllRows(FIBITMAP* bitmap, std::uint8_t litFrom, bool vectors) {
    const BitmapRows reader(bitmap, litFrom, AlphaRule::Ignore, vectors);
    return RowsOf(bitmap, reader);
}

// The same through the tone reader: -luma (green and blue count), dithered;
// or with `colours` (-tones), followed by the strays' count, place and colour.
std::vector<std::uint8_t> AllToneRows(FIBITMAP* bitmap, DitherMethod dither, bool colours = false) {
    ImgOptions options;
    options.luma = !colours;
    options.dither = dither;
    options.colourTones = colours;
    options.toneColours = {0x000000, 0x3A8FD2, 0xFFFFFF};
    ToneRows reader(bitmap, options, AlphaRule::Ignore, FreeImage_GetHeight(bitmap));
    std::vector<std::uint8_t> rows = RowsOf(bitmap, reader);
    const StrayPixels& s = reader.Strays();
    for (const std::uint64_t v : {s.count, std::uint64_t{s.x} << 32 | s.y, std::uint64_t{s.colour}})
        rows.insert(rows.end(), {std::uint8_t(v), std::uint8_t(v >> 24), std::uint8_t(v >> 40)});
    return rows;
}

TEST(BitmapRows, DirectReadingMatchesThe32BitConversionOnEveryFixture) {
    const FreeImageSession session;
    std::set<unsigned> directDepths;
    std::set<std::string> converted;
    for (const auto& entry : std::filesystem::directory_iterator(PELMO_TEST_DATA_DIR)) {
        const std::string path = entry.path().string();
        const PictureExtension* extension = FindPictureExtension(ExtensionOf(path));
        if (extension == nullptr) continue;
        const Bitmap bitmap(FreeImage_Load(extension->format, path.c_str(), 0));
        if (!bitmap) continue;  // the damaged fixtures
        SCOPED_TRACE(path);
        const unsigned bpp = FreeImage_GetBPP(bitmap.get());
        const Bitmap as32(FreeImage_ConvertTo32Bits(bitmap.get()));
        if (!BitmapRows::ReadsDirectly(bitmap.get())) {
            converted.insert(std::to_string(FreeImage_GetImageType(bitmap.get())) + "/" +
                             std::to_string(bpp));
            continue;
        }
        ASSERT_TRUE(as32) << "a bitmap read directly always converts";
        directDepths.insert(bpp);
        for (int litFrom = 1; litFrom <= 255; ++litFrom) {
            const auto t = static_cast<std::uint8_t>(litFrom);
            const std::vector<std::uint8_t> reference = AllRows(as32.get(), t, false);
            ASSERT_EQ(AllRows(bitmap.get(), t, true), reference) << "lit from " << litFrom;
            ASSERT_EQ(AllRows(bitmap.get(), t, false), reference) << "lit from " << litFrom;
            ASSERT_EQ(AllRows(as32.get(), t, true), reference) << "lit from " << litFrom;
        }
    }
    // Every kind the fixtures hold was met: palettes of 1, 4 and 8 bits (and
    // greyscale), 24-bit RGB, 32-bit RGB with and without alpha read
    // directly; 16-bit RGB, 16-bit grey and 48-bit RGB converted.
    EXPECT_EQ(directDepths, (std::set<unsigned>{1, 4, 8, 24, 32}));
    EXPECT_EQ(converted, (std::set<std::string>{"1/16", "2/16", "9/48"}));
}

// Random bitmaps of every depth read directly, with widths on both sides of
// the vector instructions' chunks of 16 and 32 pixels; and through the tone
// reader, which reads the same layouts and palettes.
TEST(BitmapRows, RandomBitmapsOfEveryDepthMatchThe32BitConversion) {
    const FreeImageSession session;
    std::mt19937 random(20261207);
    for (const unsigned bpp : {1u, 4u, 8u, 24u, 32u}) {
        for (const unsigned width : {1u, 7u, 15u, 16u, 17u, 31u, 32u, 33u, 64u, 95u, 130u}) {
            SCOPED_TRACE(std::to_string(bpp) + " bits, " + std::to_string(width) + " wide");
            const Bitmap bitmap(
                FreeImage_Allocate(static_cast<int>(width), 16, static_cast<int>(bpp)));
            ASSERT_TRUE(bitmap);
            for (unsigned y = 0; y < 16; ++y) {
                BYTE* line = FreeImage_GetScanLine(bitmap.get(), static_cast<int>(y));
                for (unsigned i = 0; i < FreeImage_GetLine(bitmap.get()); ++i) {
                    line[i] = static_cast<BYTE>(random());
                }
            }
            if (RGBQUAD* palette = FreeImage_GetPalette(bitmap.get())) {
                for (unsigned i = 0; i < FreeImage_GetColorsUsed(bitmap.get()); ++i) {
                    palette[i].rgbRed = static_cast<BYTE>(random());
                    palette[i].rgbGreen = static_cast<BYTE>(random());
                    palette[i].rgbBlue = static_cast<BYTE>(random());
                }
            }
            ASSERT_TRUE(BitmapRows::ReadsDirectly(bitmap.get()));
            const Bitmap as32(FreeImage_ConvertTo32Bits(bitmap.get()));
            for (const int litFrom : {1, 64, 128, 129, 192, 255}) {
                const auto t = static_cast<std::uint8_t>(litFrom);
                const std::vector<std::uint8_t> reference = AllRows(as32.get(), t, false);
                ASSERT_EQ(AllRows(bitmap.get(), t, true), reference) << "lit from " << litFrom;
                ASSERT_EQ(AllRows(bitmap.get(), t, false), reference) << "lit from " << litFrom;
            }
            for (const DitherMethod dither : {DitherMethod::None, DitherMethod::FloydSteinberg}) {
                ASSERT_EQ(AllToneRows(bitmap.get(), dither), AllToneRows(as32.get(), dither));
            }
            ASSERT_EQ(AllToneRows(bitmap.get(), {}, true), AllToneRows(as32.get(), {}, true));
        }
    }
}

}  // namespace
}  // namespace pelmo
