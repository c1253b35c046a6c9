// The validity matrix: the common variants of every extension as the tools
// people have write them (make_matrix.py, run when the tests run), each judged
// by the image library itself. Where the library returns no bitmap, the
// converter refuses; where it reads the picture, the converter's planes are
// the ones computed from the library's 32-bit conversion; where it is known to
// misread a variant, the converter refuses with a line that names it. And the
// header reader in front of the library sees the size that the library sees.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "asm/asm_reader.hpp"
#include "child_run.hpp"
#include "outcome_checks.hpp"
#include "picture/bitmap.hpp"
#include "picture/formats/facts.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/picture_formats.hpp"
#include "plane/unpack.hpp"
#include "support/string_reader.hpp"
#include "support/unit_temp_dir.hpp"
#include "written_pictures.hpp"

namespace pelmo::hardening {
namespace {

// Pictures whose pixels the library reads other than the file holds them,
// and the variant that the converter's refusal names.
struct KnownMisread {
    const char* name;
    const char* variant;
};
constexpr KnownMisread kKnownMisreads[] = {
    {"im_indexed.psd", "an indexed-colour PSD"},
    {"hand_raw8.pcx", "an uncompressed PCX"},
    {"pnm_15-bit_colour_map.tga", "a TGA with a 15-bit colour map"},
    {"pnm_15-bit_colour_map_raw.tga", "a TGA with a 15-bit colour map"},
    {"hand_rgb_map.tga", "a true-colour TGA with a colour map"},
    {"pil_bmp_p32.ico", "an ICO whose colour table is shorter than its depth allows"},
    {"pnm_planes16.pcx", "a 16-colour PCX whose width is no multiple of 8"},
};

// The header reader gives the size that the library's own reading of the
// header gives, and reads as a picture every file whose header the library reads.
void ExpectHeaderSize(FREE_IMAGE_FORMAT format, const std::string& path) {
    const int flags = FreeImage_FIFSupportsNoPixels(format) ? FIF_LOAD_NOPIXELS : 0;
    const Bitmap header(FreeImage_Load(format, path.c_str(), flags));
    if (!header) return;
    const std::string bytes = unit::ReadWholeFile(path);
    unit::BytesReader reader(bytes);
    const Expected<PictureFacts> facts = ReadPictureHeader(format, reader);
    if (!facts) {
        ADD_FAILURE() << "the header reader refuses a header that the library reads: "
                      << facts.failure().message;
        return;
    }
    EXPECT_TRUE(facts->width == FreeImage_GetWidth(header.get()) &&
                facts->height == FreeImage_GetHeight(header.get()))
        << "header size " << facts->width << "x" << facts->height << ", the library's "
        << FreeImage_GetWidth(header.get()) << "x" << FreeImage_GetHeight(header.get());
}

// What the library reads: the red and alpha of its 32-bit conversion (of the
// 8-bit one for 16-bit grey), top row first.
struct LibraryPixels {
    bool read = false;
    bool converted = false;
    bool channel = false;  // the bitmap has an alpha channel
    bool palette = false;  // or a palette with transparent entries
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> red;
    std::vector<std::uint8_t> opacity;
};

LibraryPixels LoadWithLibrary(FREE_IMAGE_FORMAT format, const std::string& path) {
    LibraryPixels p;
    const Bitmap loaded(FreeImage_Load(format, path.c_str(), 0));
    if (!loaded) return p;
    p.read = true;
    p.width = static_cast<int>(FreeImage_GetWidth(loaded.get()));
    p.height = static_cast<int>(FreeImage_GetHeight(loaded.get()));
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(loaded.get());
    const unsigned bpp = FreeImage_GetBPP(loaded.get());
    p.channel = type == FIT_RGBA16 || type == FIT_RGBAF || (type == FIT_BITMAP && bpp == 32);
    p.palette = bpp <= 8 && FreeImage_IsTransparent(loaded.get());
    // 16-bit grey has no 32-bit conversion of its own: the library reads it
    // through its 8-bit one.
    const Bitmap grey(type == FIT_UINT16 ? FreeImage_ConvertTo8Bits(loaded.get()) : nullptr);
    const Bitmap rgba(FreeImage_ConvertTo32Bits(grey ? grey.get() : loaded.get()));
    if (!rgba) return p;
    p.converted = true;
    for (int y = 0; y < p.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(rgba.get(), p.height - 1 - y);
        for (int x = 0; x < p.width; ++x) {
            p.red.push_back(line[4 * x + FI_RGBA_RED]);
            p.opacity.push_back(line[4 * x + FI_RGBA_ALPHA]);
        }
    }
    return p;
}

int Tone(int red) {
    return red >= 192 ? 2 : red >= 128 ? 1 : 0;
}

// Empty when the library reads every pixel of the source in its tone (and,
// with `opacity`, on its side of alpha 128); else what differs.
std::string Misread(const WrittenPicture& picture, const LibraryPixels& library, bool opacity) {
    const std::string source = unit::ReadWholeFile(picture.path + ".rgba");
    const std::size_t count = library.red.size();
    if (source.size() != 4 * count) {
        return "the library's " + std::to_string(library.width) + "x" +
               std::to_string(library.height) + " is not the source's " +
               std::to_string(source.size() / 4) + " pixels";
    }
    std::size_t tones = 0;
    std::size_t alphas = 0;
    std::string first;
    for (std::size_t i = 0; i < count; ++i) {
        const auto red = static_cast<std::uint8_t>(source[4 * i]);
        const auto alpha = static_cast<std::uint8_t>(source[4 * i + 3]);
        const bool tone = Tone(red) != Tone(library.red[i]);
        const bool side = opacity && (alpha >= 128) != (library.opacity[i] >= 128);
        tones += tone;
        alphas += side;
        if ((tone || side) && first.empty()) {
            first = "; first at (" + std::to_string(i % library.width) + ", " +
                    std::to_string(i / library.width) + "): red " + std::to_string(library.red[i]) +
                    " alpha " + std::to_string(library.opacity[i]) + " for the source's " +
                    std::to_string(red) + " " + std::to_string(alpha);
        }
    }
    if (tones + alphas == 0) return "";
    return std::to_string(tones) + " of " + std::to_string(count) + " pixels in another tone, " +
           std::to_string(alphas) + " on the other side of alpha 128" + first;
}

// Converts the picture with `options` and "-c raw"; its plane, read back
// through the source reader and the renderer's unpacker, lights exactly the
// pixels for which `lit` holds.
::testing::AssertionResult ConvertsTo(const std::string& path, std::vector<std::string> options,
                                      const LibraryPixels& library,
                                      const std::function<bool(int red, int alpha)>& lit,
                                      const std::string& output) {
    options.insert(options.end(), {"-c", "raw", path, output});
    const Outcome run = RunConverter(options);
    if (!run.exited || run.status != 0) {
        return ::testing::AssertionFailure()
               << "not converted, " << run.Describe() << ": " << run.err;
    }
    if (::testing::AssertionResult clean = CleanOutcome(run, output); !clean) return clean;
    const Expected<AsmSource> read = ReadAsmSource(unit::ReadWholeFile(output));
    std::filesystem::remove(output);
    const std::size_t count = library.red.size();
    if (!read) return ::testing::AssertionFailure() << "unreadable: " << read.failure().message;
    const AsmSource& source = *read;
    if (source.stream.size() != count / 8) {
        return ::testing::AssertionFailure() << "the source holds " << source.stream.size()
                                             << " bytes for " << count << " pixels";
    }
    std::vector<std::uint8_t> painted(count);
    PaintPlane({source.stream, source.start.value}, library.width, library.height, ImgOptions{}, 1,
               0, {painted.data(), library.width});
    std::size_t wrong = 0;
    std::size_t first = 0;
    for (std::size_t i = count; i-- > 0;) {
        if ((painted[i] != 0) != lit(library.red[i], library.opacity[i])) {
            ++wrong;
            first = i;
        }
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << wrong << " of " << count << " pixels lit wrong, first at (" << first % library.width
           << ", " << first / library.width << "), red " << int{library.red[first]} << " alpha "
           << int{library.opacity[first]};
}

void Check(const WrittenPicture& picture, FREE_IMAGE_FORMAT format, const std::string& output) {
    ExpectHeaderSize(format, picture.path);
    const LibraryPixels library = LoadWithLibrary(format, picture.path);
    const std::string& path = picture.path;
    if (!library.read) {
        EXPECT_TRUE(FailsWith(RunConverter({path, output}), OpenImageError(path), output))
            << "the library reads no bitmap";
        return;
    }
    if (!library.converted) {
        EXPECT_TRUE(FailsWith(RunConverter({path, output}), ConvertError(), output))
            << "the library reads it but cannot convert it to 32 bits";
        return;
    }
    // Opacity that the file declares and the library's bitmap lacks: an alpha
    // channel read into a palette, or no opacity at all.
    const bool declared = picture.opacity != Opacity::None;
    const bool dropped = picture.opacity == Opacity::Channel
                             ? !library.channel
                             : declared && !library.channel && !library.palette;
    const std::string misread =
        picture.lossless ? Misread(picture, library, declared && !dropped) : "";
    const auto known = std::find_if(std::begin(kKnownMisreads), std::end(kKnownMisreads),
                                    [&](const KnownMisread& k) { return picture.name == k.name; });
    if (known != std::end(kKnownMisreads)) {
        EXPECT_FALSE(misread.empty()) << "listed as misread, but the library reads it right";
        EXPECT_TRUE(
            FailsWith(RunConverter({path, output}), MisreadError(path, known->variant), output));
        return;
    }
    if (!misread.empty()) {
        ADD_FAILURE() << "the library misreads it: " << misread;
        return;
    }
    if (library.height % 8 != 0) {
        EXPECT_TRUE(FailsWith(RunConverter({path, output}), HeightError(), output));
        return;
    }
    EXPECT_TRUE(ConvertsTo(
        path, {}, library, [](int r, int) { return r >= 192; }, output));
    EXPECT_TRUE(ConvertsTo(
        path, {"-dim"}, library, [](int r, int) { return r >= 128; }, output));
    if (!declared) {
        // Opacity the library gives a picture that has none does not count.
        if (std::all_of(library.opacity.begin(), library.opacity.end(),
                        [](std::uint8_t a) { return a >= 128; })) {
            return;
        }
        EXPECT_TRUE(ConvertsTo(
            path, {"-mask"}, library, [](int, int) { return true; }, output))
            << "the library invents opacity";
        EXPECT_TRUE(ConvertsTo(
            path, {"-alpha"}, library, [](int r, int) { return r >= 192; }, output))
            << "the library invents opacity";
        return;
    }
    if (dropped) {
        for (const char* option : {"-alpha", "-mask"}) {
            EXPECT_TRUE(
                FailsWith(RunConverter({option, path, output}), AlphaDroppedError(path), output))
                << option << ": the library drops the alpha channel";
        }
        return;
    }
    EXPECT_TRUE(ConvertsTo(
        path, {"-alpha"}, library, [](int r, int a) { return r >= 192 && a >= 128; }, output));
    EXPECT_TRUE(ConvertsTo(
        path, {"-mask"}, library, [](int, int a) { return a >= 128; }, output));
}

class ValidityMatrix : public ::testing::TestWithParam<PictureExtension> {};

TEST_P(ValidityMatrix, EachPictureAsTheLibraryReadsIt) {
    const unit::TempDir dir;
    const FreeImageSession session;
    const std::string extension(GetParam().text);
    for (const WrittenPicture& picture : WritePictures(dir.path(), "valid", extension)) {
        SCOPED_TRACE(picture.Describe());
        Check(picture, GetParam().format, dir.File("out.asm"));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryExtension, ValidityMatrix, ::testing::ValuesIn(kPictureExtensions),
                         [](const auto& info) { return std::string(info.param.text.substr(1)); });

TEST(HeaderSize, EachFixtureAsTheLibrarySeesIt) {
    const FreeImageSession session;
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PELMO_TEST_DATA_DIR)) {
        const std::string path = entry.path().string();
        const PictureExtension* extension = FindPictureExtension(ExtensionOf(path));
        if (extension == nullptr) continue;
        SCOPED_TRACE(path);
        ExpectHeaderSize(extension->format, path);
        ++pictures;
    }
    EXPECT_GT(pictures, 30);
}

}  // namespace
}  // namespace pelmo::hardening

namespace pelmo {
// The test parameter by its extension in test names and messages.
void PrintTo(const PictureExtension& extension, std::ostream* out) {
    *out << extension.text;
}
}  // namespace pelmo
