// An 8-bit greyscale picture held by the image library, and its encoding as
// a file's bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "image/unpack.hpp"

struct FIBITMAP;
struct FIMEMORY;

namespace pelmo {

enum class PictureFormat { Png, Bmp, Tga, Tiff };

// The format that a file name's extension names, ignoring case: .png, .bmp,
// .tga, .tif or .tiff; nothing for any other.
std::optional<PictureFormat> PictureFormatOf(std::string_view fileName);

class GreyPicture {
  public:
    // A black `width` × `height` picture; false when memory runs out.
    bool Allocate(std::int32_t width, std::int32_t height);
    // Its pixels, top row first.
    PixelRows Rows() const;
    // Encodes the picture in memory (PNG at the fastest compression level);
    // false when the library fails. The bytes stay until the next Encode.
    bool Encode(PictureFormat format);
    std::span<const std::uint8_t> Encoded() const;

  private:
    struct FreeBitmap {
        void operator()(FIBITMAP* bitmap) const;
    };
    struct CloseMemory {
        void operator()(FIMEMORY* memory) const;
    };
    std::unique_ptr<FIBITMAP, FreeBitmap> bitmap_;
    std::unique_ptr<FIMEMORY, CloseMemory> encoded_;
};

}  // namespace pelmo
