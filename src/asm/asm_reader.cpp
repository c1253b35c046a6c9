#include "asm/asm_reader.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "asm/c_lines.hpp"
#include "asm/source_format.hpp"
#include "base/ascii.hpp"
#include "base/version.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

SourceLines::Got SourceLines::Next(std::string_view& line) {
    if (file_ == nullptr) {
        if (position_ >= text_.size()) return Got::End;
        const std::size_t end = std::min(text_.find('\n', position_), text_.size());
        line = text_.substr(position_, end - position_);
        position_ = end + 1;
    } else {
        buffer_.clear();
        bool ended = false;  // by its '\n'
        while (!ended) {
            if (at_ == end_) {
                at_ = 0;
                end_ = std::fread(block_.data(), 1, block_.size(), file_);
                if (end_ == 0) break;
            }
            const char* from = block_.data() + at_;
            const auto* newline = static_cast<const char*>(std::memchr(from, '\n', end_ - at_));
            const std::size_t take = newline != nullptr ? newline - from : end_ - at_;
            if (buffer_.size() + take >
                kLongestSourceLine + 1) {  // past the longest line and a '\r'
                ++number_;
                return Got::TooLong;
            }
            buffer_.append(from, take);
            ended = newline != nullptr;
            at_ += take + (ended ? 1 : 0);
        }
        if (std::ferror(file_) != 0) return Got::ReadError;
        if (!ended && buffer_.empty()) return Got::End;
        line = buffer_;
    }
    bytes_ += line.size() + 1;
    ++number_;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() > kLongestSourceLine) return Got::TooLong;
    if (!dialectKnown_ && line.find_first_not_of(" \t\r") != std::string_view::npos) {
        dialectKnown_ = true;
        cHeader_ = StartsCHeader(line);
    }
    if (cHeader_) line = CLineAsAsm(line, translated_);
    return Got::Line;
}

namespace {

// Where a line's comment starts (";" outside a quoted name), or its end.
std::size_t CommentStart(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return i;
    }
    return line.size();
}

// The code of a line: what comes before its comment, without the blanks
// around it.
std::string_view CodeOf(std::string_view line) {
    return TrimSourceBlanks(line.substr(0, CommentStart(line)));
}

// The word after "codec:" that starts a line's comment, or nothing.
std::optional<std::string_view> CommentCodecName(std::string_view line) {
    const std::size_t start = CommentStart(line);
    if (start == line.size()) return std::nullopt;
    std::string_view text = TrimSourceBlanks(line.substr(start + 1));
    constexpr std::string_view kCodec = "codec:";
    if (text.size() < kCodec.size() || !EqualsIgnoreCase(text.substr(0, kCodec.size()), kCodec)) {
        return std::nullopt;
    }
    text = TrimSourceBlanks(text.substr(kCodec.size()));
    std::size_t end = 0;
    while (end < text.size() && !IsSourceBlank(text[end]) && text[end] != ';') ++end;
    return text.substr(0, end);
}

// The planes a comment "; planes: full,mask interleaved" names, each once;
// nothing for any other line.
std::optional<std::pair<std::vector<PlaneKind>, bool>> CommentPlanes(std::string_view line) {
    const std::size_t start = CommentStart(line);
    if (start == line.size()) return std::nullopt;
    std::string_view text = TrimSourceBlanks(line.substr(start + 1));
    const std::string_view prefix =
        TrimSourceBlanks(kPlanesCommentPrefix.substr(kPlanesCommentPrefix.find(';') + 1));
    if (text.size() < prefix.size() || !EqualsIgnoreCase(text.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    text = TrimSourceBlanks(text.substr(prefix.size()));
    const std::string_view together = TrimSourceBlanks(kInterleavedSuffix);
    const bool interleaved = text.size() > together.size() &&
                             EqualsIgnoreCase(text.substr(text.size() - together.size()), together);
    if (interleaved) text = TrimSourceBlanks(text.substr(0, text.size() - together.size()));
    std::vector<PlaneKind> planes;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view name = TrimSourceBlanks(text.substr(0, comma));
        bool known = false;
        for (const PlaneKind kind : {PlaneKind::Full, PlaneKind::Dim, PlaneKind::Mask}) {
            if (!EqualsIgnoreCase(name, PlaneName(kind))) continue;
            if (std::find(planes.begin(), planes.end(), kind) != planes.end()) return std::nullopt;
            planes.push_back(kind);
            known = true;
        }
        if (!known) return std::nullopt;
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    if (planes.empty()) return std::nullopt;
    return std::pair{planes, interleaved};
}

// A line's code as the lookup stubs are compared: lower case, one space for
// every run of blanks, none beside a comma.
std::string Normalised(std::string_view code) {
    std::string out;
    for (const char c : code) {
        if (IsSourceBlank(c)) {
            if (!out.empty() && out.back() != ' ' && out.back() != ',') out += ' ';
            continue;
        }
        if (c == ',' && !out.empty() && out.back() == ' ') out.pop_back();
        out += AsciiLower(c);
    }
    return out;
}

// The first word of `code` when it is `directive` in any letter case, and
// what follows it.
std::optional<std::string_view> AfterDirective(std::string_view code, std::string_view directive) {
    if (code.size() < directive.size() ||
        !EqualsIgnoreCase(code.substr(0, directive.size()), directive)) {
        return std::nullopt;
    }
    const std::string_view rest = code.substr(directive.size());
    if (!rest.empty() && !IsSourceBlank(rest.front())) return std::nullopt;
    return TrimSourceBlanks(rest);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = AsciiLower(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// "$1F", "0x1f" or "31", up to `most`.
std::optional<std::uint32_t> Number(std::string_view text, std::uint32_t most) {
    unsigned base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && AsciiLower(text[1]) == 'x') {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
        if (value > most) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// A piece of a line fit to quote in a one-line message.
std::string Quote(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string quoted = "\"";
    for (const char c : text.substr(0, kShown)) {
        quoted += c == '\t' ? ' ' : (c >= ' ' && c != 0x7F) ? c : '?';
    }
    return quoted + (text.size() > kShown ? "...\"" : "\"");
}

// The items of a ".db" line, comma-separated, appended to `out`. On a bad
// item, returns it.
std::optional<std::string_view> ParseDbItems(std::string_view items,
                                             std::vector<std::uint8_t>& out) {
    for (;;) {
        const std::size_t comma = items.find(',');
        const std::string_view item = TrimSourceBlanks(items.substr(0, comma));
        // The converter's own "$XX" without the general path.
        if (item.size() == 3 && item[0] == '$' && (HexDigit(item[1]) | HexDigit(item[2])) >= 0) {
            out.push_back(static_cast<std::uint8_t>(HexDigit(item[1]) << 4 | HexDigit(item[2])));
        } else if (const auto value = Number(item, 255)) {
            out.push_back(static_cast<std::uint8_t>(*value));
        } else {
            return item;
        }
        if (comma == std::string_view::npos) return std::nullopt;
        items.remove_prefix(comma + 1);
    }
}

struct Symbol {
    std::string_view name;  // valid while its line is
    std::uint32_t value = 0;
    std::size_t line = 0;
};

// ".equ NAME value" or ".set NAME value", a comma after the name or not; the
// name may be empty, as empty naming options make it.
std::optional<Symbol> ParseSymbol(std::string_view code) {
    std::optional<std::string_view> rest = AfterDirective(code, ".equ");
    if (!rest) rest = AfterDirective(code, ".set");
    if (!rest || rest->empty()) return std::nullopt;
    std::size_t start = rest->size();
    while (start > 0 && !IsSourceBlank((*rest)[start - 1]) && (*rest)[start - 1] != ',') --start;
    const std::optional<std::uint32_t> value = Number(rest->substr(start), UINT32_MAX);
    if (!value) return std::nullopt;
    std::string_view name = TrimSourceBlanks(rest->substr(0, start));
    if (name.ends_with(',')) name = TrimSourceBlanks(name.substr(0, name.size() - 1));
    return Symbol{name, *value, 0};
}

// "NAME:"; the converter writes whatever names its options give, empty ones
// included (a label of ":" alone).
bool IsLabel(std::string_view code) {
    return !code.empty() && code.back() == ':';
}

// The program's name as the header comment gives it, before its version.
std::string_view ProgramName() {
    return kVersionText.substr(0, kVersionText.find(" v"));
}

// The header comment, "; Created by PelmoImage v1.4 ...", of any version.
bool IsHeader(std::string_view line) {
    std::string_view text = TrimSourceBlanks(line);
    if (!text.starts_with(';')) return false;
    text = TrimSourceBlanks(text.substr(1));
    const std::string_view created =
        TrimSourceBlanks(kHeaderPrefix.substr(kHeaderPrefix.find(';') + 1));
    if (!text.starts_with(created)) return false;
    text = TrimSourceBlanks(text.substr(created.size()));
    return text.starts_with(ProgramName()) && text.substr(ProgramName().size()).starts_with(" v");
}

class Reader {
  public:
    Reader(SourceLines& lines, std::uint64_t mostStream) : lines_(lines), mostStream_(mostStream) {}

    Expected<AsmSource> Read();

  private:
    // What is wrong, at line `line` (from 1).
    static Failure Fail(std::size_t line, std::string what) { return {std::move(what), line}; }
    // Ends the reading at `failure`, found by NextLine or NextCode: false.
    bool Stop(Failure failure) {
        stopped_ = std::move(failure);
        return false;
    }
    // The fault NextLine or NextCode stopped at, if any.
    Status Stopped() const { return stopped_ ? Status(*stopped_) : Status(); }
    // The line at fault when something is missing: the current one, or the
    // one after the last.
    std::size_t Here() const { return lines_.number() + (ended_ ? 1 : 0); }
    bool NextLine();
    bool NextCode();
    void CodecComment();
    // A symbol as a line defines it.
    struct SeenSymbol {
        SourceValue value;
        std::string name;
    };
    Status Header();
    Status Symbols();
    Expected<std::vector<SeenSymbol>> SymbolLines(bool first);
    std::size_t FramesHead(const std::vector<SeenSymbol>& seen);
    std::size_t TilesHead(const std::vector<SeenSymbol>& seen);
    Status OwnSymbols(const std::vector<SeenSymbol>& seen, std::size_t from);
    Status Label();
    Status StubAfter(std::size_t first);
    Status Data();
    Status PageLabel();
    void NameNextPage();
    Status Totals();
    Status Section();
    Status Frames();
    Status FrameTable();
    Status Map();
    Status MapItems(std::string_view items, std::size_t cells);

    SourceLines& lines_;
    std::uint64_t mostStream_;
    AsmSource top_;
    AsmSource* section_ = &top_;      // the picture, or the frame, being read
    std::string_view line_;           // the current line as written
    std::string_view code_;           // its code
    bool ended_ = false;              // past the last line
    std::optional<Failure> stopped_;  // the fault NextLine or NextCode stopped at
    bool pending_ = false;            // `code_` is the first data line, read while telling the mode
    bool symbolPending_ = false;  // `code_` is the next stream's first symbol, read after its data
    bool tablePending_ = false;   // `code_` is the frame table's label, read after the last data
    bool mapPending_ = false;     // `code_` is the map's label, read after the tile set
    bool beforeCode_ = true;      // no line of code read yet: a codec comment may come
    std::uint64_t streams_ = 0;   // stream bytes of every frame so far
    // How far the text may go: far enough for the header and symbols, then
    // for the data the size symbol declares, written generously.
    std::uint64_t mostText_ = std::uint64_t{1} << 20;
    std::string label_;                // the first label, without its colon
    std::optional<std::string> base_;  // the label before "_0" of a paged source
    std::size_t pages_ = 1;
    std::string nextPage_;       // the label "NAME_n:" that would start the next page
    std::size_t pageStart_ = 0;  // the stream offset where the current page begins
};

// The next line that holds code: blank lines and comments are skipped. False
// at the end, or at a fault (then `stopped_`).
bool Reader::NextCode() {
    for (;;) {
        if (!NextLine()) return false;
        if (IsHeader(line_)) {
            return Stop(Fail(lines_.number(),
                             "a second source begins here: give each source a file of its own"));
        }
        code_ = CodeOf(line_);
        if (!code_.empty()) {
            beforeCode_ = false;
            return true;
        }
        if (beforeCode_) CodecComment();
    }
}

// The first comment "codec: NAME" before the first symbol that names a codec
// by its -c keyword names the source's codec, and the first "planes: LIST"
// that names planes its planes; any other is only a comment.
void Reader::CodecComment() {
    if (auto planes = CommentPlanes(line_); planes && top_.commentPlanes.empty()) {
        top_.commentPlanes = std::move(planes->first);
        top_.interleaved = planes->second;
        top_.planesLine = lines_.number();
        return;
    }
    const std::optional<std::string_view> name = CommentCodecName(line_);
    const CodecInfo* codec = name ? FindCodec(*name) : nullptr;
    if (codec == nullptr || top_.commentCodec) return;
    top_.commentCodec = codec->kind;
    top_.commentLine = lines_.number();
}

// The next line, within the bounds. False at the end, or at a fault (then
// `stopped_`).
bool Reader::NextLine() {
    const SourceLines::Got got = lines_.Next(line_);
    if (got == SourceLines::Got::End) {
        ended_ = true;
        line_ = code_ = {};
        return false;
    }
    const std::size_t at = lines_.number();
    if (got == SourceLines::Got::ReadError) return Stop(Fail(at, "the file cannot be read on"));
    if (got == SourceLines::Got::TooLong) {
        return Stop(Fail(
            at, "the line is longer than " + std::to_string(kLongestSourceLine) + " characters"));
    }
    if (lines_.bytes() > mostText_) {
        return Stop(Fail(at, "the source goes on longer than any source of its size"));
    }
    return true;
}

// The header comment, first but for blank lines.
Status Reader::Header() {
    while (NextLine() && TrimSourceBlanks(line_).empty()) {
    }
    if (stopped_) return *stopped_;
    if (ended_ || !IsHeader(line_)) {
        return Fail(Here(), "not a source written by " + std::string(ProgramName()) +
                                ": expected its header comment \"; Created by " +
                                std::string(ProgramName()) + " v...\"");
    }
    return {};
}

// The symbols up to the first label: size, packets and start, a flag, and the
// picture's width and height. A source of frames begins with the frame count
// ("P_FRAMES"), the frame's width and height ("P_WIDTH", "P_HEIGHT") of
// -dims, then frame 0's symbols ("P_0..."); each later frame has only its own.
Status Reader::Symbols() {
    const bool first = section_ == &top_;
    Expected<std::vector<SeenSymbol>> seen = SymbolLines(first);
    if (!seen) return seen.failure();
    // The first of the picture's (or frame's) own symbols.
    std::size_t from = first ? FramesHead(*seen) : 0;
    if (first && from == 0) from = TilesHead(*seen);
    return OwnSymbols(*seen, from);
}

// The symbol lines up to the first label, as many as a picture (six at
// most), the head of a source of frames and its frame 0 (seven), or a later
// frame (four) may have.
Expected<std::vector<Reader::SeenSymbol>> Reader::SymbolLines(bool first) {
    std::vector<SeenSymbol> seen;
    bool have = std::exchange(symbolPending_, false);
    while ((have || NextCode()) && !IsLabel(code_)) {
        have = false;
        const std::optional<Symbol> symbol = ParseSymbol(code_);
        if (!symbol) {
            if (seen.size() < 3) break;
            return Fail(Here(),
                        "the data label is missing: expected \"NAME:\", found " + Quote(code_));
        }
        const auto head = [&](std::string_view suffix) {
            return first && !seen.empty() && seen[0].name.ends_with(suffix);
        };
        const std::size_t most = !first                   ? 4
                                 : head(kFramesSuffix)    ? 7
                                 : head(kTileCountSuffix) ? 11
                                                          : 6;
        if (seen.size() == most) {
            return Fail(Here(), std::string(most == 4   ? "a fifth"
                                            : most == 7 ? "an eighth"
                                            : most == 6 ? "a seventh"
                                                        : "a twelfth") +
                                    " symbol: expected the data label");
        }
        seen.push_back({{symbol->value, lines_.number()}, std::string(symbol->name)});
    }
    if (stopped_) return *stopped_;
    return seen;
}

// The frame count, and the frame's width and height of -dims, where `seen`
// begins as a source of frames does: the symbols that follow are then frame
// 0's, whose first this gives (0 for a source of one picture).
std::size_t Reader::FramesHead(const std::vector<SeenSymbol>& seen) {
    if (seen.empty() || !seen[0].name.ends_with(kFramesSuffix)) return 0;
    const std::string prefix = seen[0].name.substr(0, seen[0].name.size() - kFramesSuffix.size());
    const bool dims = seen.size() >= 3 && seen[1].name == prefix + std::string(kWidthSuffix) &&
                      seen[2].name == prefix + std::string(kHeightSuffix);
    const std::size_t own = dims ? 3 : 1;
    if (seen.size() <= own || !seen[own].name.starts_with(prefix + "_0")) return 0;
    top_.frameCount = seen[0].value;
    if (dims) {
        top_.width = seen[1].value;
        top_.height = seen[2].value;
    }
    return own;
}

// The head of a source of tiles, where `seen` begins as one does: the tile
// count, the tile's size, the map's size and -dims's picture size; the
// symbols that follow are the tile set's, whose first this gives (0 for any
// other source).
std::size_t Reader::TilesHead(const std::vector<SeenSymbol>& seen) {
    if (seen.empty() || !seen[0].name.ends_with(kTileCountSuffix)) return 0;
    const std::string prefix =
        seen[0].name.substr(0, seen[0].name.size() - kTileCountSuffix.size());
    AsmSource::Tiles tiles;
    SourceValue* const values[] = {&tiles.count, &tiles.width, &tiles.height, &tiles.mapWidth,
                                   &tiles.mapHeight};
    const std::string_view suffixes[] = {kTileCountSuffix, kTileWidthSuffix, kTileHeightSuffix,
                                         kMapWidthSuffix, kMapHeightSuffix};
    for (std::size_t i = 0; i < std::size(suffixes); ++i) {
        if (i >= seen.size() || seen[i].name != prefix + std::string(suffixes[i])) return 0;
        *values[i] = seen[i].value;
    }
    top_.tiles = std::move(tiles);
    const bool dims = seen.size() >= 7 && seen[5].name == prefix + std::string(kWidthSuffix) &&
                      seen[6].name == prefix + std::string(kHeightSuffix);
    if (dims) {
        top_.width = seen[5].value;
        top_.height = seen[6].value;
    }
    return dims ? 7 : 5;
}

// The picture's (or frame's) own symbols, from `seen[from]` on: size,
// packets, start and a flag, and a picture's width and height last; its
// data within what the pixel limit allows.
Status Reader::OwnSymbols(const std::vector<SeenSymbol>& seen, std::size_t from) {
    static constexpr const char* kRoles[] = {"size", "packets", "start"};
    std::size_t count = seen.size() - from;
    if (count < 3) {
        return Fail(Here(), std::string("the ") + kRoles[count] +
                                " symbol is missing: expected \".equ NAME value\"" +
                                (ended_ ? std::string() : ", found " + Quote(code_)));
    }
    const auto named = [&](std::size_t i, std::string_view suffix) {
        return seen[i].name.ends_with(suffix);
    };
    if (!top_.frameCount && !top_.tiles && count >= 5 && named(seen.size() - 2, kWidthSuffix) &&
        named(seen.size() - 1, kHeightSuffix)) {
        top_.width = seen[seen.size() - 2].value;
        top_.height = seen[seen.size() - 1].value;
        count -= 2;
    }
    if (count > 4)
        return Fail(seen[from + 4].value.line, "a fifth symbol: expected the data label");
    section_->size = seen[from].value;
    section_->packets = seen[from + 1].value;
    section_->start = seen[from + 2].value;
    if (count == 4) section_->flag = seen[from + 3].value;
    streams_ += section_->size.value;
    if (streams_ > mostStream_) {
        return Fail(section_->size.line,
                    std::to_string(section_->size.value) +
                        " bytes of data are more than a picture within the pixel limit needs "
                        "(see -maxpixels)");
    }
    mostText_ += 16 * std::uint64_t{section_->size.value};
    return {};
}

// The lines of a mode's lookup stub, as Normalised gives them.
const std::vector<std::string>& StubLines(TableCodeMode mode) {
    static const auto split = [](std::string_view stub) {
        std::vector<std::string> lines;
        for (std::size_t end; (end = stub.find('\n')) != std::string_view::npos;) {
            lines.push_back(Normalised(CodeOf(stub.substr(0, end))));
            stub.remove_prefix(end + 1);
        }
        return lines;
    };
    static const std::vector<std::string> image = split(kImageStub);
    static const std::vector<std::string> data = split(kDataStub);
    return mode == TableCodeMode::Image ? image : data;
}

// The first label; what follows it tells the table-code mode.
Status Reader::Label() {
    if (ended_) return Fail(Here(), "the data label is missing: expected \"NAME:\"");
    section_->labelLine = lines_.number();
    label_ = std::string(code_.substr(0, code_.size() - 1));
    if (!NextCode()) return Stopped();
    for (const TableCodeMode mode : {TableCodeMode::Image, TableCodeMode::Data}) {
        if (Normalised(code_) == StubLines(mode).front()) {
            section_->mode = mode;
            return StubAfter(1);
        }
    }
    if (const auto file = AfterDirective(code_, ".include")) {
        section_->mode = TableCodeMode::Include;
        const bool quoted = file->size() >= 2 && file->front() == '"' && file->back() == '"';
        const CodecInfo* codec =
            quoted ? FindCodecByInclude(file->substr(1, file->size() - 2)) : nullptr;
        if (codec == nullptr) return Fail(Here(), "no codec has the decoder " + Quote(*file));
        section_->includeCodec = codec->kind;
        return {};
    }
    pending_ = true;
    return {};
}

// The lines of the mode's lookup stub from line `first` on.
Status Reader::StubAfter(std::size_t first) {
    const std::vector<std::string>& stub = StubLines(section_->mode);
    for (std::size_t i = first; i < stub.size(); ++i) {
        if (!NextCode() || Normalised(code_) != stub[i]) {
            if (stopped_) return *stopped_;
            return Fail(Here(),
                        "the lookup stub after the label is missing: expected \"" + stub[i] + "\"");
        }
    }
    return {};
}

void Reader::NameNextPage() {
    nextPage_ = *base_ + "_" + std::to_string(pages_) + ":";
}

// A page label "NAME_n:" and its stub; the page before it must be full.
Status Reader::PageLabel() {
    const std::size_t pageSize = static_cast<std::size_t>(PageSize(section_->mode));
    const std::size_t held = section_->stream.size() - pageStart_;
    if (held != pageSize) {
        return Fail(lines_.number(), "the page before holds " + std::to_string(held) +
                                         " bytes, not " + std::to_string(pageSize));
    }
    ++pages_;
    NameNextPage();
    pageStart_ = section_->stream.size();
    if (section_->mode == TableCodeMode::None) return {};
    return StubAfter(0);
}

// The .db lines of every page.
Status Reader::Data() {
    if (section_->mode != TableCodeMode::Include && label_.ends_with("_0")) {
        base_ = label_.substr(0, label_.size() - 2);
        NameNextPage();
    }
    section_->stream.reserve(std::min<std::size_t>(section_->size.value, std::size_t{64} << 20));
    for (bool have = pending_; have || NextCode(); have = false) {
        if (base_ && code_ == nextPage_) {
            if (Status page = PageLabel(); !page) return page;
            continue;
        }
        const std::optional<std::string_view> items = AfterDirective(code_, ".db");
        if (!items && top_.tiles && IsLabel(code_) &&
            code_.ends_with(std::string(kMapLabel) + ":")) {
            mapPending_ = true;  // the map, after the tile set
            break;
        }
        if (!items && !top_.tiles && (top_.frameCount || top_.StreamsPerFrame() > 1) &&
            ParseSymbol(code_)) {
            symbolPending_ = true;  // the next stream's first symbol
            break;
        }
        if (!items && IsLabel(code_) && code_.ends_with(std::string(kFrameTableSuffix) + ":")) {
            tablePending_ = true;  // the frame table
            break;
        }
        if (!items) {
            return Fail(lines_.number(),
                        "not a data line: expected \".db\" items" +
                            (base_ ? " or the label \"" + nextPage_ + "\"" : std::string()) +
                            ", found " + Quote(code_));
        }
        section_->dbOffsets.push_back(section_->stream.size());
        section_->dbLines.push_back(lines_.number());
        if (const auto bad = ParseDbItems(*items, section_->stream)) {
            return Fail(lines_.number(), "bad .db item " + Quote(*bad));
        }
        if (section_->stream.size() > section_->size.value) {
            return Fail(section_->LineOf(section_->size.value),
                        "the data holds more than the " + std::to_string(section_->size.value) +
                            " bytes of the size symbol");
        }
    }
    section_->lastLine = lines_.number() - (symbolPending_ || tablePending_ || mapPending_ ? 1 : 0);
    return Stopped();
}

// The byte count against the size symbol, and the last page.
Status Reader::Totals() {
    const std::size_t total = section_->stream.size();
    if (total != section_->size.value) {
        return Fail(section_->lastLine,
                    "the data holds " + std::to_string(total) + " bytes, not the " +
                        std::to_string(section_->size.value) + " of the size symbol");
    }
    const auto pageSize = static_cast<std::size_t>(PageSize(section_->mode));
    if (section_->mode != TableCodeMode::Include && total - pageStart_ > pageSize) {
        return Fail(section_->LineOf(pageStart_ + pageSize),
                    "more than " + std::to_string(pageSize) + " bytes under one label");
    }
    if (pages_ > 1 && total == pageStart_)
        return Fail(section_->lastLine, "the last page is empty");
    if (section_->mode == TableCodeMode::Image) {
        if (section_->start.value < kImageStartOffset) {
            return Fail(section_->start.line,
                        "the start symbol of a -tc image source is at least " +
                            std::to_string(kImageStartOffset));
        }
        section_->start.value -= kImageStartOffset;
    }
    return {};
}

}  // namespace

Expected<AsmSource> Reader::Read() {
    Status read = Header();
    if (read) read = Symbols();
    const bool frames = !top_.tiles && (top_.frameCount || top_.StreamsPerFrame() > 1);
    if (read) read = frames ? Frames() : Section();
    if (read) read = top_.tiles ? Map() : FrameTable();
    if (!read) return read.failure();
    return std::move(top_);
}

// The frame table of -ftable, if the data ends with it: ".dw" lines to the
// end.
Status Reader::FrameTable() {
    if (!tablePending_) return {};
    if (!top_.frameCount) return Fail(lines_.number(), "a frame table, but no frames");
    while (NextCode()) {
        if (!AfterDirective(code_, ".dw")) {
            return Fail(lines_.number(),
                        "not a line of the frame table: expected \".dw\" items, "
                        "found " +
                            Quote(code_));
        }
    }
    return Stopped();
}

// The map of a source of tiles, to the end: ".db" or ".dw" lines, as many
// tile numbers as the map has cells, each a tile of the tile count.
Status Reader::Map() {
    AsmSource::Tiles& tiles = *top_.tiles;
    if (!mapPending_) {
        return Fail(Here(), "the map is missing: expected the label \"" +
                                std::string(kMapLabel.substr(1)) + "\" after the tile set's data");
    }
    tiles.mapLine = lines_.number();
    const std::uint64_t cells = std::uint64_t{tiles.mapWidth.value} * tiles.mapHeight.value;
    // Every cell shows eight pixels at least.
    if (cells == 0 || cells > mostStream_ / 2) {
        return Fail(tiles.mapWidth.line, "a map of " + std::to_string(tiles.mapWidth.value) + "x" +
                                             std::to_string(tiles.mapHeight.value) +
                                             " cells cannot be (see -maxpixels)");
    }
    mostText_ += 16 * cells;
    tiles.map.reserve(static_cast<std::size_t>(cells));
    while (NextCode()) {
        std::optional<std::string_view> items = AfterDirective(code_, ".db");
        if (!items) items = AfterDirective(code_, ".dw");
        if (!items) {
            return Fail(
                lines_.number(),
                "not a line of the map: expected \".db\" or \".dw\" items, found " + Quote(code_));
        }
        if (Status read = MapItems(*items, static_cast<std::size_t>(cells)); !read) return read;
    }
    if (stopped_) return *stopped_;
    if (tiles.map.size() != cells) {
        return Fail(lines_.number(), "the map holds " + std::to_string(tiles.map.size()) +
                                         " cells, not the " + std::to_string(tiles.mapWidth.value) +
                                         "x" + std::to_string(tiles.mapHeight.value) +
                                         " of its symbols");
    }
    return {};
}

// The tile numbers of one line of the map.
Status Reader::MapItems(std::string_view items, std::size_t cells) {
    AsmSource::Tiles& tiles = *top_.tiles;
    for (;;) {
        const std::size_t comma = items.find(',');
        const std::string_view item = TrimSourceBlanks(items.substr(0, comma));
        const std::optional<std::uint32_t> number = Number(item, UINT16_MAX);
        if (!number) return Fail(lines_.number(), "bad map item " + Quote(item));
        if (*number >= tiles.count.value) {
            return Fail(lines_.number(), "tile " + std::to_string(*number) + " is not among the " +
                                             std::to_string(tiles.count.value) +
                                             " of the tile count");
        }
        if (tiles.map.size() == cells) {
            return Fail(lines_.number(), "the map holds more than its " +
                                             std::to_string(tiles.mapWidth.value) + "x" +
                                             std::to_string(tiles.mapHeight.value) + " cells");
        }
        tiles.map.push_back(*number);
        if (comma == std::string_view::npos) return {};
        items.remove_prefix(comma + 1);
    }
}

// A picture's or a frame's label, data and totals, after its symbols.
Status Reader::Section() {
    if (Status label = Label(); !label) return label;
    if (Status data = Data(); !data) return data;
    return Totals();
}

// The frames of a source of frames, as many as its frame count, each read as
// a picture's symbols, label and data are; and each frame's planes (or the
// picture's) where each is a stream of its own.
Status Reader::Frames() {
    const std::size_t frames = top_.frameCount ? top_.frameCount->value : 1;
    const std::size_t perFrame = top_.StreamsPerFrame();
    // Every frame holds eight pixels at least, a packed byte.
    if (top_.frameCount && (frames == 0 || frames > mostStream_ / 2)) {
        return Fail(top_.frameCount->line,
                    "a source of " + std::to_string(frames) + " frames cannot be (see -maxpixels)");
    }
    for (std::size_t k = 0; k < frames * perFrame; ++k) {
        top_.frames.emplace_back();
        section_ = &top_.frames.back();
        if (k == 0) {  // its symbols were read with the frame count
            section_->size = top_.size;
            section_->packets = top_.packets;
            section_->start = top_.start;
            section_->flag = top_.flag;
        } else if (!symbolPending_) {
            const std::string plane =
                perFrame > 1 ? "the " + std::string(PlaneName(top_.commentPlanes[k % perFrame])) +
                                   " plane of "
                             : std::string();
            return Fail(Here(), top_.frameCount
                                    ? plane + "frame " + std::to_string(k / perFrame) + " of the " +
                                          std::to_string(frames) + " of the frame count is missing"
                                    : plane + "the picture is missing");
        } else {
            mostText_ += kFrameText;
            if (Status symbols = Symbols(); !symbols) return symbols;
        }
        label_.clear();
        base_.reset();
        pages_ = 1;
        pageStart_ = 0;
        pending_ = false;
        if (Status section = Section(); !section) return section;
    }
    if (symbolPending_) {
        return Fail(lines_.number(),
                    top_.frameCount
                        ? "a frame more than the " + std::to_string(frames) + " of the frame count"
                        : std::string("a stream more than its planes"));
    }
    top_.lastLine = lines_.number();
    return {};
}

std::size_t AsmSource::LineOf(std::size_t offset) const {
    if (offset >= stream.size()) return lastLine;
    const auto next = std::upper_bound(dbOffsets.begin(), dbOffsets.end(), offset);
    return dbLines[static_cast<std::size_t>(next - dbOffsets.begin()) - 1];
}

Expected<AsmSource> ReadAsmSource(SourceLines& lines, std::uint64_t maxPixels) {
    return Reader(lines, MostStreamBytes(maxPixels)).Read();
}

namespace {

// Reads a font's head from its lines, leaving in `rest` the text with the
// head's lines blank: a source of one picture, line for line.
class FontHeadReader {
  public:
    Status Read(std::string_view text, std::string& rest);
    FontHead head;

  private:
    Status Take(std::string_view code, std::size_t line, bool& own);
    enum class Section { Symbols, Widths, Offsets, Glyphs };
    Section part_ = Section::Symbols;
    std::size_t symbols_ = 0;
};

Status FontHeadReader::Take(std::string_view code, std::size_t line, bool& own) {
    static constexpr std::string_view kSuffixes[] = {kFirstSuffix, kGlyphsSuffix, kHeightSuffix};
    own = true;
    if (part_ == Section::Symbols && symbols_ < 3) {
        const std::optional<Symbol> symbol = ParseSymbol(code);
        if (!symbol || !symbol->name.ends_with(kSuffixes[symbols_])) {
            return Failure{"not a font: expected \".equ NAME" + std::string(kSuffixes[symbols_]) +
                               " value\", found " + Quote(code),
                           line};
        }
        SourceValue* const values[] = {&head.first, &head.glyphs, &head.height};
        *values[symbols_++] = {symbol->value, line};
        return {};
    }
    const bool widths = IsLabel(code) && code.ends_with(std::string(kWidthsSuffix) + ":");
    const bool offsets = IsLabel(code) && code.ends_with(std::string(kOffsetsSuffix) + ":");
    if (part_ == Section::Symbols || (part_ == Section::Widths && !AfterDirective(code, ".db"))) {
        const bool next = part_ == Section::Symbols ? widths : offsets;
        if (!next) {
            return Failure{std::string("not a font: expected the label of its ") +
                               (part_ == Section::Symbols ? "width" : "offset") + " table, found " +
                               Quote(code),
                           line};
        }
        part_ = part_ == Section::Symbols ? Section::Widths : Section::Offsets;
        return {};
    }
    if (part_ == Section::Widths) {
        if (const auto bad = ParseDbItems(*AfterDirective(code, ".db"), head.widths)) {
            return Failure{"not a width: " + Quote(*bad), line};
        }
        return {};
    }
    const std::optional<std::string_view> items = AfterDirective(code, ".dw");
    if (!items) {
        part_ = Section::Glyphs;
        own = false;
        return {};
    }
    for (std::string_view rest = *items;;) {
        const std::size_t comma = rest.find(',');
        const std::optional<std::uint32_t> value =
            Number(TrimSourceBlanks(rest.substr(0, comma)), 0xFFFF);
        if (!value) return Failure{"not an offset: " + Quote(rest.substr(0, comma)), line};
        head.offsets.push_back(*value);
        if (comma == std::string_view::npos) return {};
        rest.remove_prefix(comma + 1);
    }
}

Status FontHeadReader::Read(std::string_view text, std::string& rest) {
    SourceLines lines(text);
    std::string_view line;
    rest.reserve(text.size());
    while (lines.Next(line) == SourceLines::Got::Line) {
        const std::string_view code = CodeOf(line);
        bool own = false;
        if (part_ != Section::Glyphs && !code.empty() && !IsHeader(line)) {
            if (Status taken = Take(code, lines.number(), own); !taken) return taken;
        }
        rest.append(own ? std::string_view() : line).append("\n");
    }
    if (part_ != Section::Glyphs) {
        return Failure{"not a font: its head ends before its glyph data", lines.number()};
    }
    return {};
}

// The head against itself and the glyph data's layout.
Status CheckFontHead(const FontHead& head) {
    const std::size_t glyphs = head.glyphs.value;
    if (head.first.value + glyphs > kLastCharacterCode + 1 || head.widths.size() != glyphs ||
        head.offsets.size() != glyphs + 1) {
        return Failure{"the font's " + std::to_string(head.widths.size()) + " widths and " +
                           std::to_string(head.offsets.size()) + " offsets do not make " +
                           std::to_string(glyphs) + " glyphs from code " +
                           std::to_string(head.first.value),
                       head.glyphs.line};
    }
    const std::uint32_t column = head.height.value / 8;
    if (column == 0 || head.height.value % 8 != 0) {
        return Failure{"a font cannot be " + std::to_string(head.height.value) + " pixels high",
                       head.height.line};
    }
    for (std::size_t g = 0; g < glyphs; ++g) {
        const std::uint32_t from = head.offsets[g];
        const std::uint32_t to = head.offsets[g + 1];
        if (to < from || (to - from) % column != 0 || (to - from) / column > head.widths[g]) {
            return Failure{"glyph " + std::to_string(g) + "'s offsets " + std::to_string(from) +
                               " to " + std::to_string(to) + " do not hold columns of " +
                               std::to_string(column) + " bytes within its width " +
                               std::to_string(head.widths[g]),
                           head.glyphs.line};
        }
    }
    return {};
}

}  // namespace

Expected<AsmSource> ReadFontSource(std::string_view text, std::uint64_t maxPixels) {
    FontHeadReader reader;
    std::string rest;
    if (Status read = reader.Read(text, rest); !read) return read.failure();
    if (Status checked = CheckFontHead(reader.head); !checked) return checked.failure();
    SourceLines lines(rest);
    Expected<AsmSource> source = ReadAsmSource(lines, maxPixels);
    if (!source) return source;
    if (source->frameCount || source->StreamsPerFrame() > 1) {
        return Failure{"a font's glyph data is one stream", source->labelLine};
    }
    source->font = std::move(reader.head);
    return source;
}

Expected<AsmSource> ReadAsmSource(std::string_view text) {
    SourceLines lines(text);
    return ReadAsmSource(lines, kMostPixels);
}

}  // namespace pelmo
