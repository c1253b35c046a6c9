#include "asm/asm_reader.hpp"

#include <algorithm>
#include <array>

#include "app/version.hpp"
#include "asm/asm_writer.hpp"
#include "codec/codec_table.hpp"

namespace pelmo {

namespace {

// The text line by line, numbered from 1; the last line may lack its '\n'.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++number_;
        return true;
    }
    // Consumes `lines` (whole lines, each ended by '\n') when the text goes on with them.
    bool Skip(std::string_view lines) {
        if (pos_ > text_.size() || !text_.substr(pos_).starts_with(lines)) return false;
        pos_ += lines.size();
        number_ += static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\n'));
        return true;
    }
    bool Ahead(std::string_view text) const {
        return pos_ <= text_.size() && text_.substr(pos_).starts_with(text);
    }
    std::size_t number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

// The value of an upper-case hexadecimal digit, as the writer prints them;
// -1 for any other character.
constexpr std::array<std::int8_t, 256> kHexDigits = [] {
    std::array<std::int8_t, 256> digits{};
    digits.fill(-1);
    for (int c = '0'; c <= '9'; ++c)
        digits[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        digits[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
    return digits;
}();

int HexDigit(char c) {
    return kHexDigits[static_cast<unsigned char>(c)];
}

// "<directive>NAME $HEX", where NAME may be empty or hold anything; the value
// has two to eight upper-case digits, as the writer prints it.
bool ParseSymbol(std::string_view line, std::string_view directive, std::uint32_t& value) {
    if (!line.starts_with(directive)) return false;
    const std::size_t dollar = line.rfind(" $");
    if (dollar == std::string_view::npos || dollar + 1 < directive.size()) return false;
    const std::string_view digits = line.substr(dollar + 2);
    if (digits.size() < 2 || digits.size() > 8) return false;
    value = 0;
    for (const char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    return true;
}

// A piece of a line fit to quote in a one-line message.
std::string Quote(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string quoted = "\"";
    for (const char c : text.substr(0, kShown)) {
        quoted += (c >= ' ' && c != 0x7F) ? c : '?';
    }
    return quoted + (text.size() > kShown ? "...\"" : "\"");
}

// The items of a ".db " line, "$XX" each, comma-separated, appended to `out`.
// On a bad item, returns it.
std::optional<std::string_view> ParseDbItems(std::string_view items,
                                             std::vector<std::uint8_t>& out) {
    const char* p = items.data();
    const char* const end = p + items.size();
    while (true) {
        if (end - p >= 3 && p[0] == '$' && (end - p == 3 || p[3] == ',')) {
            const int high = HexDigit(p[1]);
            const int low = HexDigit(p[2]);
            if ((high | low) >= 0) {
                out.push_back(static_cast<std::uint8_t>(high << 4 | low));
                p += 3;
                if (p == end) return std::nullopt;
                ++p;
                continue;
            }
        }
        return std::string_view(p, static_cast<std::size_t>(std::find(p, end, ',') - p));
    }
}

}  // namespace

std::size_t AsmSource::LineOf(std::size_t offset) const {
    if (offset >= stream.size()) return lastLine;
    const auto next = std::upper_bound(dbOffsets.begin(), dbOffsets.end(), offset);
    return dbLines[static_cast<std::size_t>(next - dbOffsets.begin()) - 1];
}

bool ReadAsmSource(std::string_view text, AsmSource& source, SourceError& error) {
    source = AsmSource();
    LineReader lines(text);
    std::string_view line;
    const auto fail = [&](std::size_t at, std::string what) {
        error = {at, std::move(what)};
        return false;
    };
    bool ended = false;  // past the last line: a missing line is reported as the one after it
    const auto next = [&]() {
        if (lines.Next(line)) return true;
        line = {};
        ended = true;
        return false;
    };
    const auto here = [&]() { return lines.number() + (ended ? 1 : 0); };

    // The header names the program; any of its versions is welcome.
    const std::string_view program = kVersionText.substr(0, kVersionText.find(" v") + 2);
    if (!next() || !line.starts_with(kHeaderPrefix) ||
        !line.substr(kHeaderPrefix.size()).starts_with(program)) {
        return fail(
            1, "not a source written by " + std::string(program.substr(0, program.size() - 2)));
    }
    if (!next() || !line.empty()) return fail(here(), "the empty line after the header is missing");

    next();
    const std::string_view directive = line.starts_with("\t.set ") ? "\t.set " : "\t.equ ";
    SourceValue* const symbols[] = {&source.size, &source.packets, &source.start};
    const char* const roles[] = {"size", "packets", "start"};
    for (std::size_t k = 0; k < 3; ++k) {
        if (k > 0) next();
        if (!ParseSymbol(line, directive, symbols[k]->value)) {
            return fail(here(), std::string("the ") + roles[k] + " symbol is missing");
        }
        symbols[k]->line = lines.number();
    }
    next();
    SourceValue flag;
    if (ParseSymbol(line, directive, flag.value)) {
        flag.line = lines.number();
        source.flag = flag;
        next();
    }

    // The first label, then what it is followed by tells the table-code mode.
    if (!line.ends_with(':')) return fail(here(), "the data label is missing");
    source.labelLine = lines.number();
    const std::string_view label = line.substr(0, line.size() - 1);
    if (lines.Skip(kImageStub)) {
        source.mode = TableCodeMode::Image;
    } else if (lines.Skip(kDataStub)) {
        source.mode = TableCodeMode::Data;
    } else if (lines.Ahead("\t.include ")) {
        next();
        source.mode = TableCodeMode::Include;
        for (const CodecInfo& codec : CodecTable()) {
            if (line == "\t.include \"" + std::string(codec.includeFile) + "\"") {
                source.includeCodec = codec.kind;
            }
        }
        if (!source.includeCodec) {
            return fail(here(), "no codec has the decoder " + Quote(line.substr(10)));
        }
    }
    const std::string_view stub = source.mode == TableCodeMode::Image  ? kImageStub
                                  : source.mode == TableCodeMode::Data ? kDataStub
                                                                       : std::string_view();

    // Pages: a label "NAME_0" may be followed by "NAME_1", "NAME_2" ...; each
    // page but the last holds a whole page of bytes.
    const bool include = source.mode == TableCodeMode::Include;
    const std::size_t pageSize = static_cast<std::size_t>(PageSize(source.mode));
    std::optional<std::string> base;
    if (!include && label.ends_with("_0")) base = label.substr(0, label.size() - 2);
    std::size_t pages = 1;
    std::size_t pageStart = 0;  // the stream offset where the current page begins
    std::string nextLabel = base ? *base + "_1:" : std::string();
    source.stream.reserve(text.size() / 4);
    while (next()) {
        if (base && line == nextLabel) {
            if (source.stream.size() - pageStart != pageSize) {
                return fail(lines.number(), "the page before holds " +
                                                std::to_string(source.stream.size() - pageStart) +
                                                " bytes, not " + std::to_string(pageSize));
            }
            if (!lines.Skip(stub)) {
                return fail(lines.number() + 1, "the lookup stub after the label is missing");
            }
            pageStart = source.stream.size();
            nextLabel = *base + "_" + std::to_string(++pages) + ":";
            continue;
        }
        if (!line.starts_with(kDbPrefix))
            return fail(lines.number(), "not a data line: " + Quote(line));
        source.dbOffsets.push_back(source.stream.size());
        source.dbLines.push_back(lines.number());
        if (const auto bad = ParseDbItems(line.substr(kDbPrefix.size()), source.stream)) {
            return fail(lines.number(), "bad .db item " + Quote(*bad));
        }
    }
    source.lastLine = lines.number();

    const std::size_t total = source.stream.size();
    if (total != source.size.value) {
        const std::string size = std::to_string(source.size.value);
        if (total > source.size.value) {
            return fail(source.LineOf(source.size.value),
                        "the data holds more than the " + size + " bytes of the size symbol");
        }
        return fail(source.lastLine, "the data holds " + std::to_string(total) +
                                         " bytes, not the " + size + " of the size symbol");
    }
    if (!include && total - pageStart > pageSize) {
        return fail(source.LineOf(pageStart + pageSize),
                    "more than " + std::to_string(pageSize) + " bytes under one label");
    }
    if (pages > 1 && total == pageStart) return fail(source.lastLine, "the last page is empty");
    if (source.mode == TableCodeMode::Image) {
        if (source.start.value < 6) {
            return fail(source.start.line, "the start symbol of a -tc image source is at least 6");
        }
        source.start.value -= 6;
    }
    return true;
}

}  // namespace pelmo
