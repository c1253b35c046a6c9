#include "app/option_files.hpp"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <utility>

#include "base/errors.hpp"
#include "base/limits.hpp"

namespace pelmo {

namespace {

// White space as the C locale has it.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The refusal of what line `line` of option file `name` holds.
Failure AtLine(std::string_view name, std::size_t line, std::string_view reason) {
    return Failure{"option file " + Quoted(name) + " line " + std::to_string(line) + ": " +
                       std::string(reason),
                   line};
}

}  // namespace

Expected<std::vector<std::string>> SplitOptionFile(std::string_view text, std::string_view name) {
    // No argument can hold a null byte: a file with one is no option file.
    const std::size_t null = text.find('\0');
    if (null != std::string_view::npos) {
        const auto lines = std::count(text.begin(), text.begin() + null, '\n');
        return AtLine(name, 1 + static_cast<std::size_t>(lines), "a null byte");
    }
    std::vector<std::string> words;
    std::size_t i = 0;
    std::size_t line = 1;
    while (true) {
        // White space and comments up to the next word.
        while (i < text.size() && (IsBlank(text[i]) || text[i] == '#')) {
            if (text[i] == '#') {
                i = std::min(text.find('\n', i), text.size());
            } else {
                line += text[i++] == '\n' ? 1 : 0;
            }
        }
        if (i == text.size()) return words;
        std::string word;
        while (i < text.size() && !IsBlank(text[i]) && text[i] != '#') {
            if (text[i] != '"') {
                word += text[i++];
                continue;
            }
            const std::size_t close = text.find_first_of("\"\n", i + 1);
            if (close == std::string_view::npos || text[close] != '"') {
                return AtLine(name, line, "unterminated quote");
            }
            word.append(text.substr(i + 1, close - i - 1));
            i = close + 1;
        }
        if (word.starts_with('@')) {
            return AtLine(name, line, "option files cannot nest " + Quoted(word));
        }
        if (words.size() == kMostOptionFileWords) {
            return AtLine(name, line,
                          "more than " + std::to_string(kMostOptionFileWords) + " words");
        }
        words.push_back(std::move(word));
    }
}

Expected<std::vector<std::string>> ReadOptionFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    // One byte more than a file may hold tells a file that holds more.
    std::string text(kMostOptionFileBytes + 1, '\0');
    const std::size_t got = file ? std::fread(text.data(), 1, text.size(), file.get()) : 0;
    if (!file || std::ferror(file.get()) != 0) {
        return Failure{"cannot read option file " + Quoted(path)};
    }
    if (got > kMostOptionFileBytes) {
        return Failure{"option file " + Quoted(path) + " is larger than " +
                       std::to_string(kMostOptionFileBytes) + " bytes"};
    }
    text.resize(got);
    return SplitOptionFile(text, path);
}

ArgumentList::ArgumentList(int argc, const char* const* argv) {
    for (int i = argc - 1; i >= 1; --i) pending_.emplace_back(argv[i]);
}

Status ArgumentList::Open() {
    while (!pending_.empty() && pending_.back().starts_with('@')) {
        Expected<std::vector<std::string>> words = ReadOptionFile(pending_.back().substr(1));
        if (!words) return words.failure();
        pending_.pop_back();
        std::move(words->rbegin(), words->rend(), std::back_inserter(pending_));
    }
    return {};
}

std::string ArgumentList::Take() {
    std::string word = std::move(pending_.back());
    pending_.pop_back();
    return word;
}

}  // namespace pelmo
