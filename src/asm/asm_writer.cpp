#include "asm/asm_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
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

// `value` as printf's "%d" writes it.
std::string_view Decimal(std::int32_t value, std::array<char, 16>& text) {
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return {text.data(), static_cast<std::size_t>(end - text.data())};
}

// `value` as printf's "$%02X" writes it: of the unsigned value, at least two
// upper-case digits.
std::string_view DollarHex(std::int32_t value, std::array<char, 16>& text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint32_t>(value);
    char* end = text.data() + text.size();
    char* at = end;
    do {
        *--at = kHex[bits & 15];
        bits >>= 4;
    } while (bits != 0);
    if (end - at < 2) *--at = '0';
    *--at = '$';
    return {at, static_cast<std::size_t>(end - at)};
}

// `text` at `out`; the place after it.
char* Put(char* out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);  // an empty view may hold no pointer
}

}  // namespace

ImgAsmWriter::~ImgAsmWriter() {
    SayAll();
}

void ImgAsmWriter::SayAll() {
    if (said_.empty()) return;
    std::fwrite(said_.data(), 1, said_.size(), stdout);
    said_.clear();
}

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
    SayAll();
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
    std::array<char, 16> text;
    const std::string_view number = Decimal(frame, text);
    framePrefix_.assign(options.Name(SymbolName::vprefix)).append("_").append(number);
    const std::string& label = options.Name(SymbolName::lprefix);
    frameLabel_.assign(label).append(label.empty() ? "_" : "").append(number);
}

void ImgAsmWriter::SetPlane(std::optional<PlaneKind> plane) {
    plane_ = plane;
}

void ImgAsmWriter::AppendStreamPrefix(std::string& to) const {
    if (inTiles_) {
        to.append(options.Name(SymbolName::vprefix)).append(kTilesSymbol);
        return;
    }
    to.append(inFrames_ ? framePrefix_ : options.Name(SymbolName::vprefix));
    if (plane_) to.append(PlaneSymbol(*plane_));
}

void ImgAsmWriter::AppendStreamLabel(std::string& to) const {
    to.append(inFrames_ ? frameLabel_ : options.Name(SymbolName::lprefix));
    if (plane_) to.append("_").append(PlaneName(*plane_));
}

std::string ImgAsmWriter::SizeSymbol() const {
    std::string name;
    AppendStreamPrefix(name);
    return name.append(options.Name(SymbolName::vsize));
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
        SayAll();
        std::printf("Wrote a table of %zu frames to '%s'\n", frames.size(), label.c_str());
    }
}

void ImgAsmWriter::WriteSymbol(SymbolKind kind, std::int32_t value) {
    static constexpr SymbolName kSuffix[] = {SymbolName::vsize, SymbolName::vpackets,
                                             SymbolName::vstart, SymbolName::vflag};
    const bool whole =
        kind == SymbolKind::Width || kind == SymbolKind::Height || kind == SymbolKind::Frames;
    const std::string_view suffix =
        kind == SymbolKind::Width    ? kWidthSuffix
        : kind == SymbolKind::Height ? kHeightSuffix
        : kind == SymbolKind::Frames
            ? kFramesSuffix
            : std::string_view(options.Name(kSuffix[static_cast<int>(kind)]));
    if (kind == SymbolKind::Start && options.tc == TableCodeMode::Image) {
        value += kImageStartOffset;
    }
    // The name: the prefix, the plane's part of a stream's name, the suffix.
    symbolName_.clear();
    if (whole) {
        symbolName_.append(options.Name(SymbolName::vprefix));
    } else {
        AppendStreamPrefix(symbolName_);
    }
    WriteNamedSymbol(symbolName_.append(suffix), value);
}

void ImgAsmWriter::WriteNamedSymbol(std::string_view name, std::int32_t value) {
    std::array<char, 16> text;
    if (!options.quiet) {
        said_.append("Symbol '").append(name).append("' set to ");
        said_.append(Decimal(value, text)).append("\n");
    }
    const std::string_view directive = options.setsymb ? "\t.set " : "\t.equ ";
    const std::string_view hex = DollarHex(value, text);
    char* const line = file.Reserve(directive.size() + name.size() + hex.size() + 2);
    char* out = Put(Put(line, directive), name);
    *out++ = ' ';
    out = Put(out, hex);
    *out++ = '\n';
    file.Commit(static_cast<std::size_t>(out - line));
}

void ImgAsmWriter::WriteTilesHead(const TilesHead& head) {
    const std::string& prefix = options.Name(SymbolName::vprefix);
    for (const auto& [suffix, value] : {std::pair{kTileCountSuffix, head.count},
                                        {kTileWidthSuffix, head.width},
                                        {kTileHeightSuffix, head.height},
                                        {kMapWidthSuffix, head.mapWidth},
                                        {kMapHeightSuffix, head.mapHeight}}) {
        WriteNamedSymbol(prefix + std::string(suffix), value);
    }
    if (options.dims) {
        WriteSymbol(SymbolKind::Width, width_);
        WriteSymbol(SymbolKind::Height, height_);
    }
    dimsWritten_ = true;
    inTiles_ = true;
}

void ImgAsmWriter::WriteMap(std::span<const std::uint32_t> cells, const TilesHead& head,
                            bool words) {
    const std::string label = options.Name(SymbolName::lprefix) + std::string(kMapLabel);
    WriteLabel(label);
    constexpr char kHex[] = "0123456789ABCDEF";
    const int digits = words ? 4 : 2;
    std::string line;
    for (std::size_t first = 0; first < cells.size(); first += kBytesPerLine) {
        line.assign(words ? kDwPrefix : kDbPrefix);
        const std::size_t end = std::min(first + kBytesPerLine, cells.size());
        for (std::size_t k = first; k < end; ++k) {
            line.append(k == first ? "$" : ",$");
            for (int d = digits - 1; d >= 0; --d) line += kHex[(cells[k] >> (4 * d)) & 15];
        }
        file.Write(line.append("\n"));
    }
    if (!options.quiet) {
        SayAll();
        std::printf("Wrote a map of %dx%d tiles to '%s'\n", head.mapWidth, head.mapHeight,
                    label.c_str());
    }
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
    std::string base;
    if (inTiles_) {
        base.append(options.Name(SymbolName::lprefix)).append(kTilesLabel);
    } else {
        AppendStreamLabel(base);
        base.append(options.Name(SymbolName::ldata));
    }

    if (options.tc == TableCodeMode::Include) {
        WriteLabel(base);
        dataLabel_ = base;
        // The decoder is included once, after the source's first label.
        if (!included_) codec.WriteTableCode(file);
        included_ = true;
        SayWritten(count, base);
        WriteDbLines(bytes, count);
        SayAll();
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
        SayWritten(n, label);
        WriteDbLines(bytes, n);
        if (count - pageSize <= 0) break;
        bytes += pageSize;
        count -= pageSize;
    }
    SayAll();
}

void ImgAsmWriter::SayWritten(std::int32_t count, const std::string& label) {
    if (options.quiet) return;
    std::array<char, 16> text;
    said_.append("Wrote ").append(Decimal(count, text)).append(" bytes to '");
    said_.append(label).append("'\n");
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
