#include "asm/asm_writer.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/errors.hpp"
#include "base/version.hpp"
#include "codec/compress.hpp"

namespace pelmo {

namespace {

constexpr std::size_t kBytesPerLine = 16;
// ",$XX" per byte; the first of a line drops the comma.
constexpr std::size_t kItemChars = 4;
constexpr std::size_t kMaxLineChars = kDbPrefix.size() + kBytesPerLine * kItemChars;

// ",$XX" for every byte value, upper-case hexadecimal.
constexpr std::array<std::array<char, kItemChars>, 256> kDbItems = [] {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::array<std::array<char, kItemChars>, 256> items{};
    for (int v = 0; v < 256; ++v) items[v] = {',', '$', kHex[v >> 4], kHex[v & 15]};
    return items;
}();

}  // namespace

ImgAsmWriter::~ImgAsmWriter() = default;

bool ImgAsmWriter::Open(const std::string& path, const OutputFile::Settings& settings) {
    path_ = path;
    if (!file.Open(path, settings)) {
        PrintError(file.Refusal().empty() ? "Error, couldn't open " + Quoted(path) + ".\n"
                                          : file.Refusal());
        return false;
    }
    file.Write(kHeaderPrefix);
    file.Write(kVersionText);
    file.Write("\n");
    if (!codecComment_.empty()) {
        file.Write(kCodecCommentPrefix);
        file.Write(codecComment_);
        file.Write("\n");
    }
    if (!planesComment_.empty()) {
        file.Write(kPlanesCommentPrefix);
        file.Write(planesComment_);
        file.Write("\n");
    }
    file.Write("\n");
    return true;
}

bool ImgAsmWriter::Close() {
    if (!file.IsOpen()) return true;
    if (file.Close()) return true;
    PrintError(file.Refusal().empty() ? "Error, couldn't write " + Quoted(path_) + ".\n"
                                      : file.Refusal());
    return false;
}

void ImgAsmWriter::WriteFramesHead(std::int32_t frames) {
    WriteSymbol(SymbolKind::Frames, frames);
    if (options.dims) {
        WriteSymbol(SymbolKind::Width, width_);
        WriteSymbol(SymbolKind::Height, height_);
    }
}

void ImgAsmWriter::SetFrame(std::int32_t frame) {
    inFrames_ = true;
    const std::string number = std::to_string(frame);
    framePrefix_ = options.Name(SymbolName::vprefix) + "_" + number;
    const std::string& label = options.Name(SymbolName::lprefix);
    frameLabel_ = label + (label.empty() ? "_" : "") + number;
}

void ImgAsmWriter::SetPlane(std::optional<PlaneKind> plane) {
    plane_ = plane;
}

std::string ImgAsmWriter::StreamPrefix() const {
    std::string prefix = inFrames_ ? framePrefix_ : options.Name(SymbolName::vprefix);
    if (plane_) prefix += PlaneSymbol(*plane_);
    return prefix;
}

std::string ImgAsmWriter::StreamLabel() const {
    std::string label = inFrames_ ? frameLabel_ : options.Name(SymbolName::lprefix);
    if (plane_) label.append("_").append(PlaneName(*plane_));
    return label;
}

std::string ImgAsmWriter::SizeSymbol() const {
    return StreamPrefix() + options.Name(SymbolName::vsize);
}

void ImgAsmWriter::WriteFrameTable(const std::vector<std::vector<std::string>>& frames) {
    const std::string label = options.Name(SymbolName::lprefix) + std::string(kFrameTableSuffix);
    WriteLabel(label);
    std::string line;
    for (const std::vector<std::string>& names : frames) {
        line.assign(kDwPrefix);
        for (std::size_t i = 0; i < names.size(); ++i)
            line.append(i == 0 ? "" : ", ").append(names[i]);
        file.Write(line.append("\n"));
    }
    if (!options.quiet) {
        std::printf("Wrote a table of %zu frames to '%s'\n", frames.size(), label.c_str());
    }
}

void ImgAsmWriter::WriteFontHead(std::uint32_t first, std::int32_t height,
                                 const std::vector<std::uint8_t>& widths,
                                 const std::vector<std::uint32_t>& offsets) {
    WriteSymbol(SymbolKind::First, static_cast<std::int32_t>(first));
    WriteSymbol(SymbolKind::Glyphs, static_cast<std::int32_t>(widths.size()));
    WriteSymbol(SymbolKind::Height, height);
    const std::string& prefix = options.Name(SymbolName::lprefix);
    const std::string widthsLabel = prefix + std::string(kWidthsSuffix);
    const std::string offsetsLabel = prefix + std::string(kOffsetsSuffix);
    WriteLabel(widthsLabel);
    WriteDbLines(widths.data(), static_cast<std::int32_t>(widths.size()));
    WriteLabel(offsetsLabel);
    // Eight words to a line, "$XXXX" each.
    constexpr std::size_t kWordsPerLine = 8;
    for (std::size_t i = 0; i < offsets.size(); i += kWordsPerLine) {
        std::string line(kDwPrefix);
        for (std::size_t k = i; k < offsets.size() && k < i + kWordsPerLine; ++k) {
            char word[8];
            std::snprintf(word, sizeof word, "$%04X", offsets[k]);
            line.append(k == i ? "" : ",").append(word);
        }
        file.Write(line.append("\n"));
    }
    glyphs_ = true;
    if (!options.quiet) {
        std::printf("Wrote the widths and offsets of %zu glyphs to '%s' and '%s'\n", widths.size(),
                    widthsLabel.c_str(), offsetsLabel.c_str());
    }
}

void ImgAsmWriter::WriteSymbol(SymbolKind kind, std::int32_t value) {
    static constexpr SymbolName kSuffix[] = {SymbolName::vsize, SymbolName::vpackets,
                                             SymbolName::vstart, SymbolName::vflag};
    const bool whole = kind == SymbolKind::Width || kind == SymbolKind::Height ||
                       kind == SymbolKind::Frames || kind == SymbolKind::First ||
                       kind == SymbolKind::Glyphs;
    const std::string prefix = whole ? options.Name(SymbolName::vprefix) : StreamPrefix();
    const std::string_view suffix =
        kind == SymbolKind::Width    ? kWidthSuffix
        : kind == SymbolKind::Height ? kHeightSuffix
        : kind == SymbolKind::Frames ? kFramesSuffix
        : kind == SymbolKind::First  ? kFirstSuffix
        : kind == SymbolKind::Glyphs
            ? kGlyphsSuffix
            : std::string_view(options.Name(kSuffix[static_cast<int>(kind)]));
    if (kind == SymbolKind::Start && options.tc == TableCodeMode::Image) {
        value += kImageStartOffset;
    }

    if (!options.quiet) {
        std::printf("Symbol '%s%.*s' set to %d\n", prefix.c_str(), static_cast<int>(suffix.size()),
                    suffix.data(), value);
    }

    char hex[16];
    const int digits = std::snprintf(hex, sizeof hex, "$%02X", static_cast<unsigned>(value));
    std::string line;
    line.reserve(prefix.size() + suffix.size() + 32);
    line.append(options.setsymb ? "\t.set " : "\t.equ ").append(prefix).append(suffix);
    line.append(" ").append(hex, static_cast<std::size_t>(digits)).append("\n");
    file.Write(line);
}

void ImgAsmWriter::WriteLabel(const std::string& label) {
    file.Write(label);
    file.Write(":\n");
}

void ImgAsmWriter::WriteData(const std::uint8_t* bytes, std::int32_t count,
                             const CPelmoImgCompress& codec) {
    // A picture's size, once, after its first stream's symbols.
    if (options.dims && !inFrames_ && !dimsWritten_) {
        WriteSymbol(SymbolKind::Width, width_);
        WriteSymbol(SymbolKind::Height, height_);
        dimsWritten_ = true;
    }
    const std::string base = glyphs_
                                 ? options.Name(SymbolName::lprefix) + std::string(kGlyphDataSuffix)
                                 : StreamLabel() + options.Name(SymbolName::ldata);

    if (options.tc == TableCodeMode::Include) {
        WriteLabel(base);
        dataLabel_ = base;
        // The decoder is included once, after the source's first label.
        if (!included_) codec.WriteTableCode(file);
        included_ = true;
        if (!options.quiet) std::printf("Wrote %d bytes to '%s'\n", count, base.c_str());
        WriteDbLines(bytes, count);
        return;
    }

    const std::int32_t pageSize = PageSize(options.tc);
    const std::string_view stub = StubOf(options.tc);
    // A block that fits one page keeps the plain label; a longer one numbers
    // every page from _0.
    const bool paged = count > pageSize;
    dataLabel_ = paged ? base + "_0" : base;
    for (std::int32_t page = 0;; ++page) {
        const std::string label = paged ? base + "_" + std::to_string(page) : base;
        WriteLabel(label);
        file.Write(stub);
        const std::int32_t n = count < pageSize ? count : pageSize;
        if (!options.quiet) std::printf("Wrote %d bytes to '%s'\n", n, label.c_str());
        WriteDbLines(bytes, n);
        if (count - pageSize <= 0) break;
        bytes += pageSize;
        count -= pageSize;
    }
}

void ImgAsmWriter::WriteDbLines(const std::uint8_t* bytes, std::int32_t count) {
    if (count <= 0) return;
    // Whole lines at a time, straight into the stream's buffer.
    constexpr std::size_t kLinesPerChunk = 4096;
    std::size_t left = static_cast<std::size_t>(count);
    while (left > 0) {
        const std::size_t chunkBytes =
            left < kLinesPerChunk * kBytesPerLine ? left : kLinesPerChunk * kBytesPerLine;
        const std::size_t lines = (chunkBytes + kBytesPerLine - 1) / kBytesPerLine;
        char* const begin = file.Reserve(lines * (kMaxLineChars + 1));
        char* out = begin;
        std::size_t chunkLeft = chunkBytes;
        while (chunkLeft > 0) {
            const std::size_t n = chunkLeft < kBytesPerLine ? chunkLeft : kBytesPerLine;
            std::memcpy(out, kDbPrefix.data(), kDbPrefix.size());
            out += kDbPrefix.size();
            std::memcpy(out, kDbItems[bytes[0]].data() + 1, kItemChars - 1);
            out += kItemChars - 1;
            for (std::size_t i = 1; i < n; ++i) {
                std::memcpy(out, kDbItems[bytes[i]].data(), kItemChars);
                out += kItemChars;
            }
            *out++ = '\n';
            bytes += n;
            chunkLeft -= n;
        }
        file.Commit(static_cast<std::size_t>(out - begin));
        left -= chunkBytes;
    }
}

}  // namespace pelmo
