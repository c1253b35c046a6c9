// The picture file, opened once and read through the image library.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/bitmap.hpp"

namespace pelmo {

// Opens the picture once. A file that can seek is read from where it lies,
// as often as the decoders ask; anything else (a FIFO, a character device)
// is read whole into memory first, so that it can be read again without a
// second open, which could wait for ever.
//
// Some decoders ignore short reads at the end of a damaged file and go on
// with whatever their buffer held; the part a short read leaves unset is
// zeroed (up to 64 KiB a read), so such a file always decodes the same way,
// and never from memory that nobody wrote.
class PictureInput {
  public:
    PictureInput() = default;
    PictureInput(const PictureInput&) = delete;
    PictureInput& operator=(const PictureInput&) = delete;

    // False when the file cannot be opened or read.
    bool Open(const std::string& fileName);

    // Decodes the picture from its start with `format` and `flags`; null when
    // the decoder gives no bitmap.
    Bitmap Load(FREE_IMAGE_FORMAT format, int flags);

    // Where the decoders' reads go: the file, or the bytes held.
    struct Memory {
        std::vector<std::uint8_t> bytes;
        std::size_t position = 0;
    };

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::unique_ptr<std::FILE, FileCloser> file_;
    Memory memory_;
};

}  // namespace pelmo
