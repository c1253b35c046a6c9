// The renderer end to end, in process: every golden source shows the plane of
// its fixture picture, and seeded round trips (a random picture through the
// converter with random options, then through the renderer) give back the
// plane that the picture's red values make, pixel for pixel. The seed is in
// the trace.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/driver.hpp"
#include "app/options.hpp"
#include "app/render_driver.hpp"
#include "app/render_options.hpp"
#include "codec/codec_table.hpp"
#include "picture/bitmap.hpp"
#include "picture/formats/facts.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/picture_input.hpp"
#include "support/string_reader.hpp"
#include "support/unit_console.hpp"
#include "support/unit_picture.hpp"
#include "support/unit_plane.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo::test {
namespace {

using Args = std::vector<std::string>;

// The picture at `path` has exactly the grey levels `expected`, row by row.
::testing::AssertionResult Shows(const std::string& path, int width, int height,
                                 const std::vector<std::uint8_t>& expected) {
    const unit::GreyPixels got = unit::LoadGreyPicture(path);
    if (got.width != width || got.height != height) {
        return ::testing::AssertionFailure() << "a " << got.width << "x" << got.height
                                             << " picture, not " << width << "x" << height;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (got.values[i] != expected[i]) {
            return ::testing::AssertionFailure()
                   << "pixel " << i % width << "," << i / width << " is " << int{got.values[i]}
                   << ", not " << int{expected[i]};
        }
    }
    return ::testing::AssertionSuccess();
}

// Hand edits that leave a source what it was to an assembler: each must
// render the same picture as the source the converter wrote.
using Edit = std::string (*)(const std::string&);

std::string EachLine(const std::string& text, std::string (*edit)(std::string, std::size_t)) {
    std::string out;
    std::size_t number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = text.find('\n', pos);
        out += edit(text.substr(pos, end - pos), ++number) + "\n";
        pos = end + 1;
    }
    return out;
}

// The value after each "$" that starts a number, written again with `format`.
std::string Numbers(std::string line, const char* format) {
    for (std::size_t at = 0; (at = line.find('$', at)) != std::string::npos;) {
        std::size_t end = at + 1;
        while (end < line.size() && std::isxdigit(static_cast<unsigned char>(line[end]))) ++end;
        if (end == at + 1) {  // "($+4)" in a stub
            ++at;
            continue;
        }
        char value[16];
        std::snprintf(value, sizeof value, format,
                      std::stoul(line.substr(at + 1, end - at - 1), nullptr, 16));
        line.replace(at, end - at, value);
        at += std::strlen(value);
    }
    return line;
}

// Each edit, and whether it leaves a C header (-format c) a C header.
const struct {
    const char* name;
    Edit edit;
    bool inC = false;
} kEdits[] = {
    {"comments",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t n) {
             return n == 1 ? l + "\n; drawn by hand" : l.empty() ? l : l + "\t; kept in git";
         });
     }},
    {"lower-case hex",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t) { return Numbers(l, "$%02lx"); });
     }},
    {"0x numbers",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t) { return Numbers(l, "0x%lX"); });
     }},
    {"decimal numbers",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t) { return Numbers(l, "%lu"); });
     }},
    {"indentation and spaces",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t) {
             for (std::size_t at; (at = l.find('\t')) != std::string::npos;) l.replace(at, 1, "  ");
             for (std::size_t at = 0; (at = l.find(',', at)) != std::string::npos; at += 2) {
                 l.insert(at + 1, " ");
             }
             return l;
         });
     },
     true},
    {"blank lines",
     [](const std::string& t) {
         return "\n" +
                EachLine(t,
                         [](std::string l, std::size_t n) { return n % 3 == 0 ? l + "\n\n" : l; }) +
                "\n\n";
     },
     true},
    {"upper-case directives",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t) {
             for (const char* d : {".equ", ".set", ".db", ".include"}) {
                 if (const std::size_t at = l.find(d); at != std::string::npos) {
                     for (std::size_t i = at; i < at + std::strlen(d); ++i) {
                         l[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(l[i])));
                     }
                 }
             }
             return l;
         });
     }},
    {"CRLF line ends",
     [](const std::string& t) {
         return EachLine(t, [](std::string l, std::size_t) { return l + "\r"; });
     },
     true},
};

// A font source, and a copy with every hand edit, drawing every glyph with
// -text (all font goldens cut font_6x8.png, 18 x 16, into their cells).
void FontEditsShowTheSame(const CommandLine& cmd, const std::string& source, const Args& layout,
                          const unit::TempDir& dir) {
    std::string text;
    for (std::uint32_t k = 0; k < 18 / cmd.options.frameWidth * (16 / cmd.options.frameHeight); ++k)
        text += static_cast<char>(cmd.options.fontFirst + k);
    std::string all = unit::ReadWholeFile(source);
    for (const auto& e : kEdits) all = e.edit(all);
    ASSERT_TRUE(unit::WriteWholeFile(dir.File("edited.asm"), all));
    std::vector<std::uint8_t> shown[2];
    for (const std::string& file : {source, dir.File("edited.asm")}) {
        Args render = {"-f", "-text", text, file, dir.File("font.png")};
        render.insert(render.end(), layout.begin(), layout.end());
        unit::ConsoleText console;
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        shown[file != source] = unit::LoadGreyPicture(dir.File("font.png")).values;
    }
    EXPECT_FALSE(shown[0].empty());
    EXPECT_EQ(shown[0], shown[1]);
}

// The long tests that convert in process run in four parts, each a test of its
// own that ctest runs beside the others: every conversion forks the decoding
// child, at a cost that grows with the memory of the process that forks it, so
// that four processes take a third less processor time than one for all the work.
class InParts : public ::testing::TestWithParam<std::uint32_t> {
  public:
    static constexpr std::uint32_t kParts = 4;
};

// Every golden source, each its own piece of the work.
class RenderGolden : public InParts {};
INSTANTIATE_TEST_SUITE_P(Piece, RenderGolden, ::testing::Range(std::uint32_t{0}, InParts::kParts));

TEST_P(RenderGolden, EverySourceShowsThePlaneOfItsPicture) {
    const unit::TempDir dir;
    int rendered = 0;  // in all the parts
    for (const auto& entry : std::filesystem::directory_iterator(PELMO_GOLDEN_DIR)) {
        if (entry.path().extension() != ".asm") continue;
        SCOPED_TRACE(entry.path().filename().string());
        // The case's arguments, with its fixture picture and option files named from here.
        Args args;
        std::ifstream in(std::filesystem::path(entry.path()).replace_extension(".args"));
        for (std::string line; std::getline(in, line);) {
            args.push_back(line.starts_with("data/") ? PELMO_TEST_DATA_DIR + line.substr(4)
                           : line == "@OUT@"         ? "out.asm"
                           : line.starts_with('@')   ? "@" PELMO_GOLDEN_DIR "/" + line.substr(1)
                                                     : line);
        }
        std::vector<const char*> argv{"pelmoimage"};
        for (const std::string& a : args) argv.push_back(a.c_str());
        CommandLine cmd;
        unit::CaptureConsole([&] {
            ASSERT_TRUE(ParseCommandLine(static_cast<int>(argv.size()), argv.data(), cmd));
        });
        // Sprites over their masks, and the planes of -planes, show a
        // checkerboard and three tones: RenderRoundTrip.Frames checks them.
        if (cmd.options.plusmask || cmd.options.planeCount > 0) continue;
        // The bytes alone have no symbols to render them by.
        if (cmd.options.format == OutputFormat::Bin) continue;
        const int index = rendered++;
        if (static_cast<std::uint32_t>(index) % InParts::kParts != GetParam()) continue;
        // Sources with an include line, or of -c best, name their codec themselves.
        Args layout;
        if (cmd.options.tc != TableCodeMode::Include && !cmd.bestCodec) {
            layout = {"-c", std::string(CodecFor(cmd.codec).keyword)};
        }
        if (cmd.options.xorder) layout.push_back("-xorder");
        if (cmd.options.unflip) layout.push_back("-unflip");
        // A font shows its glyphs with -text: RenderText checks them; here
        // a hand-edited copy shows what the source itself does.
        if (cmd.options.font) {
            FontEditsShowTheSame(cmd, entry.path().string(), layout, dir);
            continue;
        }
        const unit::LoadedTones tones = unit::LoadTones(cmd.imageFile, cmd.options);
        ASSERT_TRUE(tones.ok) << tones.err;
        // A sheet shows its frames where they are, each padded to whole blocks with -pad.
        const int band = cmd.options.Frames() ? static_cast<int>(cmd.options.frameHeight) : 8;
        const int padded = cmd.options.pad ? (band + 7) / 8 * 8 : band;
        const int height = tones.height / band * padded;
        std::vector<std::uint8_t> expected;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < tones.width; ++x) {
                const int row = y / padded * band + y % padded;
                const bool lit = y % padded < band &&
                                 tones.tones[static_cast<std::size_t>(row * tones.width + x)] >=
                                     2 - cmd.options.dim;
                expected.push_back(lit ? 255 : 0);
            }
        }

        Args render = {"-f",
                       "-w",
                       std::to_string(tones.width),
                       "-h",
                       std::to_string(height),
                       entry.path().string(),
                       dir.File("golden.png")};
        if (cmd.options.Frames()) {
            render.insert(render.end(), {"-frames", std::to_string(cmd.options.frameWidth) + "x" +
                                                        std::to_string(padded)});
        }
        render.insert(render.end(), layout.begin(), layout.end());
        unit::ConsoleText console;
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        EXPECT_TRUE(Shows(dir.File("golden.png"), tones.width, height, expected));

        // Edited by hand: each source in one way, and in all of them at once.
        const std::string original = unit::ReadWholeFile(entry.path().string());
        const bool inC = cmd.options.format == OutputFormat::C;
        std::string all = original;
        for (const auto& e : kEdits) all = e.inC || !inC ? e.edit(all) : all;
        auto one = kEdits[static_cast<std::size_t>(index) % std::size(kEdits)];
        if (inC && !one.inC) one = kEdits[std::size(kEdits) - 1];
        for (const auto& [name, edited] :
             {std::pair{one.name, one.edit(original)}, std::pair{"every edit", all}}) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(unit::WriteWholeFile(dir.File("edited.asm"), edited));
            Args again = render;
            again[5] = dir.File("edited.asm");
            ASSERT_EQ(unit::RunEntry(RunRender, again, console), 0) << console.err;
            EXPECT_TRUE(Shows(dir.File("golden.png"), tones.width, height, expected));
        }
    }
    EXPECT_GE(rendered, 90);
}

// The two planes of a three-tone picture are checked against each other.
TEST(RenderPlanes, SwappedOrForeignPlanesAreRefused) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    const auto convert = [&](const std::string& picture, const std::string& source, bool dim) {
        Args args = {"-c", "rle", "-tc", "include", picture, dir.File(source)};
        if (dim) args.push_back("-dim");
        ASSERT_EQ(unit::RunEntry(RunConversion, args, console), 0) << console.err;
    };
    convert(PELMO_DOCS_DIR "/sample.png", "full.asm", false);
    convert(PELMO_DOCS_DIR "/sample.png", "dim.asm", true);
    convert(PELMO_TEST_DATA_DIR "/pattern.png", "other.asm", true);
    const auto render = [&](const std::string& full, const std::string& dim) {
        return unit::RunEntry(
            RunRender,
            {"-f", "-w", "96", dir.File(full), "-dimplane", dir.File(dim), dir.File("tones.png")},
            console);
    };
    EXPECT_EQ(render("full.asm", "dim.asm"), 0) << console.err;
    EXPECT_EQ(render("dim.asm", "full.asm"), 1);
    EXPECT_NE(console.err.find("the planes do not belong together, or are swapped"),
              std::string::npos)
        << console.err;
    EXPECT_EQ(render("full.asm", "other.asm"), 1);
    EXPECT_NE(console.err.find("gives a 96x64 picture, its -dimplane source"), std::string::npos)
        << console.err;
}

// --help and --version are answers, not failures (the converter's are the
// golden cases cli_help and cli_version); a refused command line is a failure.
TEST(RenderDriver, HelpAndVersionEndWithStatusZero) {
    for (const std::string request : {"--help", "--version"}) {
        unit::ConsoleText console;
        EXPECT_EQ(unit::RunEntry(RunRender, {request}, console), 0) << request;
        EXPECT_NE(console.out, "");
        EXPECT_EQ(console.err, "");
    }
    // No argument at all: the usage text alone, no error line, and a failure.
    unit::ConsoleText console;
    EXPECT_EQ(unit::RunEntry(RunRender, {}, console), 1);
    EXPECT_TRUE(console.err.starts_with("Usage: pelmoimage-render")) << console.err;
    // -q before a fault keeps the banner back, as it does for the converter.
    unit::ConsoleText quiet;
    EXPECT_EQ(unit::RunEntry(RunRender, {"-q", "-w", "x", "a.asm", "b.png"}, quiet), 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_TRUE(quiet.err.starts_with("Error, invalid width \"x\"\nUsage: ")) << quiet.err;
}

// Refused command lines: the banner, the line, the usage text, status 1.
TEST(RenderDriver, CommandLineRefusals) {
    const std::pair<Args, std::string> cases[] = {
        {{"a.asm", "b.png", "frames"}, "Error, unexpected argument \"frames\"\n"},
        {{"@" PELMO_GOLDEN_DIR "/option_files/column.opts"},
         "Error, unknown option \"-vprefix\"\n"},
        {{"-w", "8", "@/nonexistent"}, "Error, cannot read option file \"/nonexistent\"\n"},
        {{"-zoom", "17", "a.asm", "b.png"}, "Error, invalid zoom \"17\"\n"},
    };
    for (const auto& [args, error] : cases) {
        unit::ConsoleText console;
        EXPECT_EQ(unit::RunEntry(RunRender, args, console), 1) << error;
        EXPECT_EQ(console.out, unit::CaptureConsole([] { PrintBanner(); }).out);
        EXPECT_EQ(console.err, error + unit::CaptureConsole([] { PrintRenderUsage(); }).err);
    }
}

// The README's plane pictures are what the two programs make of the sample now.
TEST(RenderDocs, PlanePicturesAreUpToDate) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    for (const std::string plane : {"full", "dim"}) {
        Args convert = {"-c", "raw", PELMO_DOCS_DIR "/sample.png", dir.File(plane + ".asm")};
        if (plane == "dim") convert.push_back("-dim");
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
    }
    const std::pair<std::string, Args> pictures[] = {
        {"plane_full.png", {dir.File("full.asm")}},
        {"plane_dim.png", {dir.File("dim.asm")}},
        {"plane_tones.png", {dir.File("full.asm"), "-dimplane", dir.File("dim.asm")}}};
    for (const auto& [name, sources] : pictures) {
        Args render = {"-f", "-w", "96", "-c", "raw"};
        render.insert(render.end(), sources.begin(), sources.end());
        render.push_back(dir.File(name));
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        const unit::GreyPixels fresh = unit::LoadGreyPicture(dir.File(name));
        EXPECT_EQ(fresh.width, 96);
        EXPECT_TRUE(unit::SameAsCommitted(fresh, PELMO_DOCS_DIR, name));
    }
}

// A name a C header can hold.
bool CName(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
    });
}

// Red values in rectangles of one level, with speckles; every level sits on
// or beside a threshold.
std::vector<std::uint8_t> RandomReds(std::mt19937& rng, int width, int height) {
    constexpr std::uint8_t kLevels[] = {0, 127, 128, 191, 192, 255};
    const auto level = [&] { return kLevels[rng() % std::size(kLevels)]; };
    std::vector<std::uint8_t> red(static_cast<std::size_t>(width * height), level());
    for (unsigned areas = rng() % 6; areas > 0; --areas) {
        const int x0 = static_cast<int>(rng() % width), y0 = static_cast<int>(rng() % height);
        const int x1 = x0 + static_cast<int>(rng() % width),
                  y1 = y0 + static_cast<int>(rng() % height);
        const std::uint8_t v = level();
        for (int y = y0; y < std::min(y1, height); ++y) {
            for (int x = x0; x < std::min(x1, width); ++x)
                red[static_cast<std::size_t>(y * width + x)] = v;
        }
    }
    const unsigned speckles = rng() % 3 == 0 ? 2 : 40;  // one pixel in so many
    for (std::uint8_t& r : red) {
        if (rng() % speckles == 0) r = level();
    }
    return red;
}

// The seeded round trips, each seed its own piece of the work.
class RenderRoundTripSeeds : public InParts {
  protected:
    // This part's share of the seeds 1 to `count`: the first and the last.
    static std::pair<std::uint32_t, std::uint32_t> Seeds(std::uint32_t count) {
        return {1 + GetParam() * count / kParts, (GetParam() + 1) * count / kParts};
    }
};
INSTANTIATE_TEST_SUITE_P(Piece, RenderRoundTripSeeds,
                         ::testing::Range(std::uint32_t{0}, InParts::kParts));

TEST_P(RenderRoundTripSeeds, RandomPicturesAndOptions) {
    const char* const kModes[] = {"none", "image", "data", "include"};
    const char* const kNames[] = {"", "IMG", "a b", "$1F", "x:", "_0", "\t.db $00"};
    const char* const kNameOptions[] = {"-vprefix", "-vsize",   "-vpackets", "-vstart",
                                        "-vflag",   "-lprefix", "-ldata"};
    const char* const kFormats[] = {".png", ".bmp", ".tga", ".tif"};
    const unit::TempDir dir;
    const auto [first, last] = Seeds(300);
    for (std::uint32_t seed = first; seed <= last; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int width = 1 + static_cast<int>(rng() % 80);
        const int height = 8 * (1 + static_cast<int>(rng() % 8));
        const std::vector<std::uint8_t> red = RandomReds(rng, width, height);
        ASSERT_TRUE(
            unit::SavePicture(dir.File("in.png"), FIF_PNG, width, height, [&](int x, int y) {
                const std::uint8_t r = red[static_cast<std::size_t>(y * width + x)];
                return unit::Colour{r, static_cast<std::uint8_t>(255 - r), r};
            }));

        const std::string codec(CodecTable()[rng() % kCodecCount].keyword);
        const std::string mode = kModes[rng() % 4];
        Args options = {"-c", codec, "-tc", mode};
        for (const char* flag : {"-xorder", "-unflip", "-strim", "-etrim", "-setsymb"}) {
            if (rng() % 2 == 0) options.push_back(flag);
        }
        for (const char* name : kNameOptions) {
            if (rng() % 3 == 0)
                options.insert(options.end(), {name, kNames[rng() % std::size(kNames)]});
        }
        const auto has = [&](const char* flag) {
            return std::find(options.begin(), options.end(), flag) != options.end();
        };
        const bool threeTones = rng() % 4 == 0;
        const bool dim = !threeTones && rng() % 2 == 0;
        // The tone options but -dither, drawn apart so that the draws above stay as they were.
        std::mt19937 toneRng(seed);
        const bool luma = toneRng() % 4 == 0;
        const bool invert = toneRng() % 4 == 0;
        int dimFrom = 128, fullFrom = 192;
        if (toneRng() % 4 == 0) {
            dimFrom = 1 + static_cast<int>(toneRng() % 255);
            fullFrom = dimFrom + static_cast<int>(toneRng() % static_cast<unsigned>(256 - dimFrom));
            options.insert(options.end(),
                           {"-levels", std::to_string(dimFrom) + "," + std::to_string(fullFrom)});
        }
        if (luma) options.push_back("-luma");
        if (invert) options.push_back("-invert");

        // Both programs at the least pixel limit that lets the picture through:
        // the renderer reads whatever the converter writes under it.
        const std::string limit = std::to_string(width * height);
        options.insert(options.end(), {"-maxpixels", limit});
        Args render = {"-f", "-w", std::to_string(width), "-maxpixels", limit};
        // Trimmed end bytes leave the height to be told.
        if (has("-etrim") || rng() % 2 == 0)
            render.insert(render.end(), {"-h", std::to_string(height)});
        if (mode != "include" || rng() % 2 == 0) render.insert(render.end(), {"-c", codec});
        for (const char* flag : {"-xorder", "-unflip"}) {
            if (has(flag)) render.push_back(flag);
        }
        unit::ConsoleText console;
        for (const bool dimPlane : {false, true}) {
            if (dimPlane && !threeTones) break;
            Args convert = options;
            if (dim || dimPlane) convert.push_back("-dim");
            const std::string source = dir.File(dimPlane ? "dim.asm" : "full.asm");
            convert.insert(convert.end(), {dir.File("in.png"), source});
            ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
            render.insert(render.end(), {dimPlane ? "-dimplane" : source});
            if (dimPlane) render.push_back(source);
        }
        const std::string picture = dir.File(std::string("out") + kFormats[rng() % 4]);
        render.push_back(picture);
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        // A height not told is a guess unless the data shows it whole: the warning at most.
        const bool told = std::find(render.begin(), render.end(), "-h") != render.end();
        EXPECT_TRUE(console.err.empty() ||
                    (!told && console.err.starts_with("Warning, the height of \"")))
            << console.err;

        std::vector<std::uint8_t> expected;
        for (const std::uint8_t r : red) {
            const int v = luma ? (2126 * r + 7152 * (255 - r) + 722 * r + 5000) / 10000 : r;
            const int tone = invert ? 2 - (v < dimFrom    ? 0
                                           : v < fullFrom ? 1
                                                          : 2)
                                    : (v < dimFrom    ? 0
                                       : v < fullFrom ? 1
                                                      : 2);
            expected.push_back(tone == 2 ? 255 : tone == 0 ? 0 : threeTones ? 128 : dim ? 255 : 0);
        }
        ASSERT_TRUE(Shows(picture, width, height, expected));
    }
}

// The options beyond the classic ones, on seeded RGBA pictures of any height:
// the plane the renderer shows is the one the alpha and red values make,
// -pad adds off rows, -dims sources render without -w and -h (trimmed or not), -c best is the
// smallest of the codecs' outputs, and -q prints nothing and changes nothing.
TEST_P(RenderRoundTripSeeds, AlphaMaskPadDimsBestAndQuiet) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    // IMG_SIZE of a conversion with `args`.
    const auto sizeOf = [&](Args args) {
        args.insert(args.end(), {"-q", dir.File("in.png"), dir.File("size.asm")});
        EXPECT_EQ(unit::RunEntry(RunConversion, args, console), 0) << console.err;
        const std::string text = unit::ReadWholeFile(dir.File("size.asm"));
        const std::size_t at = text.find("IMG_SIZE $") + 10;
        return std::stoi(text.substr(at, text.find('\n', at) - at), nullptr, 16);
    };
    const auto [first, last] = Seeds(60);
    for (std::uint32_t seed = first; seed <= last; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int width = 1 + static_cast<int>(rng() % 60);
        const int height = 1 + static_cast<int>(rng() % 40);
        const std::vector<std::uint8_t> red = RandomReds(rng, width, height);
        const std::vector<std::uint8_t> opacity = RandomReds(rng, width, height);
        ASSERT_TRUE(unit::SavePicture(
            dir.File("in.png"), FIF_PNG, width, height,
            [&](int x, int y) {
                const auto i = static_cast<std::size_t>(y * width + x);
                return unit::Colour{red[i], 0, 0, opacity[i]};
            },
            unit::PixelDepth::Rgba32));
        const std::string plane = std::array{"-alpha", "-mask", "-dim", ""}[rng() % 4];
        Args options = {"-pad", "-dims", "-c", "best", "-tc", rng() % 2 == 0 ? "include" : "none"};
        if (!plane.empty()) options.push_back(plane);
        // Trimmed blank rows at the end leave the height to the symbol alone.
        if (rng() % 2 == 0) options.push_back("-etrim");
        if (rng() % 2 == 0) options.push_back("-xorder");

        Args convert = options;
        convert.insert(convert.end(), {dir.File("in.png"), dir.File("out.asm")});
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        const std::string chosen = console.out.substr(console.out.find("Best codec is ") + 14);
        int smallest = INT32_MAX;
        std::string first;
        for (const CodecInfo& codec : CodecTable()) {
            Args single = options;
            single[3] = std::string(codec.keyword);
            const int size = sizeOf(single);
            if (size < smallest) smallest = size, first = std::string(codec.keyword);
        }
        EXPECT_TRUE(chosen.starts_with(first + " (")) << chosen << " is not " << first;
        EXPECT_EQ(sizeOf(options), smallest);

        // The same again with -q: nothing printed, the same file.
        convert.insert(convert.begin(), "-q");
        convert.back() = dir.File("quiet.asm");
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        EXPECT_EQ(console.out, "");
        EXPECT_EQ(unit::ReadWholeFile(dir.File("quiet.asm")),
                  unit::ReadWholeFile(dir.File("out.asm")));

        // No -w and no -h: the source says them. No -c: the codec comment names it.
        Args render = {"-f", dir.File("out.asm"), dir.File("shown.png")};
        if (rng() % 2 == 0) render.insert(render.begin() + 1, {"-c", first});
        if (options.back() == "-xorder") render.push_back("-xorder");
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        const int padded = (height + 7) / 8 * 8;
        std::vector<std::uint8_t> expected(static_cast<std::size_t>(width * padded), 0);
        for (std::size_t i = 0; i < red.size(); ++i) {
            const bool opaque = opacity[i] >= 128;
            const bool lit = plane == "-mask"    ? opaque
                             : plane == "-dim"   ? red[i] >= 128
                             : plane == "-alpha" ? red[i] >= 192 && opaque
                                                 : red[i] >= 192;
            expected[i] = lit ? 255 : 0;
        }
        EXPECT_TRUE(Shows(dir.File("shown.png"), width, padded, expected));

        // The sprite over its mask (-over): white where lit, black where only
        // the mask is, the checkerboard where the screen shows through.
        if (plane != "-alpha") continue;
        std::replace(convert.begin(), convert.end(), plane, std::string("-mask"));
        convert.back() = dir.File("mask.asm");
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        // Each source's codec comment names its own codec.
        if (render[1] == "-c") render.erase(render.begin() + 1, render.begin() + 3);
        render.insert(render.begin() + 1, {"-over", dir.File("mask.asm")});
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto x = static_cast<int>(i % static_cast<std::size_t>(width));
            const auto y = static_cast<int>(i / static_cast<std::size_t>(width));
            const bool opaque = i < opacity.size() && opacity[i] >= 128;
            const std::uint8_t checks = (x / 4 + y / 4) % 2 == 0 ? 64 : 96;
            expected[i] = expected[i] == 255 ? 255 : opaque ? 0 : checks;
        }
        EXPECT_TRUE(Shows(dir.File("shown.png"), width, padded, expected));
    }
}

// -pad gives what the picture padded beforehand with off rows gives.
TEST(RenderRoundTrip, PadIsThePicturePaddedBeforehand) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    const auto colour = [](int x, int y) {
        const auto red = static_cast<std::uint8_t>((x * 7 + y * 3) % 5 < 2 ? 255 : 150);
        return unit::Colour{y < 13 ? red : std::uint8_t{0}, 0, 0, 255};
    };
    ASSERT_TRUE(unit::SavePicture(dir.File("13.png"), FIF_PNG, 21, 13, colour));
    ASSERT_TRUE(unit::SavePicture(dir.File("16.png"), FIF_PNG, 21, 16, colour));
    for (const char* plane : {"-dim", "-unflip"}) {
        for (const char* picture : {"13", "16"}) {
            Args args = {"-pad",
                         plane,
                         "-c",
                         "rle",
                         dir.File(std::string(picture) + ".png"),
                         dir.File(std::string(picture) + ".asm")};
            ASSERT_EQ(unit::RunEntry(RunConversion, args, console), 0) << console.err;
        }
        EXPECT_EQ(unit::ReadWholeFile(dir.File("13.asm")), unit::ReadWholeFile(dir.File("16.asm")))
            << plane;
    }
}

// Random sheets through the converter and the renderer, with random frame
// sizes, codecs and options: every frame shows where the sheet has it (padded
// to whole blocks with -pad), a -plusmask sprite over its mask and the
// checkerboard, the planes of -planes in three tones from one source, -frame
// N alone; -c best's codec is the smallest in total. Cut into tiles instead
// (-tiles, with or without the -tileset of another sheet), every cell shows
// where a frame would.
TEST_P(RenderRoundTripSeeds, FramesOfRandomSheets) {
    const char* const kModes[] = {"none", "image", "data", "include"};
    const unit::TempDir dir;
    unit::ConsoleText console;
    const auto [first, last] = Seeds(80);
    for (std::uint32_t seed = first; seed <= last; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const bool pad = rng() % 3 == 0;
        int fw = 1 + static_cast<int>(rng() % 20);
        int fh = pad ? 1 + static_cast<int>(rng() % 20) : 8 * (1 + static_cast<int>(rng() % 3));
        int across = 1 + static_cast<int>(rng() % 5);
        const int width = fw * across;
        const int height = fh * (1 + static_cast<int>(rng() % 4));
        const std::vector<std::uint8_t> red = RandomReds(rng, width, height);
        const std::vector<std::uint8_t> opacity = RandomReds(rng, width, height);
        const std::string size = std::to_string(fw) + "x" + std::to_string(fh);
        const std::string picture = dir.File("sheet_" + size + ".png");
        ASSERT_TRUE(unit::SavePicture(
            picture, FIF_PNG, width, height,
            [&](int x, int y) {
                const auto i = static_cast<std::size_t>(y * width + x);
                return unit::Colour{red[i], 0, 0, opacity[i]};
            },
            unit::PixelDepth::Rgba32));

        const bool plusmask = rng() % 3 == 0;
        // -plusmask alone: the whole picture one frame, as a single picture is.
        const bool whole = plusmask && rng() % 2 == 0;
        const bool dims = rng() % 2 == 0;
        const std::string codec =
            rng() % 7 == 0 ? "best" : std::string(CodecTable()[rng() % kCodecCount].keyword);
        const std::string mode = kModes[rng() % 4];
        // Tiles drawn apart, so that the draws of frames stay as they were.
        std::mt19937 tileRng(seed);
        const bool tiles = !whole && tileRng() % 3 == 0;
        const bool tileSet = tiles && tileRng() % 2 == 0;
        const std::string cut = rng() % 2 == 0 && !tiles ? "auto" : size;
        Args convert = {tiles ? "-tiles" : "-frames", cut, "-c", codec, "-tc", mode};
        for (const char* name : {"-vprefix", "-lprefix", "-ldata"}) {
            const char* const kNames[] = {"", "a b", "$1F", "x:", "_0", "hero"};
            if (rng() % 3 == 0) convert.insert(convert.end(), {name, kNames[rng() % 6]});
        }
        Args layout;
        for (const char* flag : {"-xorder", "-unflip"}) {
            if (rng() % 2 == 0) layout.push_back(flag);
        }
        const bool dim = rng() % 3 == 0;
        // -planes: some of the three in any order, side by side or not; one
        // source shows them in three tones over the checkerboard of a mask.
        std::string planes;
        std::array<std::string, 3> kinds = {"full", "dim", "mask"};
        std::shuffle(kinds.begin(), kinds.end(), rng);
        const std::size_t listed = !plusmask && !dim && rng() % 3 == 0 ? 1 + rng() % 3 : 0;
        for (std::size_t k = 0; k < listed; ++k) planes += (k == 0 ? "" : ",") + kinds[k];
        const auto has = [&](const char* kind) {
            return std::find(kinds.begin(), kinds.begin() + listed, kind) != kinds.begin() + listed;
        };
        if (listed > 0) convert.insert(convert.end(), {"-planes", planes});
        if (listed > 0 && rng() % 2 == 0) convert.push_back("-interleave");
        for (const auto& [on, flag] : {std::pair{rng() % 2 == 0, "-strim"},
                                       {rng() % 2 == 0, "-etrim"},
                                       {dim, "-dim"},
                                       {pad, "-pad"},
                                       {plusmask, "-plusmask"},
                                       {dims, "-dims"}}) {
            if (on) convert.push_back(flag);
        }
        convert.insert(convert.end(), layout.begin(), layout.end());
        if (tileSet) {
            // The tiles of another sheet first, made with the same options.
            const std::vector<std::uint8_t> other = RandomReds(tileRng, width, height);
            ASSERT_TRUE(
                unit::SavePicture(dir.File("other.png"), FIF_PNG, width, height, [&](int x, int y) {
                    const auto i = static_cast<std::size_t>(y * width + x);
                    return unit::Colour{other[i], 0, 0, opacity[i]};
                }));
            Args known = convert;
            known.insert(known.end(), {dir.File("other.png"), dir.File("known.asm")});
            ASSERT_EQ(unit::RunEntry(RunConversion, known, console), 0) << console.err;
            convert.insert(convert.end(), {"-tileset", dir.File("known.asm")});
        }
        // Now and then a C header with its frame table, where the table-code
        // mode and the names allow one (from draws of its own).
        std::mt19937 formatRng(seed);
        bool inC = mode == "none" && !whole && !tiles && formatRng() % 3 == 0;
        for (std::size_t i = 0; i + 1 < convert.size(); ++i) {
            if (convert[i] == "-vprefix" || convert[i] == "-lprefix" || convert[i] == "-ldata") {
                inC = inC && CName(convert[i + 1]);
            }
        }
        if (inC) convert.insert(convert.end(), {"-format", "c", "-ftable"});
        convert.insert(convert.end(), {picture, dir.File("out.asm")});
        if (whole) convert.erase(convert.begin(), convert.begin() + 2);
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        std::string used = codec;
        if (codec == "best") {
            // The codec chosen, then each codec's total: the chosen one's is the first smallest.
            const std::size_t from = console.out.find("Best codec is ") + 14;
            std::string said = console.out.substr(from, console.out.find(" bytes).", from) - from);
            std::replace_if(
                said.begin(), said.end(), [](char c) { return c == '(' || c == ','; }, ' ');
            std::istringstream line(said);
            line >> used;
            int smallest = INT32_MAX;
            std::string first;
            for (std::string name, total; line >> name >> total;) {
                if (total != "-" && std::stoi(total) < smallest) {
                    smallest = std::stoi(total);
                    first = name;
                }
            }
            EXPECT_EQ(used, first);
            const std::string text = unit::ReadWholeFile(dir.File("out.asm"));
            int sum = 0;
            for (std::size_t at = 0; (at = text.find("_SIZE $", at)) != std::string::npos;) {
                sum += std::stoi(text.substr(at += 7, 8), nullptr, 16);
            }
            EXPECT_EQ(sum, smallest);
        }

        if (whole) {
            fw = width;
            fh = height;
            across = 1;
        }
        const int padded = pad ? (fh + 7) / 8 * 8 : fh;
        const int count = across * (height / fh);
        const int drawn = !whole && rng() % 4 == 0 ? static_cast<int>(rng() % count) : -1;
        const int frame = tiles ? -1 : drawn;
        Args render = {"-f", "-w", std::to_string(width), dir.File("out.asm"),
                       dir.File("shown.png")};
        if (whole && (pad || rng() % 2 == 0)) {
            render.insert(render.end(), {"-h", std::to_string(padded)});
        } else if (!whole && (!dims || rng() % 2 == 0) && !tiles) {
            render.insert(render.end(),
                          {"-frames", std::to_string(fw) + "x" + std::to_string(padded)});
        }
        if (mode != "include" || rng() % 2 == 0) render.insert(render.end(), {"-c", used});
        if (frame >= 0) render.insert(render.end(), {"-frame", std::to_string(frame)});
        if (plusmask) render.push_back("-plusmask");
        render.insert(render.end(), layout.begin(), layout.end());
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;

        const int shownWidth = frame >= 0 ? fw : width;
        const int shownHeight = frame >= 0 ? padded : height / fh * padded;
        std::vector<std::uint8_t> expected;
        for (int y = 0; y < shownHeight; ++y) {
            for (int x = 0; x < shownWidth; ++x) {
                const int f = frame >= 0 ? frame : y / padded * across + x / fw;
                const int row = f / across * fh + y % padded;
                const auto i = static_cast<std::size_t>(row * width + f % across * fw + x % fw);
                const bool inside = y % padded < fh;
                const bool lit = inside && red[i] >= (dim ? 128 : 192);
                const bool opaque = inside && opacity[i] >= 128;
                const std::uint8_t checks = (x / 4 + y / 4) % 2 == 0 ? 64 : 96;
                const bool shown = opaque || !has("mask");
                const bool dimLit = inside && red[i] >= 128 && shown && has("dim");
                expected.push_back(listed > 0      ? (lit && shown && has("full") ? 255
                                                      : dimLit                    ? 128
                                                      : has("mask") && !opaque    ? checks
                                                                                  : 0)
                                   : !plusmask     ? (lit ? 255 : 0)
                                   : lit && opaque ? 255
                                   : opaque        ? 0
                                                   : checks);
            }
        }
        ASSERT_TRUE(Shows(dir.File("shown.png"), shownWidth, shownHeight, expected));
    }
}

// -frames all: the frames of an animated GIF (a writer's frames of what
// changes, at offsets, with each disposal and a transparent colour; frames
// without graphic control on a screen of a background colour) as the image
// library plays them, in the full and the opacity plane, and the pages of a
// TIFF, all of one size; a TIFF whose pages differ is refused.
TEST(RenderRoundTrip, FramesAllAreTheFramesTheLibraryPlays) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    const FreeImageSession session;
    for (const auto& [file, format, plane] : {std::tuple{"anim.gif", FIF_GIF, ""},
                                              {"anim.gif", FIF_GIF, "-mask"},
                                              {"anim_screen.gif", FIF_GIF, ""},
                                              {"anim_screen.gif", FIF_GIF, "-mask"},
                                              {"pages.tif", FIF_TIFF, "-dim"}}) {
        SCOPED_TRACE(std::string(file) + " " + plane);
        const std::string path = PELMO_TEST_DATA_DIR "/" + std::string(file);
        Args convert = {"-frames", "all", "-c", "rle", path, dir.File("all.asm")};
        if (*plane != 0) convert.push_back(plane);
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        ASSERT_EQ(unit::RunEntry(RunRender,
                                 {"-f", "-c", "rle", "-frames", "16x16", dir.File("all.asm"),
                                  dir.File("all.png")},
                                 console),
                  0)
            << console.err;

        // The library's own frames, one below the other.
        const std::unique_ptr<FIMULTIBITMAP, void (*)(FIMULTIBITMAP*)> pages(
            FreeImage_OpenMultiBitmap(format, path.c_str(), FALSE, TRUE, FALSE,
                                      format == FIF_GIF ? GIF_PLAYBACK : 0),
            [](FIMULTIBITMAP* opened) { FreeImage_CloseMultiBitmap(opened, 0); });
        ASSERT_TRUE(pages);
        const int count = FreeImage_GetPageCount(pages.get());
        EXPECT_GE(count, 3);
        std::vector<std::uint8_t> expected;
        for (int page = 0; page < count; ++page) {
            FIBITMAP* locked = FreeImage_LockPage(pages.get(), page);
            const Bitmap pixels(FreeImage_ConvertTo32Bits(locked));
            FreeImage_UnlockPage(pages.get(), locked, FALSE);
            ASSERT_TRUE(pixels && FreeImage_GetWidth(pixels.get()) == 16 &&
                        FreeImage_GetHeight(pixels.get()) == 16);
            for (int y = 0; y < 16; ++y) {
                const BYTE* line = FreeImage_GetScanLine(pixels.get(), 15 - y);
                for (int x = 0; x < 16; ++x) {
                    const bool lit =
                        std::string(plane) == "-mask"  ? line[4 * x + FI_RGBA_ALPHA] >= 128
                        : std::string(plane) == "-dim" ? line[4 * x + FI_RGBA_RED] >= 128
                                                       : line[4 * x + FI_RGBA_RED] >= 192;
                    expected.push_back(lit ? 255 : 0);
                }
            }
        }
        EXPECT_TRUE(Shows(dir.File("all.png"), 16, 16 * count, expected));
    }
    // The pixel limit holds for all the frames together: four of 16 x 16.
    const std::string anim = PELMO_TEST_DATA_DIR "/anim.gif";
    EXPECT_EQ(
        unit::RunEntry(RunConversion,
                       {"-frames", "all", "-maxpixels", "1023", anim, dir.File("x.asm")}, console),
        1);
    EXPECT_EQ(console.err,
              "Error, image \"" + anim +
                  "\" is 16x64 pixels, more than the limit of 1023 (see -maxpixels).\n");
    EXPECT_EQ(
        unit::RunEntry(
            RunConversion,
            {"-frames", "all", PELMO_TEST_DATA_DIR "/pages_mixed.tif", dir.File("x.asm")}, console),
        1);
    EXPECT_EQ(console.err, "Error, the pages of \"" PELMO_TEST_DATA_DIR
                           "/pages_mixed.tif\" are not all 16x16 pixels as the first.\n");
    // Its last frame's codes cut to two bytes, sub-blocks and trailer whole:
    // refused, as the first frame would be.
    const std::string gif = unit::ReadWholeFile(anim);
    unit::BytesReader reader(gif);
    const Expected<Document> frames = ReadDocument(FIF_GIF, reader, true);
    ASSERT_TRUE(frames);
    // The last frame's descriptor, from where its splice takes it.
    const Page& last = frames->pages.back();
    const std::size_t at =
        last.splice.pieces[1].from + (last.facts.at - last.splice.pieces[0].length);
    const auto flags = static_cast<std::uint8_t>(gif[at + 9]);
    const std::size_t data = at + 10 + ((flags & 0x80) != 0 ? 3u << ((flags & 7) + 1) : 0) + 1;
    const std::string cut = gif.substr(0, data) + '\x02' + gif.substr(data + 1, 2) + '\0' + ';';
    ASSERT_TRUE(unit::WriteWholeFile(dir.File("cut.gif"), cut));
    EXPECT_EQ(unit::RunEntry(RunConversion,
                             {"-frames", "all", dir.File("cut.gif"), dir.File("x.asm")}, console),
              1);
    EXPECT_EQ(console.err, "Error, failed to open image \"" + dir.File("cut.gif") + "\".\n");
}

// What the renderer refuses of a source of frames, in one line each; a limit
// that the decoded frames outgrow is one on the picture's size, as without
// -frame.
TEST(RenderFrames, Refusals) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    const std::string sheet = PELMO_TEST_DATA_DIR "/sheet_16x8.png";
    ASSERT_EQ(
        unit::RunEntry(RunConversion, {"-frames", "16x8", sheet, dir.File("frames.asm")}, console),
        0);
    ASSERT_EQ(unit::RunEntry(RunConversion, {sheet, dir.File("one.asm")}, console), 0);
    const std::string frames = dir.File("frames.asm");
    const std::pair<Args, std::string> cases[] = {
        {{"-frames", "16x8", "-frame", "6", frames},
         "Error, frame 6 is not in \"" + frames + "\", whose frames are 0 to 5.\n"},
        {{frames}, "Error, missing frame size: give -frames WxH.\n"},
        {{"-frames", "16x8", "-w", "40", frames},
         "Error, the picture's width 40 is not a whole number of frames 16 wide.\n"},
        {{"-frames", "8x8", frames},
         "Error, \"" + frames + "\" line 4: 16 bytes do not fit a 8x8 frame.\n"},
        {{"-frames", "16x8", "-w", "48", dir.File("one.asm")},
         "Error, \"" + dir.File("one.asm") +
             "\" holds no frames (-frames and -frame show frames).\n"},
        // Every frame is decoded, the one shown or not: the sheet of them all is too large.
        {{"-frames", "16x8", "-frame", "1", "-maxpixels", "500", frames},
         "Error, the picture would be 16x48 pixels, more than the limit of 500 (see "
         "-maxpixels).\n"},
    };
    for (const auto& [args, error] : cases) {
        Args render = {"-f", "-c", "raw"};
        render.insert(render.end(), args.begin(), args.end());
        render.push_back(dir.File("shown.png"));
        EXPECT_EQ(unit::RunEntry(RunRender, render, console), 1) << error;
        EXPECT_EQ(console.err, error);
        EXPECT_FALSE(unit::FileExists(dir.File("shown.png")));
    }
}

// The README's sheet pictures are what the two programs make of the ball
// now, and its tile pictures what they make of the level.
TEST(RenderDocs, SheetPicturesAreUpToDate) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    const std::string sheet = PELMO_DOCS_DIR "/ball_16x16.png";
    for (const std::string kind : {"", "-plusmask", "-tiles"}) {
        const bool tiles = kind == "-tiles";
        Args convert = tiles ? Args{"-tiles", "-planes", "full,dim", PELMO_DOCS_DIR "/level.png"}
                             : Args{"-frames", "auto", "-dims", sheet};
        convert.insert(convert.end(), {"-c", "bnp", dir.File("ball.asm")});
        if (kind == "-plusmask") convert.push_back(kind);
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        const std::pair<std::string, Args> pictures[] = {
            {tiles          ? "level_map.png"
             : kind.empty() ? "ball_frames.png"
                            : "ball_plusmask.png",
             tiles ? Args{"-zoom", "2"} : Args{"-w", "64"}},
            {tiles          ? "level_tileset.png"
             : kind.empty() ? "ball_frame4.png"
                            : "",
             tiles ? Args{"-tileset", "-w", "56", "-zoom", "4"} : Args{"-frame", "4"}}};
        for (const auto& [name, options] : pictures) {
            if (name.empty()) continue;
            Args render = {"-f", "-c", "bnp", dir.File("ball.asm"), dir.File(name)};
            render.insert(render.end(), options.begin(), options.end());
            if (kind == "-plusmask") render.push_back(kind);
            ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
            EXPECT_TRUE(
                unit::SameAsCommitted(unit::LoadGreyPicture(dir.File(name)), PELMO_DOCS_DIR, name));
        }
    }
    // Each plane of -planes alone, and the three in one source.
    const std::string ball = dir.File("ball.asm");
    for (const std::string planes : {"full", "dim", "mask", "full,dim,mask"}) {
        const std::string name = "ball_" + (planes.size() > 4 ? "tones" : planes) + ".png";
        Args convert = {"-frames", "auto", "-dims", "-c", "best", "-planes", planes, sheet};
        convert.push_back(ball);
        const Args render = {"-f", "-zoom", "2", "-w", "64", ball, dir.File(name)};
        ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        EXPECT_TRUE(
            unit::SameAsCommitted(unit::LoadGreyPicture(dir.File(name)), PELMO_DOCS_DIR, name));
    }
}

// -text draws each character's glyph where the frames of the same sheet show
// its cell: the cell's columns from its first lit one, then blank columns up
// to the glyph's width; and it refuses a character the font lacks.
TEST(RenderText, GlyphsAreTheSheetsFramesSideBySide) {
    const unit::TempDir dir;
    unit::ConsoleText console;
    const std::string sheet = PELMO_TEST_DATA_DIR "/font_6x8.png";
    const struct {
        Args cut, font, render;  // the cells' options, the font's, the renderer's
        int first, space, spaceWidth;
    } layouts[] = {
        {{"6x8"}, {}, {"-c", "raw"}, 32, 1, 3},
        {{"6x16", "-xorder", "-unflip"},
         {"-fontspace", "0"},
         {"-xorder", "-unflip", "-c", "raw"},
         32,
         0,
         3},
        {{"6x8", "-dim", "-c", "bnp", "-strim", "-etrim"}, {"-first", "1"}, {"-c", "bnp"}, 1, 1, 3},
        {{"6x8", "-unflip"},
         {"-spacewidth", "5", "-fontspace", "3", "-format", "c"},
         {"-unflip", "-c", "raw"},
         32,
         3,
         5}};
    for (const auto& l : layouts) {
        for (const std::string option : {"-font", "-frames"}) {
            Args convert = {option, sheet, dir.File(option + ".asm")};
            convert.insert(convert.begin() + 1, l.cut.begin(), l.cut.end());
            if (option == "-font") convert.insert(convert.begin(), l.font.begin(), l.font.end());
            ASSERT_EQ(unit::RunEntry(RunConversion, convert, console), 0) << console.err;
        }
        std::string text;  // every glyph backwards, and one again
        for (int k = l.cut[0] == "6x8" ? 5 : 2; k >= 0; --k) text += static_cast<char>(l.first + k);
        text += text.substr(1, 1);
        Args render = {"-f", "-text", text, dir.File("-font.asm"), dir.File("text.png")};
        render.insert(render.end(), l.render.begin(), l.render.end());
        ASSERT_EQ(unit::RunEntry(RunRender, render, console), 0) << console.err;
        const unit::GreyPixels line = unit::LoadGreyPicture(dir.File("text.png"));
        int x = 0;
        for (const char c : text) {
            Args shown = {"-f",
                          "-frames",
                          l.cut[0],
                          "-frame",
                          std::to_string(c - l.first),
                          dir.File("-frames.asm"),
                          dir.File("frame.png")};
            shown.insert(shown.end(), l.render.begin(), l.render.end());
            ASSERT_EQ(unit::RunEntry(RunRender, shown, console), 0) << console.err;
            const unit::GreyPixels frame = unit::LoadGreyPicture(dir.File("frame.png"));
            ASSERT_EQ(frame.height, line.height);
            const auto at = [&](int column, int y) {
                return frame.values[y * frame.width + column];
            };
            const auto lit = [&](int column) {
                for (int y = 0; y < frame.height; ++y)
                    if (at(column, y) != 0) return true;
                return false;
            };
            int from = 0;
            int to = frame.width;
            while (from < to && !lit(from)) ++from;
            while (to > from && !lit(to - 1)) --to;
            const int width = from == to ? l.spaceWidth : to - from + l.space;
            ASSERT_LE(x + width, line.width) << "character " << int(c);
            for (int y = 0; y < line.height; ++y) {
                for (int i = 0; i < width; ++i) {
                    ASSERT_EQ(line.values[y * line.width + x + i],
                              from + i < to ? at(from + i, y) : 0)
                        << "character " << int(c) << " column " << i << " row " << y;
                }
            }
            x += width;
        }
        EXPECT_EQ(x, line.width);
    }
    // The README's line of text, from the README's font sheet.
    ASSERT_EQ(unit::RunEntry(RunConversion,
                             {"-font", "6x8", "-first", "48", "-c", "bnp", "-tc", "include",
                              PELMO_DOCS_DIR "/font_6x8.png", dir.File("digits.asm")},
                             console),
              0);
    ASSERT_EQ(unit::RunEntry(RunRender,
                             {"-f", "-zoom", "4", "-text", "12:30", dir.File("digits.asm"),
                              dir.File("text.png")},
                             console),
              0);
    EXPECT_TRUE(unit::SameAsCommitted(unit::LoadGreyPicture(dir.File("text.png")), PELMO_DOCS_DIR,
                                      "font_text.png"));
    EXPECT_EQ(unit::RunEntry(RunRender, {"-text", "1A", dir.File("digits.asm"), dir.File("no.png")},
                             console),
              1);
    EXPECT_EQ(console.err, "Error, \"" + dir.File("digits.asm") +
                               "\" has no glyph for \"A\" (code 65): its codes are 48 to 59.\n");
    EXPECT_FALSE(unit::FileExists(dir.File("no.png")));
}

}  // namespace
}  // namespace pelmo::test
