// What a picture file's header declares, read before any decoder of the image
// library sees the file: whether the bytes can start a picture of the type
// its extension names, the picture's size, how large a whole file must be at
// least, how much of a stream it could need at most, and the decoder's own
// working memory. With these a file that could only fail (or succeed from
// data it does not hold) is refused at the cost of reading its header.
#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace pelmo {

// Random access to the file's bytes, wherever they come from.
class ByteReader {
  public:
    virtual ~ByteReader() = default;
    // Copies up to `size` bytes from `offset` on into `data`; fewer at the end
    // of the file (or past what may be read of a stream).
    virtual std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) = 0;
};

struct PictureFacts {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
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
};

enum class HeaderVerdict {
    Picture,     // `facts` filled
    NotAPicture  // the bytes cannot start a picture of this type, or end in its header
};

// Reads the header of a picture of `format` from `file`.
HeaderVerdict ReadPictureHeader(FREE_IMAGE_FORMAT format, ByteReader& file, PictureFacts& facts);

// True when the `fileSize` bytes of `file` can hold the picture that `facts`
// describe: at least `leastSize` of them, and, for the formats whose decoder
// reads ahead and goes on from zeros at the end (run-length PCX and TGA), a
// stream of runs that covers every pixel, and for an ICO, its whole first
// image.
bool HoldsItsPixels(FREE_IMAGE_FORMAT format, ByteReader& file, const PictureFacts& facts,
                    std::uint64_t fileSize);

}  // namespace pelmo
