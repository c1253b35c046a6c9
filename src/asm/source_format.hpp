// The fixed texts of a source, which the writer writes and the reader expects
// back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/img_options.hpp"

namespace pelmo {

// The header comment, before the version text, and an empty line after it.
inline constexpr std::string_view kHeaderPrefix = "\t; Created by ";

// With -c best, the line after the header comment names the codec chosen:
// "\t; codec: bnp", the -c keyword.
inline constexpr std::string_view kCodecCommentPrefix = "\t; codec: ";

// With -planes the line after the header comment (and the codec comment)
// names the planes in their order: "\t; planes: full,dim,mask", and
// " interleaved" after them with -interleave.
inline constexpr std::string_view kPlanesCommentPrefix = "\t; planes: ";
inline constexpr std::string_view kInterleavedSuffix = " interleaved";

// A plane's name in -planes and in the planes comment; "_full" in its
// labels, "_FULL" in its symbols (after the frame's number).
constexpr std::string_view PlaneName(PlaneKind kind) {
    return kind == PlaneKind::Full ? "full" : kind == PlaneKind::Dim ? "dim" : "mask";
}
constexpr std::string_view PlaneSymbol(PlaneKind kind) {
    return kind == PlaneKind::Full ? "_FULL" : kind == PlaneKind::Dim ? "_DIM" : "_MASK";
}

// With -ftable, the frames' table follows them under the label prefix and
// this; each frame's line names its data labels (and sizes).
inline constexpr std::string_view kFrameTableSuffix = "_frames";
inline constexpr std::string_view kDwPrefix = "\t.dw ";

// The names of -dims's two symbols end so, after the symbol prefix.
inline constexpr std::string_view kWidthSuffix = "_WIDTH";
inline constexpr std::string_view kHeightSuffix = "_HEIGHT";
// A source of frames (-frames) begins with the frame count, so named; frame
// k's own symbols take "_k" after the symbol prefix.
inline constexpr std::string_view kFramesSuffix = "_FRAMES";

// A source of tiles (-tiles) begins with the tile count, a tile's size and
// the map's size in tiles, named so after the symbol prefix; then the tile
// set, one stream under the symbol prefix and "_TILES" ("IMG_TILES_SIZE"),
// labelled with the label prefix and "_tiles"; then the map under the label
// prefix and "_map": a tile number for every cell in reading order, as
// ".db" items while every number fits a byte, ".dw" items past that.
inline constexpr std::string_view kTileCountSuffix = "_TILE_COUNT";
inline constexpr std::string_view kTileWidthSuffix = "_TILE_WIDTH";
inline constexpr std::string_view kTileHeightSuffix = "_TILE_HEIGHT";
inline constexpr std::string_view kMapWidthSuffix = "_MAP_WIDTH";
inline constexpr std::string_view kMapHeightSuffix = "_MAP_HEIGHT";
inline constexpr std::string_view kTilesSymbol = "_TILES";
inline constexpr std::string_view kTilesLabel = "_tiles";
inline constexpr std::string_view kMapLabel = "_map";
inline constexpr std::size_t kMostByteTiles = 256;
// A font (-font) begins with its first character code, its glyph count and
// its height (kHeightSuffix), so named after the symbol prefix; then under
// the label prefix and these its width table (.db), its offset table (.dw,
// each glyph's offset into the glyph data and the data's end) and its glyph
// data.
inline constexpr std::string_view kFirstSuffix = "_FIRST";
inline constexpr std::string_view kGlyphsSuffix = "_GLYPHS";
inline constexpr std::string_view kWidthsSuffix = "_widths";
inline constexpr std::string_view kOffsetsSuffix = "_offsets";
inline constexpr std::string_view kGlyphDataSuffix = "_glyphs";

// A data line starts so; its items are "$XX", comma-separated.
inline constexpr std::string_view kDbPrefix = "\t.db ";

// A C header (-format c) spells the same: its symbols "#define NAME 0x1F",
// each label an array of bytes, the frame table an array of their addresses
// and, where the codec needs the sizes told, an array of the sizes after it.
// A stream of no bytes has no array: its label is defined as a null pointer.
inline constexpr std::string_view kCDefine = "#define ";
inline constexpr std::string_view kCBytesArray = "static const unsigned char ";
inline constexpr std::string_view kCWordsArray = "static const unsigned short ";
inline constexpr std::string_view kCAddressArray = "static const unsigned char *const ";
inline constexpr std::string_view kCSizesArray = "static const unsigned long ";
inline constexpr std::string_view kCSizesSuffix = "_sizes";
inline constexpr std::string_view kCNoBytes = "((const unsigned char *)0)";

// The lookup stubs that follow each page label in -tc image and -tc data
// modes, whole lines each.
inline constexpr std::string_view kImageStub = "\tmovp\ta, @a\n\tret\n\t.db 0,0,0,0\n";
inline constexpr std::string_view kDataStub = "\tadd\ta, ($+4) & 255\n\tmovp\ta, @a\n\tret\n";

constexpr std::string_view StubOf(TableCodeMode mode) {
    return mode == TableCodeMode::Image  ? kImageStub
           : mode == TableCodeMode::Data ? kDataStub
                                         : std::string_view();
}

// In -tc image mode a page's data starts after the stub's six bytes, and the
// start symbol counts them too.
inline constexpr std::int32_t kImageStartOffset = 6;

// Bytes of data per page in each table-code mode but Include, which never pages.
constexpr std::int32_t PageSize(TableCodeMode mode) {
    return mode == TableCodeMode::Image  ? 256 - kImageStartOffset
           : mode == TableCodeMode::Data ? 252
                                         : 256;
}

}  // namespace pelmo
