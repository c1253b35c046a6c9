// Fuzzes the command-line parser. The input is split at NUL bytes into the
// arguments after the program's name; each argument gets a heap block of its
// exact size and the vector holds exactly argc pointers, so any read past a
// value is caught by the sanitizers. A small model of the rules predicts the
// result, the settings and the console text, which must match exactly.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"
#include "base/ascii.hpp"
#include "fuzz_console.hpp"

namespace {

using pelmo::CommandLine;
using pelmo::EqualsIgnoreCase;

constexpr std::string_view kBanner = "PelmoImage v1.4 (Mar 2, 2013) by Orlavin\n\n";
constexpr std::size_t kUsageLines = 26;
constexpr std::string_view kUsageFirst = "Usage: PelmoImage [options] (image file) (output file)\n";
constexpr std::string_view kUsageLast = "  -ldata _data\n";

constexpr std::string_view kFlags[] = {"dim", "xorder", "unflip", "strim", "etrim", "setsymb"};
constexpr std::string_view kCodecs[] = {"raw", "rle", "srle", "frle", "bnp", "bit2xp"};
constexpr std::string_view kModes[] = {"none", "image", "data", "include"};
constexpr std::string_view kNames[] = {"vprefix", "vsize",   "vpackets", "vstart",
                                       "vflag",   "lprefix", "ldata"};

// What the parser should do with the arguments.
struct Expected {
    bool ok = false;
    std::string errorLine;  // empty: no error line (no arguments, or success)
    CommandLine cmd;
    enum class Answer { None, Help, Version } answer = Answer::None;
};

std::string Quoted(std::string_view reason, std::string_view what) {
    return "Error, " + std::string(reason) + " \"" + std::string(what) + "\"\n";
}

template <std::size_t N>
std::optional<std::size_t> Find(const std::string_view (&list)[N], std::string_view word) {
    for (std::size_t i = 0; i < N; ++i) {
        if (EqualsIgnoreCase(word, list[i])) return i;
    }
    return std::nullopt;
}

Expected Model(const std::vector<std::string>& args) {
    Expected e;
    if (args.empty()) return e;
    CommandLine& c = e.cmd;
    auto fail = [&e](std::string line) {
        e.errorLine = std::move(line);
        return e;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.empty() || a[0] != '-') {
            std::string* slot = c.imageFile.empty()    ? &c.imageFile
                                : c.outputFile.empty() ? &c.outputFile
                                                       : nullptr;
            if (slot == nullptr) continue;
            if (a.size() >= pelmo::kTextFieldSize) return fail(Quoted("argument too long", a));
            *slot = a;
            continue;
        }
        if (EqualsIgnoreCase(a, "--help") || EqualsIgnoreCase(a, "--version")) {
            e.answer =
                EqualsIgnoreCase(a, "--help") ? Expected::Answer::Help : Expected::Answer::Version;
            return e;
        }
        const std::string_view name = std::string_view(a).substr(1);
        if (const auto flag = Find(kFlags, name)) {
            bool* fields[] = {&c.options.dim,   &c.options.xorder, &c.options.unflip,
                              &c.options.strim, &c.options.etrim,  &c.options.setsymb};
            *fields[*flag] = true;
            continue;
        }
        const auto naming = Find(kNames, name);
        const bool codec = EqualsIgnoreCase(name, "c");
        const bool mode = EqualsIgnoreCase(name, "tc");
        if (!naming && !codec && !mode) return fail(Quoted("unknown option", a));
        if (i + 1 == args.size()) break;
        const std::string& value = args[++i];
        if (codec) {
            const auto k = Find(kCodecs, value);
            if (!k) return fail(Quoted("unknown compression format", value));
            c.codec = static_cast<pelmo::ImgCodecKind>(*k);
        } else if (mode) {
            const auto k = Find(kModes, value);
            if (!k) return fail(Quoted("unknown table code", value));
            c.options.tc = static_cast<pelmo::TableCodeMode>(*k);
        } else {
            if (value.size() >= pelmo::kTextFieldSize)
                return fail(Quoted("argument too long", value));
            c.options.names[*naming] = value;
        }
    }
    if (c.imageFile.empty()) return fail("Error, missing input image filename.\n");
    if (c.outputFile.empty()) return fail("Error, missing output filename.\n");
    // A source never replaces a picture: one named like it, or the same file.
    const std::string_view dotted =
        std::string_view(c.outputFile)
            .substr(std::min(c.outputFile.size(), c.outputFile.rfind('.')));
    constexpr std::string_view kPictures[] = {".bmp", ".ico", ".jpg",  ".jpeg", ".pcx", ".png",
                                              ".tga", ".tif", ".tiff", ".gif",  ".psd"};
    struct stat in {};
    struct stat out {};
    if (Find(kPictures, dotted) ||
        (::stat(c.imageFile.c_str(), &in) == 0 && ::stat(c.outputFile.c_str(), &out) == 0 &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino)) {
        return fail("Error, output file \"" + c.outputFile + "\" would overwrite a picture.\n");
    }
    e.ok = true;
    return e;
}

bool SameSettings(const CommandLine& a, const CommandLine& b) {
    const pelmo::ImgOptions& x = a.options;
    const pelmo::ImgOptions& y = b.options;
    return x.dim == y.dim && x.unflip == y.unflip && x.xorder == y.xorder && x.strim == y.strim &&
           x.etrim == y.etrim && x.setsymb == y.setsymb && x.tc == y.tc && x.names == y.names &&
           a.codec == b.codec && a.imageFile == b.imageFile && a.outputFile == b.outputFile;
}

bool IsUsage(std::string_view text) {
    std::size_t lines = 0;
    for (const char ch : text) lines += ch == '\n' ? 1 : 0;
    return lines == kUsageLines && text.starts_with(kUsageFirst) && text.ends_with(kUsageLast);
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

    // argv[0] plus one exact-size block per argument, and no terminating null.
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
    CommandLine cmd;
    cmd.imageFile = "left over";  // the parser must reset what an earlier use left
    cmd.options.dim = true;
    const bool ok = pelmo::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), cmd);
    const std::string out = pelmo::fuzz::ConsoleOut();
    const std::string err = pelmo::fuzz::ConsoleErr();

    const Expected want = Model(args);
    FUZZ_CHECK(ok == want.ok, ok ? "accepted arguments that must fail" : "refused valid arguments");
    FUZZ_CHECK(cmd.answered == (want.answer != Expected::Answer::None),
               "--help or --version answered where it must not be, or not answered");
    if (want.answer == Expected::Answer::Help) {
        FUZZ_CHECK(out.starts_with(kBanner) &&
                       IsUsage(std::string_view(out).substr(
                           kBanner.size(), out.find("More options:\n") - kBanner.size())),
                   "--help is not the banner and the usage text: [" + out + "]");
        FUZZ_CHECK(err.empty(), "--help printed on standard error");
        return 0;
    }
    if (want.answer == Expected::Answer::Version) {
        FUZZ_CHECK(out == kBanner.substr(0, kBanner.size() - 1) && err.empty(),
                   "--version is not the version line alone: [" + out + "]");
        return 0;
    }
    if (ok) {
        FUZZ_CHECK(out.empty() && err.empty(), "a successful parse printed something");
        FUZZ_CHECK(SameSettings(cmd, want.cmd), "settings differ from the model");
        for (const std::string& name : cmd.options.names) {
            FUZZ_CHECK(name.size() < pelmo::kTextFieldSize, "a name overflows its text field");
        }
        return 0;
    }
    FUZZ_CHECK(out == kBanner, "standard output is not exactly the banner: [" + out + "]");
    FUZZ_CHECK(err.starts_with(want.errorLine),
               "expected the error line [" + want.errorLine + "], standard error is [" + err + "]");
    FUZZ_CHECK(IsUsage(std::string_view(err).substr(want.errorLine.size())),
               "the usage text does not follow the error line: [" + err + "]");
    return 0;
}
