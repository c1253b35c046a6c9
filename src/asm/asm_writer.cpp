#include "asm/asm_writer.hpp"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "base/errors.hpp"
#include "base/version.hpp"
#include "codec/compress.hpp"

namespace pelmo {

namespace {

// The text a codec writes, kept to be written in its place.
class TextCapture final : public TextStream {
  public:
    void Write(std::string_view text) override { held.append(text); }
    std::string held;
};

// `value` in decimal, as a null-terminated text.
std::array<char, 16> Decimal(std::int32_t value) {
    std::array<char, 16> text{};
    std::to_chars(text.data(), text.data() + text.size() - 1, value);
    return text;
}

}  // namespace

ImgAsmWriter::~ImgAsmWriter() {
    SayAll();
}

bool ImgAsmWriter::Open(const std::string& path, const OutputFile::Settings& settings) {
    path_ = path;
    if (!file.Open(path, settings)) {
        PrintError(file.Refusal().empty() ? "Error, couldn't open " + Quoted(path) + ".\n"
                                          : file.Refusal());
        return false;
    }
    syntax_ = MakeSourceSyntax(options, path, file);
    syntax_->Head(codecComment_, planesComment_);
    return true;
}

bool ImgAsmWriter::Close() {
    SayAll();
    if (!file.IsOpen()) return true;
    syntax_->Tail();
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

void ImgAsmWriter::AppendStreamPrefix(std::string& to) const {
    if (inTiles_) {
        to.append(options.Name(SymbolName::vprefix)).append(kTilesSymbol);
        return;
    }
    to.append(inFrames_ ? framePrefix_ : options.Name(SymbolName::vprefix));
    if (plane_) to.append(PlaneSymbol(*plane_));
}

std::string ImgAsmWriter::StreamLabel() const {
    std::string label = inFrames_ ? frameLabel_ : options.Name(SymbolName::lprefix);
    if (plane_) label.append("_").append(PlaneName(*plane_));
    return label;
}

std::string ImgAsmWriter::SizeSymbol() const {
    std::string name;
    AppendStreamPrefix(name);
    return name.append(options.Name(SymbolName::vsize));
}

void ImgAsmWriter::WriteFrameTable(const std::vector<std::vector<TableEntry>>& frames) {
    const std::string label = options.Name(SymbolName::lprefix) + std::string(kFrameTableSuffix);
    syntax_->Table(label, frames);
    if (!options.quiet) {
        SayAll();
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
    syntax_->Block(widthsLabel, "", widths.data(), static_cast<std::int32_t>(widths.size()));
    // Eight words to a line.
    syntax_->Values(offsetsLabel, offsets, true, 8);
    glyphs_ = true;
    if (!options.quiet) {
        SayAll();
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
    // The name built in a buffer kept for its room: a sheet's frames write
    // hundreds of thousands of symbols.
    symbolName_.clear();
    if (whole) {
        symbolName_.append(options.Name(SymbolName::vprefix));
    } else {
        AppendStreamPrefix(symbolName_);
    }
    WriteNamedSymbol(symbolName_.append(suffix), value);
}

void ImgAsmWriter::WriteNamedSymbol(std::string_view name, std::int32_t value) {
    if (!options.quiet) Say({"Symbol '", name, "' set to ", Decimal(value).data(), "\n"});
    syntax_->Symbol(name, value);
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
    syntax_->Values(label, cells, words, 16);
    if (!options.quiet) {
        SayAll();
        std::printf("Wrote a map of %dx%d tiles to '%s'\n", head.mapWidth, head.mapHeight,
                    label.c_str());
    }
}

void ImgAsmWriter::WriteData(const std::uint8_t* bytes, std::int32_t count,
                             const CPelmoImgCompress& codec) {
    // A picture's size, once, after its first stream's symbols.
    if (options.dims && !inFrames_ && !dimsWritten_) {
        WriteSymbol(SymbolKind::Width, width_);
        WriteSymbol(SymbolKind::Height, height_);
        dimsWritten_ = true;
    }
    const std::string base = inTiles_ ? options.Name(SymbolName::lprefix) + std::string(kTilesLabel)
                             : glyphs_
                                 ? options.Name(SymbolName::lprefix) + std::string(kGlyphDataSuffix)
                                 : StreamLabel() + options.Name(SymbolName::ldata);

    if (options.tc == TableCodeMode::Include) {
        dataLabel_ = base;
        // The decoder is included once, after the source's first label.
        TextCapture include;
        if (!included_) codec.WriteTableCode(include);
        included_ = true;
        if (!options.quiet) Say({"Wrote ", Decimal(count).data(), " bytes to '", base, "'\n"});
        syntax_->Block(base, include.held, bytes, count);
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
        const std::int32_t n = count < pageSize ? count : pageSize;
        if (!options.quiet) Say({"Wrote ", Decimal(n).data(), " bytes to '", label, "'\n"});
        syntax_->Block(label, stub, bytes, n);
        if (count - pageSize <= 0) break;
        bytes += pageSize;
        count -= pageSize;
    }
    SayAll();
}

void ImgAsmWriter::Say(std::initializer_list<std::string_view> parts) {
    for (const std::string_view part : parts) said_.append(part);
}

void ImgAsmWriter::SayAll() {
    if (said_.empty()) return;
    std::fwrite(said_.data(), 1, said_.size(), stdout);
    said_.clear();
}

}  // namespace pelmo
