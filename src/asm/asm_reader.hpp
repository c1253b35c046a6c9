// Reads back an assembler source that the converter wrote: the symbols, the
// table-code mode, the include line and the stream of .db bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"

namespace pelmo {

// A symbol's value and the source line (from 1) that defines it.
struct SourceValue {
    std::uint32_t value = 0;
    std::size_t line = 0;
};

struct AsmSource {
    SourceValue size;     // bytes of stream
    SourceValue packets;  // the codec's packet count
    SourceValue start;    // blank bytes cut from the front (the 6 of -tc image taken off)
    std::optional<SourceValue> flag;           // the fourth symbol, which only bnp writes
    TableCodeMode mode = TableCodeMode::None;  // told by what follows the first label
    std::optional<ImgCodecKind> includeCodec;  // the codec the include line names
    std::size_t labelLine = 0;                 // the line of the first label
    std::size_t lastLine = 0;                  // the line count of the text
    std::vector<std::uint8_t> stream;          // the .db bytes of every page, in order

    // The line that holds stream byte `offset`; the last line for an offset
    // at or past the end of the stream.
    std::size_t LineOf(std::size_t offset) const;

    // Where each .db line's bytes begin in `stream`, and its line number.
    std::vector<std::size_t> dbOffsets;
    std::vector<std::size_t> dbLines;
};

// What is wrong with a source, and on which line (from 1).
struct SourceError {
    std::size_t line = 0;
    std::string what;
};

// Reads the whole text of a source. False, with `error` set, when the text
// is not laid out as the converter writes it: the header, an empty line, the
// size, packets and start symbols (and a flag symbol) defined alike with
// .equ or .set, the data label, then the include line or each page's lookup
// stub, and .db lines of "$XX" items; every page but the last one full, and
// as many bytes in all as the size symbol says.
bool ReadAsmSource(std::string_view text, AsmSource& source, SourceError& error);

}  // namespace pelmo
