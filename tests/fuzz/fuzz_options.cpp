// Fuzzes the command-line parser. The input is split at NUL bytes into the
// arguments after the program's name; each argument gets a heap block of its
// exact size and the vector holds exactly argc pointers, so any read past a
// value is caught by the sanitizers. What the parser must do exactly is pinned
// by the golden cases and the unit tests; here every outcome must be one of
// the four it can be, with the texts the product's own printers give:
//
// - accepted: nothing printed, two file names taken from the arguments, every
//   name and file name within its text field;
// - --help or --version answered: the help text or the version line on
//   standard output alone, for an argument that asks for it;
// - refused: the banner on standard output, one "Error, " line and the usage
//   text on standard error (the usage text alone when there are no arguments).
//
// And the outcome does not depend on what the CommandLine held before, nor on
// the letter case of the arguments that start with a dash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"
#include "base/ascii.hpp"
#include "fuzz_console.hpp"

namespace {

using pelmo::CommandLine;
using pelmo::EqualsIgnoreCase;

struct Parsed {
    bool ok = false;
    CommandLine cmd;
    std::string out;
    std::string err;
};

// Parses `args` into `cmd` as it stands, each argument in a block of its size.
Parsed Parse(const std::vector<std::string>& args, CommandLine cmd) {
    std::vector<std::unique_ptr<char[]>> blocks;
    std::vector<const char*> argv;
    blocks.push_back(std::make_unique<char[]>(1));
    argv.push_back(blocks.back().get());
    for (const std::string& a : args) {
        blocks.push_back(std::make_unique<char[]>(a.size() + 1));
        a.copy(blocks.back().get(), a.size());
        argv.push_back(blocks.back().get());
    }
    pelmo::fuzz::ResetConsole();
    Parsed p;
    p.ok = pelmo::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), cmd);
    p.cmd = cmd;
    p.out = pelmo::fuzz::ConsoleOut();
    p.err = pelmo::fuzz::ConsoleErr();
    return p;
}

// What the product's printers print.
struct Texts {
    std::string banner;
    std::string version;
    std::string usage;
    std::string help;  // the usage text and the options beyond it
};

const Texts& ProductTexts() {
    static const Texts texts = [] {
        Texts t;
        pelmo::fuzz::ResetConsole();
        pelmo::PrintBanner();
        t.banner = pelmo::fuzz::ConsoleOut();
        pelmo::fuzz::ResetConsole();
        pelmo::PrintVersion();
        t.version = pelmo::fuzz::ConsoleOut();
        pelmo::fuzz::ResetConsole();
        pelmo::PrintUsage();
        t.usage = pelmo::fuzz::ConsoleErr();
        pelmo::fuzz::ResetConsole();
        pelmo::PrintHelp(stdout);
        t.help = pelmo::fuzz::ConsoleOut();
        return t;
    }();
    return texts;
}

bool SameSettings(const CommandLine& a, const CommandLine& b) {
    const pelmo::ImgOptions& x = a.options;
    const pelmo::ImgOptions& y = b.options;
    return x.dim == y.dim && x.unflip == y.unflip && x.xorder == y.xorder && x.strim == y.strim &&
           x.etrim == y.etrim && x.setsymb == y.setsymb && x.tc == y.tc && a.codec == b.codec &&
           a.imageFile == b.imageFile && a.outputFile == b.outputFile &&
           std::equal(
               x.names.begin(), x.names.end(), y.names.begin(),
               [](const std::string& p, const std::string& q) { return EqualsIgnoreCase(p, q); });
}

bool Given(const std::vector<std::string>& args, const std::string& name) {
    return std::find(args.begin(), args.end(), name) != args.end();
}

bool Asked(const std::vector<std::string>& args, std::string_view request) {
    return std::any_of(args.begin(), args.end(),
                       [request](const std::string& a) { return EqualsIgnoreCase(a, request); });
}

// Checks one outcome against the four it can be.
void CheckOutcome(const std::vector<std::string>& args, const Parsed& p) {
    const Texts& texts = ProductTexts();
    if (p.ok) {
        FUZZ_CHECK(p.out.empty() && p.err.empty(), "a successful parse printed something");
        FUZZ_CHECK(!p.cmd.answered, "accepted and answered at once");
        for (const std::string* file : {&p.cmd.imageFile, &p.cmd.outputFile}) {
            FUZZ_CHECK(!file->empty() && !file->starts_with('-') && Given(args, *file),
                       "a file name that is no argument: [" + *file + "]");
            FUZZ_CHECK(file->size() < pelmo::kTextFieldSize, "a file name overflows its field");
        }
        for (const std::string& name : p.cmd.options.names) {
            FUZZ_CHECK(name.size() < pelmo::kTextFieldSize, "a name overflows its text field");
        }
        return;
    }
    if (p.cmd.answered) {
        FUZZ_CHECK(p.err.empty(), "--help or --version printed on standard error");
        const bool help = p.out == texts.banner + texts.help;
        FUZZ_CHECK(help || p.out == texts.version,
                   "neither the help text nor the version line: [" + p.out + "]");
        FUZZ_CHECK(Asked(args, help ? "--help" : "--version"), "answered what nobody asked");
        return;
    }
    FUZZ_CHECK(p.out == texts.banner, "standard output is not exactly the banner: [" + p.out + "]");
    if (args.empty()) {
        FUZZ_CHECK(p.err == texts.usage, "no arguments, but not the usage text: [" + p.err + "]");
        return;
    }
    // The quoted argument in the error line may hold line breaks of its own.
    FUZZ_CHECK(p.err.starts_with("Error, ") && p.err.ends_with("\n" + texts.usage),
               "not one error line and the usage text: [" + p.err + "]");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    if (size > 0) {
        const std::string_view all(reinterpret_cast<const char*>(data), size);
        std::size_t from = 0;
        while (true) {
            const std::size_t nul = all.find('\0', from);
            args.emplace_back(all.substr(from, nul == std::string_view::npos ? nul : nul - from));
            if (nul == std::string_view::npos) break;
            from = nul + 1;
        }
    }

    // "@FILE" reads a file (standard input, say): the unit and golden tests cover those.
    if (std::any_of(args.begin(), args.end(), [](const auto& a) { return a.starts_with('@'); })) {
        return 0;
    }

    CommandLine used;
    used.imageFile = "left over";  // the parser must reset what an earlier use left
    used.options.dim = true;
    const Parsed p = Parse(args, used);
    CheckOutcome(args, p);

    const Parsed fresh = Parse(args, CommandLine{});
    FUZZ_CHECK(fresh.ok == p.ok && fresh.cmd.answered == p.cmd.answered && fresh.out == p.out &&
                   fresh.err == p.err && (!p.ok || SameSettings(fresh.cmd, p.cmd)),
               "the outcome depends on what the CommandLine held before");

    // Options and keywords may be written in any letter case.
    std::vector<std::string> flipped = args;
    for (std::string& a : flipped) {
        if (!a.starts_with('-')) continue;
        for (char& c : a) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            } else if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
    }
    const Parsed other = Parse(flipped, CommandLine{});
    FUZZ_CHECK(other.ok == p.ok && other.cmd.answered == p.cmd.answered &&
                   (!p.ok || SameSettings(other.cmd, p.cmd)),
               "the letter case of an option changes the outcome");
    return 0;
}
