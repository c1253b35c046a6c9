// An 8-bit greyscale picture held by the image library, and its encoding as
// a file's bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "picture/bitmap.hpp"
#include "picture/picture_formats.hpp"
#include "plane/unpack.hpp"

namespace pelmo {

// The encoder that the extension of `fileName` names, whatever its letter
// case; FIF_UNKNOWN for any other extension.
FREE_IMAGE_FORMAT WritableFormatOf(std::string_view fileName);

class GreyPicture {
  public:
    // A `width` × `height` picture, whose pixels are to be painted; false
    // when memory runs out.
    bool Allocate(std::int32_t width, std::int32_t height);
    // Its pixels, top row first.
    PixelRows Rows() const;
    // Encodes the picture in memory (PNG at the fastest compression level);
    // false when the library fails. The bytes stay until the next Encode.
    bool Encode(FREE_IMAGE_FORMAT format);
    std::span<const std::uint8_t> Encoded() const;

  private:
    struct CloseMemory {
        void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
    };
    Bitmap bitmap_;
    std::unique_ptr<FIMEMORY, CloseMemory> encoded_;
};

}  // namespace pelmo
