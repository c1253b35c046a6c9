// What a codec writes its output to: the seam between the codecs and the
// source writer, which stands above them and implements it.
#pragma once

#include <cstdint>
#include <string_view>

namespace pelmo {

class CPelmoImgCompress;

// The `kind` argument of WriteSymbol; each picks its suffix name. The
// picture's width and height (-dims) come after the codec's symbols.
// A source of frames (-frames) counts them first; a font (-font) begins
// with its first character code, its glyph count and its height.
enum class SymbolKind : int {
    Size = 0,
    Packets = 1,
    Start = 2,
    Flag = 3,
    Width = 4,
    Height = 5,
    Frames = 6,
    First = 7,
    Glyphs = 8
};

// The source text being written, as a codec's include line is added to it.
class TextStream {
  public:
    virtual void Write(std::string_view text) = 0;

  protected:
    ~TextStream() = default;
};

// The writer, as a codec's WriteOutput sees it.
class SourceSink {
  public:
    // One symbol definition.
    virtual void WriteSymbol(SymbolKind kind, std::int32_t value) = 0;
    // The data block under its label(s); in -tc include mode the writer calls
    // back `codec`'s WriteTableCode for the include line.
    virtual void WriteData(const std::uint8_t* bytes, std::int32_t count,
                           const CPelmoImgCompress& codec) = 0;

  protected:
    ~SourceSink() = default;
};

}  // namespace pelmo
