#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/options.hpp"
#include "base/limits.hpp"
#include "support/unit_console.hpp"
#include "support/unit_temp_dir.hpp"

namespace pelmo {
namespace {

using unit::CaptureConsole;
using unit::ConsoleText;

// The banner and the usage text as the product's printers give them; their
// exact words are pinned by the golden cases (cli_*).
std::string Banner() {
    return CaptureConsole([] { PrintBanner(); }).out;
}
std::string Usage() {
    return CaptureConsole([] { PrintUsage(); }).err;
}

struct Parsed {
    bool ok = false;
    CommandLine cmd;
    ConsoleText console;
};

// Parses `args` as they follow the program's name; `cmd` starts as given.
Parsed Parse(const std::vector<std::string>& args, CommandLine cmd = {}) {
    std::vector<const char*> argv{"pelmoimage"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    Parsed parsed;
    parsed.console = CaptureConsole(
        [&] { parsed.ok = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), cmd); });
    parsed.cmd = cmd;
    return parsed;
}

// A refused command line: the banner alone on standard output, the error line
// and then the usage text on standard error.
void ExpectRefused(const std::vector<std::string>& args, const std::string& errorLine) {
    std::string shown;
    for (const std::string& arg : args) shown += "[" + arg.substr(0, 40) + "] ";
    SCOPED_TRACE("arguments: " + shown);
    const Parsed parsed = Parse(args);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.console.out, Banner());
    EXPECT_EQ(parsed.console.err, errorLine + Usage());
}

// An accepted command line prints nothing at all.
CommandLine Accepted(const std::vector<std::string>& args) {
    const Parsed parsed = Parse(args);
    EXPECT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.console.out, "");
    EXPECT_EQ(parsed.console.err, "");
    return parsed.cmd;
}

void ExpectDefaultOptions(const ImgOptions& o) {
    EXPECT_FALSE(o.dim);
    EXPECT_FALSE(o.unflip);
    EXPECT_FALSE(o.xorder);
    EXPECT_FALSE(o.strim);
    EXPECT_FALSE(o.etrim);
    EXPECT_FALSE(o.setsymb);
    EXPECT_EQ(o.tc, TableCodeMode::None);
    EXPECT_EQ(o.Name(SymbolName::vprefix), "IMG");
    EXPECT_EQ(o.Name(SymbolName::vsize), "_SIZE");
    EXPECT_EQ(o.Name(SymbolName::vpackets), "_PACKETS");
    EXPECT_EQ(o.Name(SymbolName::vstart), "_START");
    EXPECT_EQ(o.Name(SymbolName::vflag), "_FLAG");
    EXPECT_EQ(o.Name(SymbolName::lprefix), "img");
    EXPECT_EQ(o.Name(SymbolName::ldata), "_data");
}

// --help and --version answer on standard output, wherever they stand, and
// are no failure; a value that reads like them is still a value.
TEST(ParseCommandLine, HelpAndVersionAnswerOnStandardOutput) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                                 {"a.png", "--HELP", "-c", "lz"},
                                                 {"-dim", "--help"}}) {
        const Parsed help = Parse(args);
        EXPECT_FALSE(help.ok);
        EXPECT_TRUE(help.cmd.answered);
        EXPECT_EQ(help.console.out, Banner() + CaptureConsole([] { PrintHelp(stdout); }).out);
        EXPECT_EQ(help.console.err, "");
    }
    const Parsed version = Parse({"--version", "a.png", "b.asm"});
    EXPECT_FALSE(version.ok);
    EXPECT_TRUE(version.cmd.answered);
    EXPECT_EQ(version.console.out, CaptureConsole([] { PrintVersion(); }).out);
    EXPECT_EQ(version.console.err, "");

    ExpectRefused({"-x", "--help"}, "Error, unknown option \"-x\"\n");
    EXPECT_FALSE(Parse({"-x", "--help"}).cmd.answered);
    EXPECT_EQ(Accepted({"-vprefix", "--help", "a.png", "b.asm"}).options.Name(SymbolName::vprefix),
              "--help");
}

// No source ever replaces a picture: an output named like one, in any letter
// case, or the input itself reached through another path, a symbolic link or
// a hard link.
TEST(ParseCommandLine, AnOutputThatWouldOverwriteAPictureIsRefused) {
    const auto refusal = [](const std::string& output) {
        return "Error, output file \"" + output + "\" would overwrite a picture.\n";
    };
    for (const char* output : {"b.png", "b.PNG", "dir/b.Tiff", "b.jpeg", "b.gif", "b.psd"}) {
        ExpectRefused({"a.png", output}, refusal(output));
    }
    ExpectRefused({"-c", "rle", "a.png", "b.png", "-dim"}, refusal("b.png"));

    const unit::TempDir dir;
    const std::string picture = dir.File("art.bin.png");
    ASSERT_TRUE(unit::WriteWholeFile(picture, "pixels"));
    ASSERT_EQ(::symlink(picture.c_str(), dir.File("link.asm").c_str()), 0);
    ASSERT_EQ(::link(picture.c_str(), dir.File("hard.asm").c_str()), 0);
    for (const std::string& output :
         {picture, dir.File("link.asm"), dir.File("hard.asm"), dir.path() + "/./art.bin.png"}) {
        ExpectRefused({picture, output}, refusal(output));
    }
    // Links are followed to the file they finally name, existing or not.
    ASSERT_TRUE(unit::WriteWholeFile(dir.File("other.png"), "another picture"));
    ASSERT_EQ(::symlink("other.png", dir.File("to_other.asm").c_str()), 0);
    ASSERT_EQ(::symlink("to_other.asm", dir.File("chain.asm").c_str()), 0);
    ASSERT_EQ(::symlink("dir.gif/new.GIF", dir.File("dangling.asm").c_str()), 0);
    for (const char* output : {"to_other.asm", "chain.asm", "dangling.asm"}) {
        ExpectRefused({picture, dir.File(output)}, refusal(dir.File(output)));
    }
    ASSERT_EQ(::symlink("new.asm", dir.File("to_new.asm").c_str()), 0);
    Accepted({picture, dir.File("to_new.asm")});
    Accepted({picture, dir.File("other.asm")});
    Accepted({"missing.png", dir.File("link.asm.new")});
}

TEST(ParseCommandLine, TwoFileNamesGiveTheDefaults) {
    const CommandLine cmd = Accepted({"a.png", "b.asm"});
    EXPECT_EQ(cmd.imageFile, "a.png");
    EXPECT_EQ(cmd.outputFile, "b.asm");
    EXPECT_EQ(cmd.codec, ImgCodecKind::Raw);
    ExpectDefaultOptions(cmd.options);
}

TEST(ParseCommandLine, EarlierSettingsDoNotSurviveANewParse) {
    CommandLine dirty;
    dirty.options.dim = dirty.options.setsymb = dirty.options.strim = true;
    dirty.options.tc = TableCodeMode::Include;
    dirty.options.Name(SymbolName::vprefix) = "OLD";
    dirty.codec = ImgCodecKind::Bnp;
    dirty.imageFile = "old.png";
    dirty.outputFile = "old.asm";
    const Parsed parsed = Parse({"new.png"}, dirty);
    EXPECT_FALSE(parsed.ok);  // the old output name must not fill the gap
    EXPECT_EQ(parsed.console.err, "Error, missing output filename.\n" + Usage());

    const Parsed fresh = Parse({"a.png", "b.asm"}, dirty);
    ASSERT_TRUE(fresh.ok);
    EXPECT_EQ(fresh.cmd.codec, ImgCodecKind::Raw);
    ExpectDefaultOptions(fresh.cmd.options);
}

TEST(ParseCommandLine, EachErrorLineFollowsTheBannerAndPrecedesTheUsage) {
    ExpectRefused({"--dim", "a.png", "b.asm"}, "Error, unknown option \"--dim\"\n");
    ExpectRefused({"-", "a.png", "b.asm"}, "Error, unknown option \"-\"\n");
    ExpectRefused({"a.png", "b.asm", "-dimx"}, "Error, unknown option \"-dimx\"\n");
    ExpectRefused({"a.png", "b.asm", "-di"}, "Error, unknown option \"-di\"\n");
    ExpectRefused({"-c", "lz", "a.png", "b.asm"}, "Error, unknown compression format \"lz\"\n");
    ExpectRefused({"-c", "rle2", "a.png", "b.asm"}, "Error, unknown compression format \"rle2\"\n");
    ExpectRefused({"-c", "", "a.png", "b.asm"}, "Error, unknown compression format \"\"\n");
    ExpectRefused({"-tc", "paged", "a.png", "b.asm"}, "Error, unknown table code \"paged\"\n");
    ExpectRefused({"-tc", "imag", "a.png", "b.asm"}, "Error, unknown table code \"imag\"\n");
    ExpectRefused({"-tc", "Images", "a.png", "b.asm"}, "Error, unknown table code \"Images\"\n");
    ExpectRefused({"-dim"}, "Error, missing input image filename.\n");
    ExpectRefused({"-c", "rle", "-vprefix", "X"}, "Error, missing input image filename.\n");
    ExpectRefused({"a.png"}, "Error, missing output filename.\n");
}

TEST(ParseCommandLine, ValuesAreQuotedUnchanged) {
    ExpectRefused({"-c", "LZ 77"}, "Error, unknown compression format \"LZ 77\"\n");
    ExpectRefused({"-tc", "-dim"}, "Error, unknown table code \"-dim\"\n");
    ExpectRefused({"-C", "Raw,rle"}, "Error, unknown compression format \"Raw,rle\"\n");
    ExpectRefused({"-XORDER2"}, "Error, unknown option \"-XORDER2\"\n");
}

TEST(ParseCommandLine, ReadingStopsAtTheFirstError) {
    ExpectRefused({"-c", "lz", "-bad", "-tc", "paged"},
                  "Error, unknown compression format \"lz\"\n");
    ExpectRefused({"-bad", "-c", "lz"}, "Error, unknown option \"-bad\"\n");
    ExpectRefused({"-tc", "paged", "a.png"}, "Error, unknown table code \"paged\"\n");
}

TEST(ParseCommandLine, OptionNeedingAValueIsDroppedWhenLast) {
    EXPECT_EQ(Accepted({"a.png", "b.asm", "-c"}).codec, ImgCodecKind::Raw);
    EXPECT_EQ(Accepted({"-c", "rle", "a.png", "b.asm", "-c"}).codec, ImgCodecKind::Rle);
    EXPECT_EQ(Accepted({"-tc", "data", "a.png", "b.asm", "-tc"}).options.tc, TableCodeMode::Data);
    EXPECT_EQ(Accepted({"a.png", "b.asm", "-vprefix"}).options.Name(SymbolName::vprefix), "IMG");
    EXPECT_EQ(Accepted({"a.png", "b.asm", "-ldata"}).options.Name(SymbolName::ldata), "_data");
    ExpectRefused({"a.png", "-c"}, "Error, missing output filename.\n");
    ExpectRefused({"-vprefix"}, "Error, missing input image filename.\n");
}

TEST(ParseCommandLine, AValueIsConsumedWhateverItHolds) {
    const CommandLine dashed = Accepted({"-vprefix", "-dim", "a.png", "b.asm"});
    EXPECT_EQ(dashed.options.Name(SymbolName::vprefix), "-dim");
    EXPECT_FALSE(dashed.options.dim);

    const CommandLine empty = Accepted({"-vprefix", "", "a.png", "b.asm"});
    EXPECT_EQ(empty.options.Name(SymbolName::vprefix), "");
    EXPECT_EQ(empty.imageFile, "a.png");

    // The value is never taken as a file name either.
    const CommandLine named = Accepted({"-lprefix", "x.png", "a.png", "b.asm"});
    EXPECT_EQ(named.options.Name(SymbolName::lprefix), "x.png");
    EXPECT_EQ(named.imageFile, "a.png");
    EXPECT_EQ(named.outputFile, "b.asm");

    ExpectRefused({"-c", "-c", "rle"}, "Error, unknown compression format \"-c\"\n");
}

TEST(ParseCommandLine, FlagsSwitchOnWhereverTheyStand) {
    EXPECT_TRUE(Accepted({"a.png", "b.asm", "-dim"}).options.dim);
    EXPECT_TRUE(Accepted({"a.png", "-unflip", "b.asm"}).options.unflip);
    EXPECT_TRUE(Accepted({"-xorder", "a.png", "b.asm"}).options.xorder);
    EXPECT_TRUE(Accepted({"a.png", "b.asm", "-strim"}).options.strim);
    EXPECT_TRUE(Accepted({"a.png", "b.asm", "-etrim"}).options.etrim);
    EXPECT_TRUE(Accepted({"a.png", "b.asm", "-setsymb"}).options.setsymb);

    // Each flag switches on its own field only.
    const ImgOptions only = Accepted({"-strim", "a.png", "b.asm"}).options;
    EXPECT_TRUE(only.strim);
    EXPECT_FALSE(only.dim || only.unflip || only.xorder || only.etrim || only.setsymb);

    const ImgOptions all =
        Accepted({"-dim", "-dim", "-unflip", "-xorder", "-strim", "-etrim", "-setsymb", "a", "b"})
            .options;
    EXPECT_TRUE(all.dim && all.unflip && all.xorder && all.strim && all.etrim && all.setsymb);
}

TEST(ParseCommandLine, EveryCodecKeyword) {
    const std::pair<const char*, ImgCodecKind> keywords[] = {
        {"raw", ImgCodecKind::Raw},   {"rle", ImgCodecKind::Rle}, {"srle", ImgCodecKind::Srle},
        {"frle", ImgCodecKind::Frle}, {"bnp", ImgCodecKind::Bnp}, {"bit2xp", ImgCodecKind::Bit2xp},
    };
    for (const auto& [keyword, kind] : keywords) {
        SCOPED_TRACE(keyword);
        EXPECT_EQ(Accepted({"-c", "bnp", "-c", keyword, "a", "b"}).codec, kind);
    }
}

TEST(ParseCommandLine, EveryTableCodeKeyword) {
    const std::pair<const char*, TableCodeMode> keywords[] = {
        {"none", TableCodeMode::None},
        {"image", TableCodeMode::Image},
        {"data", TableCodeMode::Data},
        {"include", TableCodeMode::Include},
    };
    for (const auto& [keyword, mode] : keywords) {
        SCOPED_TRACE(keyword);
        EXPECT_EQ(Accepted({"-tc", "image", "-tc", keyword, "a", "b"}).options.tc, mode);
    }
}

TEST(ParseCommandLine, EachNamingOptionFillsItsOwnField) {
    const std::pair<const char*, SymbolName> options[] = {
        {"-vprefix", SymbolName::vprefix},   {"-vsize", SymbolName::vsize},
        {"-vpackets", SymbolName::vpackets}, {"-vstart", SymbolName::vstart},
        {"-vflag", SymbolName::vflag},       {"-lprefix", SymbolName::lprefix},
        {"-ldata", SymbolName::ldata},
    };
    for (const auto& [option, field] : options) {
        SCOPED_TRACE(option);
        const ImgOptions o = Accepted({option, "New Value", "a", "b"}).options;
        ImgOptions expected;
        expected.Name(field) = "New Value";
        EXPECT_EQ(o.names, expected.names);
    }
}

TEST(ParseCommandLine, RepeatedOptionsLastWins) {
    EXPECT_EQ(Accepted({"-c", "rle", "-c", "bnp", "a", "b"}).codec, ImgCodecKind::Bnp);
    EXPECT_EQ(Accepted({"-tc", "data", "a", "b", "-tc", "none"}).options.tc, TableCodeMode::None);
    const ImgOptions o = Accepted({"-vprefix", "LONGER", "-vprefix", "S", "a", "b"}).options;
    EXPECT_EQ(o.Name(SymbolName::vprefix), "S");
    EXPECT_EQ(Accepted({"-ldata", "x", "a", "b", "-ldata", ""}).options.Name(SymbolName::ldata),
              "");
}

TEST(ParseCommandLine, NamesAndKeywordsIgnoreLetterCase) {
    const CommandLine cmd =
        Accepted({"-DIM", "-XoRdEr", "-UNFLIP", "-Strim", "-ETRIM", "-SetSymb", "-C", "BIT2XP",
                  "-Tc", "Image", "-VPREFIX", "MiXed", "A.PNG", "B.ASM"});
    EXPECT_TRUE(cmd.options.dim && cmd.options.xorder && cmd.options.unflip);
    EXPECT_TRUE(cmd.options.strim && cmd.options.etrim && cmd.options.setsymb);
    EXPECT_EQ(cmd.codec, ImgCodecKind::Bit2xp);
    EXPECT_EQ(cmd.options.tc, TableCodeMode::Image);
    // Values and file names keep their case.
    EXPECT_EQ(cmd.options.Name(SymbolName::vprefix), "MiXed");
    EXPECT_EQ(cmd.imageFile, "A.PNG");
    EXPECT_EQ(cmd.outputFile, "B.ASM");

    EXPECT_EQ(Accepted({"-c", "RLE", "a", "b"}).codec, ImgCodecKind::Rle);
    EXPECT_EQ(Accepted({"-c", "sRlE", "a", "b"}).codec, ImgCodecKind::Srle);
    EXPECT_EQ(Accepted({"-TC", "INCLUDE", "a", "b"}).options.tc, TableCodeMode::Include);
    EXPECT_EQ(Accepted({"-LDATA", "_Pic", "a", "b"}).options.Name(SymbolName::ldata), "_Pic");
}

// -tones: three colours, with or without '#', in either letter case; no
// other way of deciding tones beside it (the golden cases hold -luma).
TEST(ParseCommandLine, TonesAsColours) {
    EXPECT_EQ(Accepted({"-tones", "#0A0b0C,808080,#FfFfFf", "a", "b"}).options.toneColours,
              (std::array<std::uint32_t, 3>{0x0A0B0C, 0x808080, 0xFFFFFF}));
    for (const char* value : {"", "000000,808080", "0,1,2", "000000,808080,ffffff,", "##00000,1,2",
                              "000000,808080,fffffg", "000000, 808080,ffffff"}) {
        ExpectRefused({"-tones", value}, "Error, invalid tones \"" + std::string(value) + "\"\n");
    }
    for (const auto& [other, value] : {std::pair{"-dither", "none"}, {"-levels", "128,192"}}) {
        ExpectRefused({"-tones", "000000,808080,ffffff", other, value, "a.png", "b.asm"},
                      "Error, -tones and " + std::string(other) + " cannot be given together.\n");
    }
}

// -format c and bin refuse what only an assembler source holds, the bytes
// alone more than one stream (the golden cases hold -frames and the names).
TEST(ParseCommandLine, FormatsRefuseWhatTheyCannotHold) {
    for (const std::string format : {"c", "bin"}) {
        ExpectRefused({"-format", format, "-tc", "data", "a.png", "b"},
                      "Error, -format " + format + " and -tc data cannot be given together.\n");
    }
    ExpectRefused({"-format", "bin", "-planes", "full,mask", "a.png", "b"},
                  "Error, -format bin with more than one plane needs -interleave.\n");
    ExpectRefused({"-format", "h", "a.png", "b"}, "Error, unknown output format \"h\"\n");
    EXPECT_EQ(Accepted({"-format", "BIN", "-planes", "full,mask", "-interleave", "a", "b"})
                  .options.format,
              OutputFormat::Bin);
    EXPECT_EQ(Accepted({"-format", "c", "-vsize", "9", "-lprefix", "", "a", "b"}).options.format,
              OutputFormat::C);
}

TEST(ParseCommandLine, PositionalArguments) {
    ExpectRefused({"a.png", "b.asm", "frames", "16x16"}, "Error, unexpected argument \"frames\"\n");
    ExpectRefused({"a.png", "-dim", "b.asm", ""}, "Error, unexpected argument \"\"\n");

    const CommandLine leadingEmpty = Accepted({"", "a.png", "b.asm"});
    EXPECT_EQ(leadingEmpty.imageFile, "a.png");
    EXPECT_EQ(leadingEmpty.outputFile, "b.asm");

    const CommandLine middleEmpty = Accepted({"a.png", "", "b.asm"});
    EXPECT_EQ(middleEmpty.outputFile, "b.asm");

    ExpectRefused({"", "a.png"}, "Error, missing output filename.\n");
    ExpectRefused({"", ""}, "Error, missing input image filename.\n");
}

// An option file's words stand in its place, a value too (the golden case
// cli_option_file pins the splitting); what it cannot hold is refused by line.
TEST(ParseCommandLine, OptionFiles) {
    const unit::TempDir dir;
    const std::string file = dir.File("o");
    const auto with = [&](const std::string& text) {
        EXPECT_TRUE(unit::WriteWholeFile(file, text));
        return "@" + file;
    };
    EXPECT_EQ(Accepted({"-ldata", with("x a.png"), "b.asm"}).options.Name(SymbolName::ldata), "x");
    EXPECT_EQ(Parse({with("-q x"), "a", "b"}).console.out, "");  // -q keeps the banner back
    const std::string empty = with(" # nothing\n\n");
    EXPECT_EQ(Parse({empty, empty}).console.err, Usage());

    std::string many;
    for (std::size_t i = 0; i <= kMostOptionFileWords; ++i) many += "x ";
    const std::string at = "Error, option file \"" + file + "\" ";
    const std::pair<std::string, std::string> refused[] = {
        {"a\n \"b c\nd\"", "line 2: unterminated quote"},
        {"# @x\n-dim \"\"\n\n \"@mo\"re", "line 4: option files cannot nest \"@more\""},
        {std::string("a\n\0", 3), "line 2: a null byte"},
        {many, "line 1: more than 65536 words"},
        {std::string(kMostOptionFileBytes + 1, '\n'), "is larger than 1048576 bytes"},
    };
    for (const auto& [text, line] : refused) ExpectRefused({"-c", with(text)}, at + line + "\n");
    ExpectRefused({"@" + dir.path()}, "Error, cannot read option file \"" + dir.path() + "\"\n");
}

TEST(ParseCommandLine, ValuesAndNamesOf511CharactersAreStoredWhole) {
    const std::string a(511, 'a');
    const std::string b(510, 'b');
    const std::string image = b + "1";
    const std::string output = b + "2";
    const CommandLine cmd = Accepted({"-vprefix", a, "-vsize", a, "-vpackets", a, "-vstart", a,
                                      "-vflag", a, "-lprefix", a, "-ldata", a, image, output});
    for (const std::string& name : cmd.options.names) EXPECT_EQ(name, a);
    EXPECT_EQ(cmd.imageFile, image);
    EXPECT_EQ(cmd.outputFile, output);
}

TEST(ParseCommandLine, ValuesAndNamesOf512CharactersAreRefusedWhole) {
    const std::string long512(512, 'x');
    const std::string quoted = "Error, argument too long \"" + long512 + "\"\n";
    for (const char* option :
         {"-vprefix", "-vsize", "-vpackets", "-vstart", "-vflag", "-lprefix", "-ldata"}) {
        SCOPED_TRACE(option);
        ExpectRefused({option, long512, "a.png", "b.asm"}, quoted);
    }
    ExpectRefused({long512, "b.asm"}, quoted);
    ExpectRefused({"a.png", long512}, quoted);

    const std::string path = std::string(995, 'd') + "/pic.png";
    ExpectRefused({path, "b.asm"}, "Error, argument too long \"" + path + "\"\n");
    ExpectRefused({"-VPREFIX", "a.png", "b.asm", path},
                  "Error, argument too long \"" + path + "\"\n");
}

}  // namespace
}  // namespace pelmo
