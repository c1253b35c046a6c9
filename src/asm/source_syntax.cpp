#include "asm/source_syntax.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "asm/source_format.hpp"
#include "base/ascii.hpp"
#include "base/version.hpp"

namespace pelmo {

namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kMostItemChars = 5;

// How a line of bytes is spelt: `prefix`, then each byte's item, `kBytesPerLine`
// to a line; the first item of a line drops its first `skip` characters (the
// comma that separates it from the one before).
struct ByteLines {
    std::string_view prefix;
    std::array<std::array<char, kMostItemChars>, 256> items;
    std::size_t width;  // characters of each item
    std::size_t skip;
};

// The items of every byte value: `before`, two upper-case hexadecimal digits,
// `after`.
constexpr ByteLines MakeByteLines(std::string_view prefix, std::string_view before,
                                  std::string_view after, std::size_t skip) {
    constexpr char kHex[] = "0123456789ABCDEF";
    ByteLines lines{prefix, {}, before.size() + 2 + after.size(), skip};
    for (std::size_t v = 0; v < 256; ++v) {
        std::size_t at = 0;
        for (const char c : before) lines.items[v][at++] = c;
        lines.items[v][at++] = kHex[v >> 4];
        lines.items[v][at++] = kHex[v & 15];
        for (const char c : after) lines.items[v][at++] = c;
    }
    return lines;
}

// "\t.db $12,$34" and "\t0x12,0x34,".
constexpr ByteLines kDbLines = MakeByteLines(kDbPrefix, ",$", "", 1);
constexpr ByteLines kCLines = MakeByteLines("\t", "0x", ",", 0);

// `count` bytes as lines of `Style`, whole lines at a time straight into the
// stream's buffer. The style is a constant of the program, so that every
// copy below has a constant size, which the compiler makes a few moves
// instead of a call: a source is mostly these lines.
template <const ByteLines& Style>
void WriteByteLines(AsmStream& file, const std::uint8_t* bytes, std::int32_t count) {
    if (count <= 0) return;
    constexpr std::size_t kLinesPerChunk = 4096;
    constexpr std::size_t kLineChars = Style.prefix.size() + kBytesPerLine * Style.width + 1;
    constexpr std::size_t kFirstChars = Style.width - Style.skip;
    std::size_t left = static_cast<std::size_t>(count);
    while (left > 0) {
        const std::size_t chunkBytes = std::min(left, kLinesPerChunk * kBytesPerLine);
        const std::size_t lines = (chunkBytes + kBytesPerLine - 1) / kBytesPerLine;
        char* const begin = file.Reserve(lines * kLineChars);
        char* out = begin;
        for (std::size_t chunkLeft = chunkBytes; chunkLeft > 0;) {
            const std::size_t n = std::min(chunkLeft, kBytesPerLine);
            std::memcpy(out, Style.prefix.data(), Style.prefix.size());
            out += Style.prefix.size();
            std::memcpy(out, Style.items[bytes[0]].data() + Style.skip, kFirstChars);
            out += kFirstChars;
            for (std::size_t i = 1; i < n; ++i) {
                std::memcpy(out, Style.items[bytes[i]].data(), Style.width);
                out += Style.width;
            }
            *out++ = '\n';
            bytes += n;
            chunkLeft -= n;
        }
        file.Commit(static_cast<std::size_t>(out - begin));
        left -= chunkBytes;
    }
}

// `values` as lines of `perLine` items, each `prefix` then the
// first item's and the others' spelling of its value in `digits`
// upper-case hexadecimal digits.
void WriteValueLines(AsmStream& file, std::string_view prefix, std::string_view first,
                     std::string_view other, std::string_view end,
                     std::span<const std::uint32_t> values, int digits, std::size_t perLine) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t at = 0; at < values.size(); at += perLine) {
        file.Write(prefix);
        const std::size_t stop = std::min(at + perLine, values.size());
        for (std::size_t k = at; k < stop; ++k) {
            file.Write(k == at ? first : other);
            std::array<char, 8> hex{};
            for (int d = 0; d < digits; ++d)
                hex[d] = kHex[(values[k] >> (4 * (digits - 1 - d))) & 15];
            file.Write(std::string_view(hex.data(), static_cast<std::size_t>(digits)));
            file.Write(end);
        }
        file.Write("\n");
    }
}

// A symbol's value as both syntaxes write it: `prefix` and at least two
// upper-case hexadecimal digits.
std::string HexValue(std::string_view prefix, std::int32_t value) {
    constexpr char kHex[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint32_t>(value);
    std::size_t digits = 2;
    for (std::uint32_t rest = bits >> 8; rest != 0; rest >>= 4) ++digits;
    std::string text(prefix);
    text.resize(prefix.size() + digits);
    for (std::size_t i = text.size(); i-- > prefix.size(); bits >>= 4) text[i] = kHex[bits & 15];
    return text;
}

class AsmSyntax final : public SourceSyntax {
  public:
    AsmSyntax(AsmStream& file, bool setsymb) : file_(file), setsymb_(setsymb) {}

    void Head(std::string_view codec, std::string_view planes) override {
        file_.Write(kHeaderPrefix);
        file_.Write(kVersionText);
        file_.Write("\n");
        for (const auto& [prefix, text] :
             {std::pair{kCodecCommentPrefix, codec}, {kPlanesCommentPrefix, planes}}) {
            if (text.empty()) continue;
            file_.Write(prefix);
            file_.Write(text);
            file_.Write("\n");
        }
        file_.Write("\n");
    }

    void Symbol(std::string_view name, std::int32_t value) override {
        std::string line(setsymb_ ? "\t.set " : "\t.equ ");
        file_.Write(line.append(name).append(" ").append(HexValue("$", value)).append("\n"));
    }

    void Block(std::string_view label, std::string_view code, const std::uint8_t* bytes,
               std::int32_t count) override {
        file_.Write(label);
        file_.Write(":\n");
        file_.Write(code);
        WriteByteLines<kDbLines>(file_, bytes, count);
    }

    void Table(std::string_view label,
               const std::vector<std::vector<TableEntry>>& frames) override {
        file_.Write(label);
        file_.Write(":\n");
        std::string line;
        for (const std::vector<TableEntry>& entries : frames) {
            line.assign(kDwPrefix);
            for (std::size_t i = 0; i < entries.size(); ++i) {
                line.append(i == 0 ? "" : ", ").append(entries[i].label);
                if (!entries[i].size.empty()) line.append(", ").append(entries[i].size);
            }
            file_.Write(line.append("\n"));
        }
    }

    void Values(std::string_view label, std::span<const std::uint32_t> values, bool words,
                std::size_t perLine) override {
        file_.Write(label);
        file_.Write(":\n");
        WriteValueLines(file_, words ? kDwPrefix : kDbPrefix, "$", ",$", "", values, words ? 4 : 2,
                        perLine);
    }

  private:
    AsmStream& file_;
    bool setsymb_;
};

// The comment texts of an assembler source, without the comment's marks.
std::string_view CommentText(std::string_view asmPrefix) {
    return asmPrefix.substr(asmPrefix.find(';') + 2);
}

class CSyntax final : public SourceSyntax {
  public:
    CSyntax(AsmStream& file, std::string guard) : file_(file), guard_(std::move(guard)) {}

    void Head(std::string_view codec, std::string_view planes) override {
        Comment(std::string(CommentText(kHeaderPrefix)).append(kVersionText));
        if (!codec.empty()) Comment(std::string(CommentText(kCodecCommentPrefix)).append(codec));
        if (!planes.empty()) {
            Comment(std::string(CommentText(kPlanesCommentPrefix)).append(planes));
        }
        file_.Write("\n#ifndef " + guard_ + "\n#define " + guard_ + "\n\n");
    }

    void Symbol(std::string_view name, std::int32_t value) override {
        file_.Write(std::string(kCDefine).append(name).append(" ").append(HexValue("0x", value)) +
                    "\n");
    }

    // An empty stream has no array (C has none of no bytes): its label is a
    // null pointer.
    void Block(std::string_view label, std::string_view, const std::uint8_t* bytes,
               std::int32_t count) override {
        if (count <= 0) {
            file_.Write(std::string(kCDefine).append(label).append(" ").append(kCNoBytes) + "\n");
            return;
        }
        file_.Write(std::string(kCBytesArray).append(label).append("[] = {\n"));
        WriteByteLines<kCLines>(file_, bytes, count);
        file_.Write("};\n");
    }

    void Table(std::string_view label,
               const std::vector<std::vector<TableEntry>>& frames) override {
        const bool sized = !frames.front().front().size.empty();
        const std::string sizes = std::string(label).append(kCSizesSuffix);
        Comment(std::string(label) + ": each frame's data by address" +
                (sized ? ", " + sizes + ": their sizes" : ""));
        Array(kCAddressArray, label, frames, &TableEntry::label);
        if (sized) Array(kCSizesArray, sizes, frames, &TableEntry::size);
    }

    void Values(std::string_view label, std::span<const std::uint32_t> values, bool words,
                std::size_t perLine) override {
        file_.Write(std::string(words ? kCWordsArray : kCBytesArray).append(label) + "[] = {\n");
        WriteValueLines(file_, "\t", "0x", "0x", ",", values, words ? 4 : 2, perLine);
        file_.Write("};\n");
    }

    void Tail() override { file_.Write("\n#endif /* " + guard_ + " */\n"); }

  private:
    void Comment(const std::string& text) { file_.Write("/* " + text + " */\n"); }

    // One array of the frame table: `type`, then a line for each frame, of
    // the `part` of each of its entries (in braces when it has several).
    void Array(std::string_view type, std::string_view name,
               const std::vector<std::vector<TableEntry>>& frames, std::string TableEntry::*part) {
        const std::size_t perFrame = frames.front().size();
        std::string line = std::string(type).append(name).append("[]");
        if (perFrame > 1) line.append("[").append(std::to_string(perFrame)).append("]");
        file_.Write(line.append(" = {\n"));
        for (const std::vector<TableEntry>& entries : frames) {
            line.assign(perFrame > 1 ? "\t{" : "\t");
            for (std::size_t i = 0; i < entries.size(); ++i) {
                line.append(i == 0 ? "" : ", ").append(entries[i].*part);
            }
            file_.Write(line.append(perFrame > 1 ? "},\n" : ",\n"));
        }
        file_.Write("};\n");
    }

    AsmStream& file_;
    std::string guard_;
};

class BinSyntax final : public SourceSyntax {
  public:
    explicit BinSyntax(AsmStream& file) : file_(file) {}

    void Head(std::string_view, std::string_view) override {}
    void Symbol(std::string_view, std::int32_t) override {}
    void Block(std::string_view, std::string_view, const std::uint8_t* bytes,
               std::int32_t count) override {
        if (count > 0) {
            file_.Write(std::string_view(reinterpret_cast<const char*>(bytes),
                                         static_cast<std::size_t>(count)));
        }
    }
    void Table(std::string_view, const std::vector<std::vector<TableEntry>>&) override {}
    void Values(std::string_view, std::span<const std::uint32_t>, bool, std::size_t) override {}

  private:
    AsmStream& file_;
};

}  // namespace

std::string IncludeGuard(std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);
    std::string guard = !name.empty() && IsAsciiDigit(name.front()) ? "_" : "";
    for (const char c : name) guard += IsAsciiAlnum(c) ? AsciiUpper(c) : '_';
    return guard;
}

std::unique_ptr<SourceSyntax> MakeSourceSyntax(const ImgOptions& options, std::string_view path,
                                               AsmStream& file) {
    switch (options.format) {
        case OutputFormat::C:
            return std::make_unique<CSyntax>(file, IncludeGuard(path));
        case OutputFormat::Bin:
            return std::make_unique<BinSyntax>(file);
        case OutputFormat::Asm:
            break;
    }
    return std::make_unique<AsmSyntax>(file, options.setsymb);
}

}  // namespace pelmo
