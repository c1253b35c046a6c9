// Writes the source: header, symbols, labels, page stubs and data, spelt as
// -format asks (see source_syntax.hpp).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "asm/asm_stream.hpp"
#include "asm/source_format.hpp"
#include "asm/source_syntax.hpp"
#include "base/img_options.hpp"
#include "codec/source_sink.hpp"

namespace pelmo {

class ImgAsmWriter final : public SourceSink {
  public:
    ImgOptions options;
    AsmStream file;

    explicit ImgAsmWriter(const ImgOptions& opts) : options(opts) {}
    // A writer given up before Close() leaves no partly written file behind,
    // and an existing file as it was.
    ~ImgAsmWriter();
    ImgAsmWriter(const ImgAsmWriter&) = delete;
    ImgAsmWriter& operator=(const ImgAsmWriter&) = delete;

    // The codec that -c best chose, named in a comment after the header
    // comment; set before Open.
    void SetCodecComment(std::string_view keyword) { codecComment_ = keyword; }
    // The planes of -planes, named in a comment after those; set before Open.
    void SetPlanesComment(std::string text) { planesComment_ = std::move(text); }

    // Prepares to replace `path` and writes the header comment. On failure
    // prints "Error, couldn't open ..." (or the line of the check in
    // `settings` that refused it) and returns false.
    bool Open(const std::string& path, const OutputFile::Settings& settings = {});
    // Closes the file and puts it in place. False, after printing "Error,
    // couldn't write ..." (or the check's line), when any write failed or the
    // check refused what the name leads to now; the file named is then as it
    // was before Open.
    bool Close();

    // The picture's size, which -dims writes as two more symbols before the
    // data.
    void SetPictureSize(std::int32_t width, std::int32_t height) {
        width_ = width;
        height_ = height;
    }

    // A source of frames: the frame count and, with -dims, the frame's size
    // (set by SetPictureSize), before the frames.
    void WriteFramesHead(std::int32_t frames);
    // The symbols and labels that follow are frame `frame`'s: the symbol
    // prefix and "_<frame>" ("IMG_3_SIZE"), the label prefix and the number
    // ("img3_data"; "_3_data" with an empty label prefix, so that no label
    // starts with a digit).
    void SetFrame(std::int32_t frame);
    // The symbols and labels that follow are those of plane `plane` (of the
    // frame, if any): "_FULL" after the symbols' prefix (and the frame's
    // number), "_full" before the label's `ldata`; none for the usual names.
    void SetPlane(std::optional<PlaneKind> plane);
    // The first label of the last data block ("img3_full_data", or
    // "img3_full_data_0" when it was paged) and the name of its size symbol.
    const std::string& DataLabel() const { return dataLabel_; }
    std::string SizeSymbol() const;
    // The frame table: under the label prefix and "_frames", one line for
    // each frame in `frames`, each naming what its entries hold.
    void WriteFrameTable(const std::vector<std::vector<TableEntry>>& frames);

    // A source of tiles: the tile count, a tile's size and the map's size in
    // tiles, with -dims the picture's size (set by SetPictureSize); the
    // stream that follows is the tile set's ("IMG_TILES_SIZE", "img_tiles").
    struct TilesHead {
        std::int32_t count = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t mapWidth = 0;
        std::int32_t mapHeight = 0;
    };
    void WriteTilesHead(const TilesHead& head);
    // The map, after the tile set: under the label prefix and "_map", the
    // number of each cell's tile, as words when `words`, else as bytes.
    void WriteMap(std::span<const std::uint32_t> cells, const TilesHead& head, bool words);

    // A font's head: its symbols (the first code, the glyph count and
    // `height`), the width table and the offset table, with one line on
    // standard output; the data written next is the glyphs', labelled so.
    void WriteFontHead(std::uint32_t first, std::int32_t height,
                       const std::vector<std::uint8_t>& widths,
                       const std::vector<std::uint32_t>& offsets);

    // One symbol definition, and its "Symbol ..." line on standard output.
    void WriteSymbol(SymbolKind kind, std::int32_t value) override;
    // The data block under its label(s), paged by the table-code mode; in
    // Include mode `codec` writes its include line after the label.
    void WriteData(const std::uint8_t* bytes, std::int32_t count,
                   const CPelmoImgCompress& codec) override;

  private:
    // A console line, gathered with the others of a stream: the frames of a
    // sheet say thousands of them, handed to standard output at once.
    void Say(std::initializer_list<std::string_view> parts);
    void SayAll();
    // A symbol named `name` in full.
    void WriteNamedSymbol(std::string_view name, std::int32_t value);
    // The current stream's symbol prefix, appended to `to`; its label before `ldata`.
    void AppendStreamPrefix(std::string& to) const;
    std::string StreamLabel() const;

    std::string path_;
    std::unique_ptr<SourceSyntax> syntax_;  // chosen by Open
    std::string codecComment_;              // empty for none
    std::string planesComment_;             // empty for none
    std::string framePrefix_;               // of the current frame's symbols, after SetFrame
    std::string frameLabel_;                // of its label, before `ldata`
    std::optional<PlaneKind> plane_;
    std::string dataLabel_;
    std::string said_;
    std::string symbolName_;  // the name WriteSymbol builds, kept for its room  // console lines
                              // not yet handed to standard output
    bool inFrames_ = false;
    bool inTiles_ = false;
    bool glyphs_ = false;       // the data is a font's glyphs
    bool included_ = false;     // the include line is written once a source
    bool dimsWritten_ = false;  // and so is a picture's size
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

}  // namespace pelmo
