// Pictures whose headers claim dimensions no machine could hold, written byte
// by byte, run under an address-space limit: the converter must refuse them
// with one of the loader's error lines, within the time limit, without a
// signal and without creating the output file. Where the decoder reads the
// header alone and finds it sound, the refusal comes from the header, before
// any pixel is decoded: "not enough memory", under a limit lower than the
// bitmaps would need.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "child_run.hpp"
#include "crafted_pictures.hpp"
#include "outcome_checks.hpp"
#include "picture/bitmap.hpp"
#include "picture/formats/facts.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/picture_formats.hpp"
#include "support/string_reader.hpp"
#include "support/unit_temp_dir.hpp"
#include "valid_pictures.hpp"

namespace pelmo::hardening {

// How SIGXCPU is inherited, as gtest names a test's parameter.
void PrintTo(Limits::Xcpu xcpu, std::ostream* out) {
    *out << (xcpu == Limits::Xcpu::Ignored ? "ignored" : "blocked");
}

namespace {

constexpr std::uint64_t kHugeMemoryLimit = std::uint64_t{400} << 20;
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

struct HugeCase {
    std::string name;
    std::string extension;
    std::function<std::string()> contents;  // made when the test runs, not when it is listed
    bool refusedAtHeader = true;            // else the decoder finds the header unsound
    // Refused for the memory it needs, though its pixel count is allowed.
    bool byMemory = false;
};

std::string PatchedJpeg(std::uint16_t width, std::uint16_t height) {
    std::string jpeg = ValidPicture(".jpg");
    if (!PatchJpegSize(jpeg, width, height)) return {};
    return jpeg;
}

std::vector<HugeCase> Cases() {
    return {
        {"png_100000_square_rgb", ".png", [] { return PngWithSize(100000, 100000, 8, 2); }},
        {"png_100000_square_1bit", ".png", [] { return PngWithSize(100000, 100000, 1, 0); }},
        {"png_50000_square_rgb", ".png", [] { return PngWithSize(50000, 50000, 8, 2); }},
        {"png_width_2g", ".png", [] { return PngWithSize(0x7FFFFFFF, 8, 8, 2); }, false},
        {"bmp_negative_height", ".bmp", [] { return BmpWithSize(100000, -100000, 24); }},
        {"bmp_height_int_min", ".bmp", [] { return BmpWithSize(16, kIntMin, 24); }, false},
        {"bmp_height_2g", ".bmp", [] { return BmpWithSize(16, 0x7FFFFFF8, 1); }},
        {"bmp_width_2g", ".bmp", [] { return BmpWithSize(0x7FFFFFFF, 8, 1); }},
        {"bmp_negative_width", ".bmp", [] { return BmpWithSize(-16, 16, 24); }, false},
        {"bmp_65536_square_1bit", ".bmp", [] { return BmpWithSize(65536, 65536, 1); }},
        {"bmp_100000_square_32bit", ".bmp", [] { return BmpWithSize(100000, 100000, 32); }},
        {"tga_65528_square", ".tga", [] { return TgaWithSize(65528, 65528); }},
        {"tga_65535_square", ".tga", [] { return TgaWithSize(65535, 65535); }},
        // The GIF decoder cannot read a header alone: it fails to allocate.
        {"gif_65528_square", ".gif", [] { return GifWithSize(65528, 65528); }, false},
        {"pcx_65535_square", ".pcx", [] { return PcxWithSize(65535, 65535); }},
        {"psd_30000_square", ".psd", [] { return PsdWithSize(30000, 30000, 1); }, true, true},
        {"psb_300000_square", ".psd", [] { return PsdWithSize(300000, 300000, 2); }},
        // Within the pixel limit, and refused for its decoder's memory alone (120 GB).
        {"psd_56_channels_of_32_bits", ".psd", [] { return PsdWithSize(16384, 16384, 1, 56, 32); },
         true, true},
        {"tif_100000_square", ".tif", [] { return TiffWithSize(100000, 100000); }},
        {"bigtiff_100000_square", ".tif",
         [] { return TiffWithSize(100000, 100000, TiffKind::Big); }},
        {"tiff_width_4g", ".tiff", [] { return TiffWithSize(0xFFFFFFF8, 8); }, false},
        {"ico_100000_square", ".ico", [] { return IcoWithSize(100000, 100000); }},
        {"jpg_60000_square", ".jpg", [] { return PatchedJpeg(60000, 60000); }},
        // Past the largest size the JPEG decoder accepts.
        {"jpg_65528_square", ".jpg", [] { return PatchedJpeg(65528, 65528); }, false},
        {"jpeg_65535_wide", ".jpeg", [] { return PatchedJpeg(65535, 8); }, false},
    };
}

void PrintTo(const HugeCase& c, std::ostream* os) {
    *os << c.name;
}

class HugePicture : public ::testing::TestWithParam<HugeCase> {};

TEST_P(HugePicture, IsRefusedWithinTheMemoryLimit) {
    const HugeCase& c = GetParam();
    const std::string contents = c.contents();
    ASSERT_FALSE(contents.empty()) << "the case could not be built";
    const unit::TempDir dir;
    const std::string input = dir.File(c.name + c.extension);
    const std::string output = dir.File(c.name + ".asm");
    ASSERT_TRUE(unit::WriteWholeFile(input, contents));
    Limits limits;
    limits.addressSpace = kHugeMemoryLimit;
    limits.timeoutSeconds = 30;
    const Outcome run = RunConverter({"-c", "bnp", input, output}, limits);
    EXPECT_TRUE(LoaderFailure(run, input, output));
    if (c.refusedAtHeader && (!ProgramsSanitized() || !c.byMemory)) {
        // More pixels than the limit allows, or than sizes can count.
        EXPECT_NE(run.err, OpenImageError(input));
    }
}

INSTANTIATE_TEST_SUITE_P(Crafted, HugePicture, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// Far below what any picture near the pixel limit needs.
constexpr std::uint64_t kSmallMemory = std::uint64_t{200} << 20;

Outcome ConvertUnder(const std::string& input, const std::string& output,
                     const std::vector<std::string>& options = {}) {
    Limits limits;
    limits.addressSpace = kSmallMemory;
    limits.timeoutSeconds = 20;
    std::vector<std::string> args = options;
    args.insert(args.end(), {input, output});
    return RunConverter(args, limits);
}

struct TinyFormat {
    const char* name;
    std::function<std::string(std::uint16_t, std::uint16_t)> contents;
};

std::vector<TinyFormat> TinyFormats() {
    return {
        {".png", [](auto w, auto h) { return PngWithSize(w, h, 8, 2); }},
        {".bmp", [](auto w, auto h) { return BmpWithSize(w, h, 24); }},
        {".tga", TgaWithSize},
        {".gif", GifWithSize},
        {".pcx", PcxWithSize},
        {".psd", [](auto w, auto h) { return PsdWithSize(w, h, 1); }},
        {".tif", [](auto w, auto h) { return TiffWithSize(w, h); }},
        {".tiff", [](auto w, auto h) { return TiffWithSize(w, h, TiffKind::Big); }},
        {".ico", [](auto w, auto h) { return IcoWithSize(w, h); }},
        {".jpg", PatchedJpeg},
    };
}

// Every prefix of a tiny header at the pixel limit, and the whole of it with
// a few zero bytes after it, is refused by its header's reader, or held to a
// budget that its bytes can stand for: a reader that cannot read a field
// never opens the door to what the declared size would cost.
TEST(PixelLimit, NearEndHeadersAreRefusedOrHeldToTheirBytes) {
    for (const TinyFormat& f : TinyFormats()) {
        const std::string whole = f.contents(16384, 16384);
        std::vector<std::string> files;
        for (std::size_t cut = 0; cut <= whole.size(); ++cut) files.push_back(whole.substr(0, cut));
        for (const std::size_t zeros : {1, 2, 4, 8, 16, 64}) {
            files.push_back(whole + std::string(zeros, '\0'));
        }
        const FREE_IMAGE_FORMAT format = FindPictureExtension(f.name)->format;
        for (const std::string& file : files) {
            unit::BytesReader reader(file);
            const Expected<PictureFacts> facts = ReadPictureHeader(format, reader);
            if (!facts || !HoldsItsPixels(format, reader, *facts, file.size())) continue;
            EXPECT_LT(PixelsSupported(*facts, file.size()), std::uint64_t{1} << 24)
                << f.name << " of " << file.size() << " bytes of " << whole.size();
        }
    }
}

// A few bytes whose header declares a picture just over the pixel limit, or
// exactly at it with fewer bytes than its pixels need at the format's best
// compression: refused from the header, before anything of that size is
// allocated.
TEST(PixelLimit, TinyHeadersAreRefusedBeforeAnythingIsAllocated) {
    const unit::TempDir dir;
    for (const TinyFormat& f : TinyFormats()) {
        SCOPED_TRACE(f.name);
        const std::string output = dir.File("out.asm");
        const std::string over = dir.File(std::string("over") + f.name);
        ASSERT_TRUE(unit::WriteWholeFile(over, f.contents(16392, 16384)));
        EXPECT_TRUE(FailsWith(ConvertUnder(over, output),
                              "Error, image \"" + over +
                                  "\" is 16392x16384 pixels, more than the "
                                  "limit of 268435456 (see -maxpixels).\n",
                              output));
        const std::string at = dir.File(std::string("at") + f.name);
        ASSERT_TRUE(unit::WriteWholeFile(at, f.contents(16384, 16384)));
        const Outcome run = ConvertUnder(at, output);
        // Under AddressSanitizer the limit bounds single allocations, not the
        // address space, which the header check cannot see.
        if (!ProgramsSanitized()) {
            EXPECT_TRUE(FailsWith(run, OpenImageError(at), output));
        }
        EXPECT_TRUE(LoaderFailure(run, at, output));
        const std::string padded = dir.File(std::string("padded") + f.name);
        ASSERT_TRUE(unit::WriteWholeFile(padded, f.contents(16384, 16384) + std::string(8, '\0')));
        EXPECT_TRUE(LoaderFailure(ConvertUnder(padded, output), padded, output));
    }
}

// -frames all shows a GIF's frames on its screen, whose size the header
// declares: refused from it, however small the frames, before the library
// plays a frame.
TEST(PixelLimit, FramesAllRefusesAScreenFromTheHeader) {
    const unit::TempDir dir;
    const std::string output = dir.File("out.asm");
    for (const auto& [side, line] :
         {std::pair{65535, std::string("Error, not enough memory.\n")},
          {16392, std::string("is 16392x16392 pixels, more than the limit of 268435456 (see "
                              "-maxpixels).\n")}}) {
        std::string gif = GifWithSize(8, 8);
        gif[6] = gif[8] = static_cast<char>(side & 0xFF);  // the screen's width and height
        gif[7] = gif[9] = static_cast<char>(side >> 8);
        const std::string input = dir.File("screen.gif");
        ASSERT_TRUE(unit::WriteWholeFile(input, gif));
        const Outcome run = ConvertUnder(input, output, {"-frames", "all"});
        EXPECT_TRUE(CleanFailure(run, output));
        EXPECT_TRUE(run.err.ends_with(line)) << run.err;
    }
}

// What a picture's size alone decides is refused from its header, before
// any pixel is decoded: a height that is no multiple of 8, and a -pad that
// takes the picture over the limit. Their data is long enough for the
// pixels but no deflate stream: decoding it would fail (after allocating far
// more than the memory limit).
std::string BlankPng(std::uint32_t width, std::uint32_t height) {
    return PngWithIdat(width, height, (std::uint64_t{width} + 1) * height / 1032 + 64);
}

TEST(PixelLimit, SizeRefusalsComeFromTheHeader) {
    const unit::TempDir dir;
    const std::string output = dir.File("out.asm");
    const std::string odd = dir.File("odd.png");
    ASSERT_TRUE(unit::WriteWholeFile(odd, BlankPng(16384, 16383)));
    EXPECT_TRUE(
        FailsWith(ConvertUnder(odd, output), "Error, height must be multiple of 8.\n", output));
    const std::string padded = dir.File("padded.png");
    ASSERT_TRUE(unit::WriteWholeFile(padded, BlankPng(16385, 16377)));
    EXPECT_TRUE(FailsWith(ConvertUnder(padded, output, {"-pad"}),
                          "Error, image \"" + padded +
                              "\" is 16385x16384 pixels, more than the limit of 268435456 (see "
                              "-maxpixels).\n",
                          output));
}

// The limit is where -maxpixels puts it, and the refusal names the size.
TEST(PixelLimit, MaxpixelsMovesTheLimit) {
    const unit::TempDir dir;
    const std::string input = dir.File("in.png");
    const std::string output = dir.File("out.asm");
    ASSERT_TRUE(unit::WriteWholeFile(input, ValidPicture(".png")));  // 24 x 24
    EXPECT_TRUE(FailsWith(ConvertUnder(input, output, {"-maxpixels", "575"}),
                          "Error, image \"" + input +
                              "\" is 24x24 pixels, more than the limit of 575 (see -maxpixels).\n",
                          output));
    EXPECT_TRUE(CleanOutcome(ConvertUnder(input, output, {"-MAXPIXELS", "576"}), output));
    EXPECT_TRUE(unit::FileExists(output));
    const std::string huge = dir.File("huge.png");
    ASSERT_TRUE(unit::WriteWholeFile(huge, PngWithSize(16392, 16384, 1, 0)));
    // Past the default limit, and let through: its data is what fails now.
    EXPECT_TRUE(FailsWith(ConvertUnder(huge, dir.File("huge.asm"), {"-maxpixels", "2147483647"}),
                          OpenImageError(huge), dir.File("huge.asm")));
}

// A progressive JPEG whose last scan repeats for megabytes: every repeat
// makes the decoder go over the whole picture again, with nothing to say
// that anything is wrong. Only the processor-time limit ends it, however the
// program was started: with SIGXCPU ignored, or blocked, each a test of its
// own, so that ctest runs the two waits for the limit side by side.
class DecodingBomb : public ::testing::TestWithParam<Limits::Xcpu> {};
INSTANTIATE_TEST_SUITE_P(Sigxcpu, DecodingBomb,
                         ::testing::Values(Limits::Xcpu::Ignored, Limits::Xcpu::Blocked),
                         [](const ::testing::TestParamInfo<Limits::Xcpu>& info) {
                             return ::testing::PrintToString(info.param);
                         });

TEST_P(DecodingBomb, EndsWithinItsTimeWhateverSigxcpuIs) {
    const unit::TempDir dir;
    const std::string input = dir.File("bomb.jpg");
    {
        const FreeImageSession session;
        const Bitmap black(FreeImage_Allocate(1024, 1024, 24));
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, black.get(), input.c_str(), JPEG_PROGRESSIVE));
    }
    std::string jpeg = unit::ReadWholeFile(input);
    const std::size_t lastScan = jpeg.rfind("\xFF\xDA");
    ASSERT_NE(lastScan, std::string::npos);
    const std::string scan = jpeg.substr(lastScan, jpeg.size() - 2 - lastScan);
    jpeg.resize(jpeg.size() - 2);
    while (jpeg.size() < (std::size_t{2} << 20)) jpeg += scan;
    ASSERT_TRUE(unit::WriteWholeFile(input, jpeg + "\xFF\xD9"));
    Limits limits;
    limits.xcpu = GetParam();
    limits.timeoutSeconds = 60;
    const std::string output = dir.File("bomb.asm");
    EXPECT_TRUE(FailsWith(RunConverter({input, output}, limits), OpenImageError(input), output));
}

// Streams that never end: refused from their first bytes, at little cost.
TEST(EndlessInput, IsRefusedFromItsFirstBytes) {
    const unit::TempDir dir;
    const std::string fifo = dir.File("endless.png");
    const FifoWriter zeros(fifo, std::string(1 << 16, '\0'), true);
    ASSERT_TRUE(zeros.started());
    const std::string output = dir.File("out.asm");
    EXPECT_TRUE(FailsWith(ConvertUnder(fifo, output), OpenImageError(fifo), output));
    // The header of a 16-bit RGB PNG at the pixel limit, then zeros.
    const std::string header = dir.File("header.png");
    const FifoWriter headerThenZeros(
        header, PngWithSize(16384, 16384, 16, 2).substr(0, 33) + std::string(1 << 16, '\0'), true);
    ASSERT_TRUE(headerThenZeros.started());
    EXPECT_TRUE(FailsWith(ConvertUnder(header, output), OpenImageError(header), output));

    Limits limits;
    limits.addressSpace = kSmallMemory;
    limits.timeoutSeconds = 20;
    const Outcome render =
        RunRenderer({"-w", "8", "-c", "raw", "/dev/zero", dir.File("zero.png")}, limits);
    EXPECT_TRUE(FailsWith(render,
                          "Error, \"/dev/zero\" line 1: the line is longer than 4096 characters.\n",
                          dir.File("zero.png")));
}

}  // namespace
}  // namespace pelmo::hardening
