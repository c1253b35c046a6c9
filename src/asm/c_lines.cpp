#include "asm/c_lines.hpp"

#include "asm/source_format.hpp"
#include "base/ascii.hpp"

namespace pelmo {

std::string_view TrimSourceBlanks(std::string_view text) {
    while (!text.empty() && IsSourceBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSourceBlank(text.back())) text.remove_suffix(1);
    return text;
}

namespace {

// The line's code, its comments ("/* ... */", "// ...") taken out, and the
// text of its first comment.
struct Split {
    std::string code;
    std::string_view comment;
    bool commented = false;
};

Split SplitComments(std::string_view line) {
    Split split;
    while (!line.empty()) {
        const std::size_t block = line.find("/*");
        const std::size_t rest = line.find("//");
        const std::size_t at = std::min(block, rest);
        split.code.append(line.substr(0, at));
        if (at == std::string_view::npos) break;
        const bool toEnd = at == rest;
        const std::size_t end = toEnd ? std::string_view::npos : line.find("*/", at + 2);
        const std::string_view text = line.substr(
            at + 2, end == std::string_view::npos ? std::string_view::npos : end - at - 2);
        if (!split.commented) split.comment = TrimSourceBlanks(text);
        split.commented = true;
        if (toEnd || end == std::string_view::npos) break;
        split.code += ' ';
        line.remove_prefix(end + 2);
    }
    split.code = std::string(TrimSourceBlanks(split.code));
    return split;
}

// The name an array declaration declares: the word before its first "[".
std::string_view DeclaredName(std::string_view code) {
    std::string_view name = TrimSourceBlanks(code.substr(0, code.find('[')));
    const std::size_t space = name.find_last_of(" \t*");
    return space == std::string_view::npos ? name : name.substr(space + 1);
}

// "#define NAME VALUE": a symbol, or a label of no bytes; the include guard
// and every other preprocessor line stand for nothing.
std::string_view Directive(std::string_view code, std::string& out) {
    constexpr std::string_view kDefine = "#define";
    if (!code.starts_with(kDefine) || code.size() == kDefine.size() ||
        !IsSourceBlank(code[kDefine.size()])) {
        return {};
    }
    const std::string_view rest = TrimSourceBlanks(code.substr(kDefine.size()));
    std::size_t space = 0;
    while (space < rest.size() && !IsSourceBlank(rest[space])) ++space;
    const std::string_view name = rest.substr(0, space);
    const std::string_view value = TrimSourceBlanks(rest.substr(space));
    if (value.empty()) return {};
    if (value.starts_with('(')) return out.assign(name).append(":");
    return out.assign(".equ ").append(name).append(" ").append(value);
}

// A line of an array's items: bytes, or a frame's entries of the frame table.
std::string_view Items(std::string_view code, std::string& out) {
    std::string items;
    for (const char c : code) {
        if (c != '{' && c != '}') items += c;
    }
    std::string_view text = TrimSourceBlanks(items);
    if (text.ends_with(',')) text = TrimSourceBlanks(text.substr(0, text.size() - 1));
    // Numbers of two hexadecimal digits are bytes; of four, the words of a
    // map or an offset table; names, the addresses of the frame table.
    const std::string_view first = text.substr(0, text.find(','));
    const bool bytes =
        !text.empty() && IsAsciiDigit(text.front()) && TrimSourceBlanks(first).size() <= 4;
    return out.assign(bytes ? ".db " : ".dw ").append(text);
}

}  // namespace

bool StartsCHeader(std::string_view line) {
    return TrimSourceBlanks(line).starts_with("/*");
}

std::string_view CLineAsAsm(std::string_view line, std::string& out) {
    const Split split = SplitComments(line);
    const std::string_view code = split.code;
    if (code.empty()) {
        return split.commented ? std::string_view(out.assign("; ").append(split.comment))
                               : std::string_view();
    }
    if (code.starts_with('#')) return Directive(code, out);
    if (code.starts_with('}')) return {};
    if (code.starts_with("static") && code.ends_with('{')) {
        // The sizes of the frame table's streams go on its lines.
        const auto declares = [code](std::string_view array) {
            return code.find(TrimSourceBlanks(array.substr(array.find("unsigned")))) !=
                   std::string_view::npos;
        };
        if (!declares(kCBytesArray) && !declares(kCWordsArray)) return {};
        return out.assign(DeclaredName(code)).append(":");
    }
    if (code.starts_with("static")) return line;
    return Items(code, out);
}

}  // namespace pelmo
