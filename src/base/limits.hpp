// Every bound on what an input may cost, in one place, each with the reason
// for its value. Cost arithmetic on these goes through base/cost.hpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelmo {

// ---- Pictures

// Sizes are 32-bit signed: no picture may have more pixels than this.
inline constexpr std::uint64_t kMostPixels = INT32_MAX;
// The pixel limit that -maxpixels moves (up to kMostPixels): 16384 x 16384.
// A picture above it is refused from its header, so that a few bytes
// claiming a huge picture cost no more than reading them.
inline constexpr std::uint64_t kDefaultPixelLimit = std::uint64_t{1} << 28;
// The most pages (frames, directories, images) of one file -frames all
// reads: far more than any animation or icon has; a file of more is refused.
inline constexpr std::size_t kMostPages = 65536;

// The most distinct tiles of -tiles: a cell of the map is a .dw word, which
// numbers no more (a set of more would not fit the target's memory anyway).
inline constexpr std::size_t kMostTiles = 65536;

// ---- Walking the headers: the decoding child's first phase, bounded from
// its first instruction, whatever the file.

// Processor seconds for the image library's start and the walk of every
// header of a file (well under a second for any file the walk allows).
inline constexpr std::uint64_t kHeaderSeconds = 2;
// Address space for that phase beyond what the program maps at its start:
// a stream's first kStreamHeaderReach bytes while its buffer grows (old and
// new at once), and the walk's own lists.
inline constexpr std::uint64_t kHeaderMemory = std::uint64_t{192} << 20;
// What the walk of all of a file's headers may read, each read counting at
// least kHeaderReadCost bytes: a 65,536-page TIFF's directories and strip
// lists need a few MiB, a GIF of 2^28 pixels of noise a few tens.
inline constexpr std::uint64_t kHeaderReadBytes = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kHeaderReadCost = 16;
// How far into a stream (a pipe, /dev/stdin) its headers may lie: it must be
// held in memory to be read there. A file is read where its headers lie.
inline constexpr std::uint64_t kStreamHeaderReach = std::uint64_t{64} << 20;
// How far markers and extension blocks may run before a JPEG's frame header
// or a GIF's first image.
inline constexpr std::uint64_t kPreambleBytes = std::uint64_t{16} << 20;
// Entries of a TIFF directory read: the decoder knows about a hundred tags.
inline constexpr std::uint64_t kMostDirectoryEntries = 4096;
// Strips (or tiles) of a TIFF page read: a page of more is held to what its
// file's bytes can stand for instead (the TIFF decoder itself takes no more
// than a million without being told otherwise).
inline constexpr std::uint64_t kMostStrips = std::uint64_t{1} << 20;
// Room for what a header may put before the pixels and after them
// (profiles, comments, thumbnails, layers) when bounding what a stream
// could need.
inline constexpr std::uint64_t kHeaderSlack = std::uint64_t{16} << 20;

// ---- Decoding: the child's second phase, bounded by what the headers
// declare.

// Processor seconds for any picture, and one more for every so many pixels:
// the slowest honest pictures measured (16384 x 16384, a 48-bit interlaced
// PNG and a progressive JPEG) decode in 9 and 5 seconds; this allows 28.
inline constexpr std::uint64_t kDecodeSeconds = 6;
inline constexpr std::uint64_t kPixelsPerSecond = 12'000'000;
// Each page of a document costs the processor time of at least this many
// pixels, whatever its size: the library's own work for every page it reads
// (a GIF frame's decoder alone clears its tables, about 60 microseconds).
inline constexpr std::uint64_t kPagePixels = 4096;
// Memory a decoded pixel may take: as decoded (up to 8 bytes, 16-bit RGBA)
// and its 32-bit copy.
inline constexpr std::uint64_t kBytesPerPixel = 12;
// Room for the program itself beside the bitmaps and the decoder's memory.
inline constexpr std::uint64_t kProgramMemory = std::uint64_t{256} << 20;
// What a stream's buffer may hold for each pixel declared: no format needs
// more bytes a pixel than 16-bit RGBA stored as it is.
inline constexpr std::uint64_t kStreamBytesPerPixel = 8;
// How much of a stream a header that cannot tell what its bytes hold may
// have read: its bytes are what its decoder is held to.
inline constexpr std::uint64_t kUnsureStreamBytes = std::uint64_t{32} << 20;
// Pictures of no more pixels than this are small: their bitmaps fit in the
// program's room, and decoding them costs less than the library's second
// reading of their header.
inline constexpr std::uint64_t kSmallPicture = std::uint64_t{1} << 20;
// The most a short read of a damaged file is zeroed past what was read: a
// decoder's buffer for one read (a damaged header can make a decoder ask for
// far more than the buffer it reads into).
inline constexpr std::size_t kMostZeroed = std::size_t{64} << 10;

// ---- The renderer's sources.

// The longest line of a source read: the converter writes lines of 16 bytes,
// and a file of one endless line costs no more than reading this many.
inline constexpr std::size_t kLongestSourceLine = 4096;
// The most text a frame's symbols and label take, names of the longest
// included: a source may go on no longer than its size symbol and this.
inline constexpr std::uint64_t kFrameText = 8 << 10;
// The largest -zoom: a picture's side 16 times over stays well within the
// pixel limit's reach for any source worth enlarging.
inline constexpr std::int32_t kMostZoom = 16;

// ---- Option files (an argument "@FILE" of either program).

// The most bytes an option file may hold: a whole command line of either
// program takes a few hundred, and a picture or a log named by mistake costs
// no more than reading this many.
inline constexpr std::size_t kMostOptionFileBytes = std::size_t{1} << 20;
// The most words an option file may hold: a thousand times what a command
// line of these programs needs, and few enough that holding them as strings
// takes a few MiB.
inline constexpr std::size_t kMostOptionFileWords = 65536;

// ---- Fonts (-font)
// Character codes are bytes: a font's glyphs run from its first code to 255
// at most.
inline constexpr std::uint32_t kLastCharacterCode = 255;
// A glyph's width is one .db value of the width table.
inline constexpr std::uint32_t kMostGlyphWidth = 255;
// The offset table's values are .dw words, the end of the glyph data too.
inline constexpr std::uint32_t kMostGlyphBytes = 65535;
// The most text of a font source the renderer reads into memory (-text): its
// glyph data written as .db lines, the tables and the symbols take well
// under 1 MiB; the rest is room for comments and editors' changes.
inline constexpr std::size_t kMostFontText = std::size_t{16} << 20;

// The wall time the converter waits for a decoder whose processor budget is
// `seconds`: room for a machine busy with other work.
constexpr std::uint64_t DecodeDeadline(std::uint64_t seconds) {
    return 2 * seconds + 5;
}

}  // namespace pelmo
