// The decoding child reads red values straight from the decoded bitmap where
// that is exact. Here every fixture picture is read both ways, directly and
// after the 32-bit conversion, at every threshold from 1 to 255: equal bits at
// every threshold mean equal red values, pixel for pixel.
#include "image/bitmap_rows.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "image/bitmap.hpp"
#include "image/freeimage_session.hpp"
#include "image/picture_formats.hpp"
#include "image/picture_input.hpp"
#include "image/plane_packing.hpp"

namespace pelmo {
namespace {

// The bits of every row, the bits past the width cleared.
std::vector<std::uint8_t> AllRows(FIBITMAP* bitmap, std::uint8_t litFrom) {
    const std::uint32_t width = FreeImage_GetWidth(bitmap);
    const std::uint32_t height = FreeImage_GetHeight(bitmap);
    const std::size_t bytes = RowBytes(width);
    std::vector<std::uint8_t> rows(bytes * height);
    const BitmapRows reader(bitmap, litFrom);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = rows.data() + y * bytes;
        reader.Read(y, row);
        if (width % 8 != 0) row[bytes - 1] &= static_cast<std::uint8_t>(0xFF00 >> (width % 8));
    }
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
        PictureInput input;
        ASSERT_TRUE(input.Open(path)) << path;
        const Bitmap bitmap = input.Load(extension->format, 0);
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
            ASSERT_EQ(AllRows(bitmap.get(), t), AllRows(as32.get(), t)) << "lit from " << litFrom;
        }
    }
    // Every kind the fixtures hold was met: palettes of 1, 4 and 8 bits (and
    // greyscale), 24-bit RGB, 32-bit RGB with and without alpha read
    // directly; 16-bit RGB, 16-bit grey and 48-bit RGB converted.
    EXPECT_EQ(directDepths, (std::set<unsigned>{1, 4, 8, 24, 32}));
    EXPECT_EQ(converted, (std::set<std::string>{"1/16", "2/16", "9/48"}));
}

}  // namespace
}  // namespace pelmo
