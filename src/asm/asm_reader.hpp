// Reads back an assembler source that the converter wrote, as an assembler
// would read it: the symbols, the table-code mode, the include line and the
// stream of .db bytes, whatever the line ends, indentation, comments, letter
// case and number forms that editors and people have given it since.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.hpp"
#include "base/img_options.hpp"
#include "base/limits.hpp"

namespace pelmo {

// The lines of a source, from a file read as it goes or from text in
// memory, none longer than kLongestSourceLine characters: a file of one
// endless line costs no more than reading that many. The lines of a C header
// are given as the assembler lines they stand for.
class SourceLines {
  public:
    explicit SourceLines(std::string_view text) : text_(text) {}
    explicit SourceLines(std::FILE* file) : file_(file), block_(std::size_t{1} << 16) {}

    enum class Got { Line, End, TooLong, ReadError };
    // The next line without its "\n" or "\r\n", valid until the next call.
    Got Next(std::string_view& line);
    std::size_t number() const { return number_; }  // of the line last given, from 1
    std::uint64_t bytes() const { return bytes_; }  // read so far

  private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::FILE* file_ = nullptr;
    std::vector<char> block_;  // read from the file, given out from `at_` to `end_`
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    std::string buffer_;
    // A C header (-format c) is read as the assembler source it stands for
    // (see c_lines.hpp), as its first line but blank ones tells.
    bool dialectKnown_ = false;
    bool cHeader_ = false;
    std::string translated_;
    std::size_t number_ = 0;
    std::uint64_t bytes_ = 0;
};

// A symbol's value and the source line (from 1) that defines it.
struct SourceValue {
    std::uint32_t value = 0;
    std::size_t line = 0;
};

// The head of a font (-font): its first character code, glyph count and
// height, each glyph's width and its offset into the glyph data (and the
// data's end, last).
struct FontHead {
    SourceValue first;
    SourceValue glyphs;
    SourceValue height;
    std::vector<std::uint8_t> widths;
    std::vector<std::uint32_t> offsets;
};

struct AsmSource {
    SourceValue size;     // bytes of stream
    SourceValue packets;  // the codec's packet count
    SourceValue start;    // blank bytes cut from the front (the 6 of -tc image taken off)
    std::optional<SourceValue> flag;           // the fourth symbol, which only bnp writes
    std::optional<SourceValue> width;          // <vprefix>_WIDTH, which -dims writes
    std::optional<SourceValue> height;         // <vprefix>_HEIGHT, after it
    TableCodeMode mode = TableCodeMode::None;  // told by what follows the first label
    std::optional<ImgCodecKind> includeCodec;  // the codec the include line names
    // The codec a comment "; codec: NAME" names before the first symbol (as
    // -c best writes it), and its line.
    std::optional<ImgCodecKind> commentCodec;
    std::size_t commentLine = 0;
    // The planes a comment "; planes: full,dim,mask" names (as -planes
    // writes it), and whether they are interleaved in one stream; each of
    // them otherwise is a stream of its own in each frame (or picture).
    std::vector<PlaneKind> commentPlanes;
    bool interleaved = false;
    std::size_t planesLine = 0;
    std::size_t labelLine = 0;         // the line of the first label
    std::size_t lastLine = 0;          // the line count of the text
    std::vector<std::uint8_t> stream;  // the .db bytes of every page, in order
    // A source of frames (-frames): the frame count, and each frame as a
    // source of its own (its symbols, mode, label and data); `width` and
    // `height` are then the frame's, and the fields above but `lastLine` are
    // frame 0's symbols only. A source of planes each a stream of its own
    // holds each frame's planes (or the picture's) so, in their order.
    std::optional<SourceValue> frameCount;
    std::vector<AsmSource> frames;
    // A source of tiles (-tiles): the tile count, a tile's size and the
    // map's size in tiles (`width` and `height` are then the picture's, of
    // -dims), the tile set being the stream above; and the map, a tile
    // number for every cell in reading order.
    struct Tiles {
        SourceValue count;
        SourceValue width;
        SourceValue height;
        SourceValue mapWidth;
        SourceValue mapHeight;
        std::vector<std::uint32_t> map;
        std::size_t mapLine = 0;  // the line of the map's label
    };
    std::optional<Tiles> tiles;
    // The streams of each frame (or of the picture): its planes when each is
    // a stream of its own, else one.
    std::size_t StreamsPerFrame() const {
        return interleaved || commentPlanes.empty() ? 1 : commentPlanes.size();
    }

    // The line that holds stream byte `offset`; the last line for an offset
    // at or past the end of the stream.
    std::size_t LineOf(std::size_t offset) const;

    // A font's head, read by ReadFontSource; its glyph data is the stream.
    std::optional<FontHead> font;

    // Where each .db line's bytes begin in `stream`, and its line number.
    std::vector<std::size_t> dbOffsets;
    std::vector<std::size_t> dbLines;
};

// The most stream bytes a source of a picture of at most `maxPixels` pixels
// can hold: no codec's output is more than twice the packed bytes and one.
constexpr std::uint64_t MostStreamBytes(std::uint64_t maxPixels) {
    return maxPixels / 8 * 2 + 1;
}

// Reads a source. A Failure, with the line at fault (from 1) as its place,
// when it is not laid out as the converter writes it: the header comment
// first, the size, packets and start symbols (and a flag symbol) defined with
// .equ or .set, the data label, then the include line or each page's lookup
// stub, and .db lines; every page but the last one full, and as many bytes in
// all as the size symbol says, which may not be more than
// MostStreamBytes(maxPixels). Blank lines, comments, indentation, CRLF line
// ends, either letter case and "$FF", "0xFF" or "255" are all welcome.
Expected<AsmSource> ReadAsmSource(SourceLines& lines, std::uint64_t maxPixels);
// A font as -font writes it: its three symbols, its width table (.db) and
// offset table (.dw) under their labels, then its glyph data, read as a
// source of one picture is; the head checked against the glyph data's
// layout (each glyph whole columns of height / 8 bytes, no wider than its
// width).
Expected<AsmSource> ReadFontSource(std::string_view text, std::uint64_t maxPixels);
// The same for a whole text in memory, with the largest pixel limit.
Expected<AsmSource> ReadAsmSource(std::string_view text);

}  // namespace pelmo
