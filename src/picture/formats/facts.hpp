// What a picture file's headers declare, read before any decoder of the
// image library sees the file: whether the bytes can start a picture of the
// type its extension names, the picture's size, how large a whole file must
// be at least, how much of a stream it could need at most, the decoder's own
// working memory; and, for a file of several pages, where each page lies.
//
// The library decides what a picture is. A header is refused here only where
// the library would fail on it or read past the end of the file: a fetch of
// the bytes a field needs that finds the file's end, bytes the library
// rejects, a file shorter than the least the pixels need at the most their
// compression achieves. Where a reader cannot establish a fact (an unknown
// compression, say), it refuses nothing, and the decoder is allowed only the
// cost that the file's own size can honestly stand for.
#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "base/failure.hpp"
#include "picture/formats/splice.hpp"

namespace pelmo {

// What a header says of the picture's opacity.
enum class Opacity {
    AsDecoded,  // nothing: what the decoded bitmap holds, if anything, counts
    Declared,   // an alpha channel (which the library may drop)
    None,       // none at all: any opacity the library makes up is not the picture's
};

// Variants of a format that the image library reads without failing but
// gives the wrong pixels for: refused, with the variant named, once the
// library has read them.
enum class Misread {
    None,
    IndexedPsd,        // its colour table is ignored: the indices read as grey
    UncompressedPcx,   // 8 bits, one plane, no run-length coding
    Tga15BitMap,       // a colour map of 15-bit entries
    TgaTrueColourMap,  // 24- or 32-bit pixels after a colour map: read from the map on
    IcoShortPalette,   // a BMP entry with fewer colours than its depth: read as if it had all
    PlanarPcxWidth,    // 16 colours in four planes, a width no multiple of 8: the last pixels
};

struct PictureFacts {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // True when every fact here was read from the fields that state it: the
    // size is the picture's and the least size a bound the file must meet.
    // False when a reader could not establish one (a variant whose
    // compression it does not know): nothing is refused for these facts, and
    // the decoder may spend only what `pixelsPerByte` times the file's size
    // stands for.
    bool sure = true;
    // A file shorter than this cannot hold the pixels the header declares:
    // exactly the pixel data where it is stored as it is, a bound from the
    // most the format's compression can achieve elsewhere.
    std::uint64_t leastSize = 0;
    // The most bytes a picture of this header could fill, generously: no more
    // of a stream is read.
    std::uint64_t mostSize = std::numeric_limits<std::uint64_t>::max();
    // Memory the decoder needs besides the bitmap it returns (a progressive
    // JPEG's coefficients, a TIFF strip, a PSD's channels...).
    std::uint64_t decoderMemory = 0;
    // The most pixels one byte of such a file can stand for, at the best its
    // compression achieves; what an unsure header is held to.
    std::uint64_t pixelsPerByte = 8;
    Opacity opacity = Opacity::AsDecoded;
    Misread misread = Misread::None;
    // Where the picture's own header lies (a GIF's image descriptor, an
    // ICO's image, a TIFF's directory).
    std::uint64_t at = 0;

    std::uint64_t Pixels() const { return std::uint64_t{width} * height; }
};

// One page of a file: the splice through which the library reads it as the
// file's one picture, and what its header declares (its offsets are the
// splice's).
struct Page {
    Splice splice;
    PictureFacts facts;
    // A frame shown on a screen that is cleared to the background colour
    // once shown, whatever its decoded frame says (a GIF frame without
    // graphic control, as the library's playback shows it).
    bool clearedOnceShown = false;
};

// The pages of a file, as -frames all reads them: the frames of a GIF, the
// pages of a TIFF, the images of an ICO; the one picture of any other file,
// and the first picture of any file without -frames all.
struct Document {
    std::vector<Page> pages;
    // A GIF's frames are shown drawn one over the other on its screen, of
    // this size (0 x 0 for other files), first filled with the background
    // colour: the global colour table's entry `background`, if it has one.
    bool onScreen = false;
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    std::uint8_t background[3] = {0, 0, 0};  // red, green, blue
    bool hasBackground = false;
};

// Reads the header of the first picture of a file of `format`.
Expected<PictureFacts> ReadPictureHeader(FREE_IMAGE_FORMAT format, ByteReader& file);

// Reads the pages of a file of `format`, each page's header on its splice:
// every page with `allPages` (up to the first that cannot be read, and at
// most kMostPages + 1), else the first picture alone, the whole file. A
// failure when the first cannot start a picture.
Expected<Document> ReadDocument(FREE_IMAGE_FORMAT format, ByteReader& file, bool allPages);

// True when the `size` bytes of `file` can hold the picture that `facts`
// describe: at least `leastSize` of them (when the facts are sure), and, for
// the formats whose decoder goes on from nothing at the end of its data
// without a word (run-length PCX and TGA, and a GIF's LZW codes), data that
// covers every pixel.
bool HoldsItsPixels(FREE_IMAGE_FORMAT format, ByteReader& file, const PictureFacts& facts,
                    std::uint64_t size);

// The pixels a decoder of this file may be allowed for: those declared, or,
// when the facts are unsure, no more than the file's bytes can stand for.
std::uint64_t PixelsSupported(const PictureFacts& facts, std::uint64_t fileSize);

// The reads of a walk of headers, within kHeaderReadBytes: each read counts
// at least kHeaderReadCost bytes, and once the budget is spent every read
// finds nothing, as at the end of the file; Exhausted() then tells a walk
// that stopped for its cost from one that found the file's end.
class HeaderReads final : public ByteReader {
  public:
    explicit HeaderReads(ByteReader& file) : file_(file) {}
    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override;
    std::uint64_t Size(std::uint64_t atLeast) override { return file_.Size(atLeast); }
    bool Exhausted() const { return exhausted_; }

  private:
    ByteReader& file_;
    std::uint64_t spent_ = 0;
    bool exhausted_ = false;
};

}  // namespace pelmo
