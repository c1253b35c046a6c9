// How a source spells what the writer puts in it: an assembler's
// directives, a C header's definitions, or the bytes alone. The writer
// decides the names, the pages and what the console says; the syntax, chosen
// once when the file is opened, only writes them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/asm_stream.hpp"
#include "base/img_options.hpp"

namespace pelmo {

// One stream's entry in a frame's line of the frame table: its data label,
// and its size symbol where the codec's streams need their sizes told.
struct TableEntry {
    std::string label;
    std::string size;  // empty for none
};

class SourceSyntax {
  public:
    virtual ~SourceSyntax() = default;

    // The header comment with the version text, the codec comment and the
    // planes comment where they are not empty, and what opens the source.
    virtual void Head(std::string_view codec, std::string_view planes) = 0;
    // One symbol definition.
    virtual void Symbol(std::string_view name, std::int32_t value) = 0;
    // `count` bytes under `label`, after `code`: a lookup stub or a decoder's
    // include line, which only an assembler source holds (empty for none).
    virtual void Block(std::string_view label, std::string_view code, const std::uint8_t* bytes,
                       std::int32_t count) = 0;
    // The frame table under `label`: a line for each frame, naming what its
    // entries hold.
    virtual void Table(std::string_view label,
                       const std::vector<std::vector<TableEntry>>& frames) = 0;
    // Numbers under `label`, `perLine` to a line: words (up to 65535) when
    // `words`, else bytes; a tile map, a font's offsets.
    virtual void Values(std::string_view label, std::span<const std::uint32_t> values, bool words,
                        std::size_t perLine) = 0;
    // What closes the source.
    virtual void Tail() {}
};

// The syntax of `options.format`, writing to `file`, which is opened to
// write `path` (a C header's include guard is named after it).
std::unique_ptr<SourceSyntax> MakeSourceSyntax(const ImgOptions& options, std::string_view path,
                                               AsmStream& file);

// The include guard of a C header written to `path`: its file name in upper
// case, each character but letters and digits an underscore, and an
// underscore before a leading digit ("out/hero.h" is HERO_H).
std::string IncludeGuard(std::string_view path);

}  // namespace pelmo
