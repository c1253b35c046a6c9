// A C header that the converter wrote (-format c), read line for line as the
// assembler source of the same conversion: each of its lines stands for one
// of the source's, so that what the source reader says of a line is said of
// the header's.
#pragma once

#include <string>
#include <string_view>

namespace pelmo {

// The blanks of a source line, assembler or C (spaces, tabs, the carriage
// return of a line that ends in CRLF), and a text without them at its ends.
constexpr bool IsSourceBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
std::string_view TrimSourceBlanks(std::string_view text);

// A source whose first line but blank ones opens a C comment is a C header.
bool StartsCHeader(std::string_view line);

// The assembler line that the header's `line` stands for, in `out` (or
// `line` itself, which the reader then finds wrong):
//   a comment alone            "/* planes: full */"       "; planes: full"
//   a symbol                   "#define IMG_SIZE 0x20"    ".equ IMG_SIZE 0x20"
//   a label of no bytes        "#define img_data ((...)0)" "img_data:"
//   an array of bytes or of    "static const unsigned char img_data[] = {"
//   addresses                                              "img_data:"
//   a line of bytes            "0x12,0x34,"               ".db 0x12,0x34"
//   a line of the frame table  "{img0_data, IMG_0_SIZE}," ".dw img0_data, IMG_0_SIZE"
//   the include guard, the end of an array, the sizes' array and other
//   preprocessor lines         ""
// Comments after code are dropped.
std::string_view CLineAsAsm(std::string_view line, std::string& out);

}  // namespace pelmo
