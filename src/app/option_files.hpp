// Option files: an argument "@FILE" on either program's command line stands
// for the words of FILE, read where it stands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/failure.hpp"

namespace pelmo {

// What both programs' --help says of option files, last.
inline constexpr std::string_view kOptionFileHelp =
    "  @FILE            The words of FILE in its place: white space separates them,\n"
    "                   \"a b\" is one word, # begins a comment; no @FILE inside FILE\n"
    "                   (a file whose name begins with @ is given as ./@name)\n";

// The words of an option file's text, `name` being the file's name as given:
// separated by white space; double quotes keep spaces, and a word may be
// made of quoted and plain parts ("" is an empty word); `#` outside quotes
// begins a comment to the end of the line. A quote ends on its own line. A
// null byte, an unterminated quote, a word that names another option file
// (one that begins with `@`) and more than kMostOptionFileWords words are
// refused, naming the file and the line.
Expected<std::vector<std::string>> SplitOptionFile(std::string_view text, std::string_view name);

// The words of the option file at `path` (as SplitOptionFile gives them);
// a file that cannot be read or holds more than kMostOptionFileBytes bytes
// is refused, naming it.
Expected<std::vector<std::string>> ReadOptionFile(const std::string& path);

// A program's arguments (argv[1] on), read one after the other, each option
// file replaced by its words once it is the next argument.
class ArgumentList {
  public:
    ArgumentList(int argc, const char* const* argv);

    // Puts the words of the option files that come next in their place, so
    // that the next argument, if any, is a word to parse.
    Status Open();
    // Whether no argument is left (Open first).
    bool AtEnd() const { return pending_.empty(); }
    // The next argument, left in its place (not AtEnd).
    const std::string& Next() const { return pending_.back(); }
    // The next argument, taken (not AtEnd).
    std::string Take();

  private:
    std::vector<std::string> pending_;  // the last argument first
};

}  // namespace pelmo
