// The image library reading a picture through a splice of the file: the
// file itself for a single picture, or one page of a file of several, which
// the library then reads as the file's one picture.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <utility>

#include "picture/bitmap.hpp"
#include "picture/formats/format_rules.hpp"
#include "picture/formats/splice.hpp"

namespace pelmo {

class LibraryReading {
  public:
    LibraryReading(ByteReader& file, Splice splice) : bytes_(file, std::move(splice)) {}
    LibraryReading(const LibraryReading&) = delete;
    LibraryReading& operator=(const LibraryReading&) = delete;

    // Decodes the picture with `format` and `flags`; null when the decoder
    // gives no bitmap.
    Bitmap Load(FREE_IMAGE_FORMAT format, int flags);

    // The pages the library finds in the bytes, read as a file of several;
    // 0 when it cannot read them so.
    int PageCount(FREE_IMAGE_FORMAT format);

    // True when the last Load found the end of its bytes before its decoder
    // had all it needed, as the format's decoder shows it (`end`): the
    // decoders of some formats go on from zeros and hand back a bitmap, which
    // is then not the picture.
    bool EndedEarly(DataEnd end) const;

  private:
    // The library's reading callbacks; the handle is the reading itself.
    static unsigned DLL_CALLCONV Read(void* buffer, unsigned size, unsigned count,
                                      fi_handle handle);
    static int DLL_CALLCONV Seek(fi_handle handle, long offset, int origin);
    static long DLL_CALLCONV Tell(fi_handle handle);

    SplicedBytes bytes_;
    std::uint64_t position_ = 0;  // the decoder's place in the bytes
    bool shortRead_ = false;      // a read got fewer bytes than it asked for
};

}  // namespace pelmo
