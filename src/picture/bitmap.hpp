// A bitmap of the image library, released when it goes.
#pragma once

#include <FreeImage.h>

#include <memory>

namespace pelmo {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

}  // namespace pelmo
