// The decoding child's last step: a decoded picture's rows read as bits,
// packed into blocks and sent to the parent (see isolated_decode.hpp).
#pragma once

#include <FreeImage.h>

#include "base/img_options.hpp"
#include "image/bitmap.hpp"
#include "image/bitmap_rows.hpp"
#include "image/frames.hpp"
#include "image/isolated_decode.hpp"

namespace pelmo {

// What opacity does to the plane that `options` choose.
AlphaRule AlphaRuleOf(const ImgOptions& options);

// The bitmap whose pixels BitmapRows reads for `options`: `loaded` itself
// where it can be read directly, else its 32-bit copy, which `converted`
// then holds; null when the conversion fails.
FIBITMAP* ReadablePixels(FIBITMAP* loaded, const ImgOptions& options, Bitmap& converted);

// Packs every block of the plane of `pixels` (from ReadablePixels), its rows
// in the bands that `cut` says, and sends them in batches: for each block
// its bytes, and with -plusmask the sprite's bytes (the tone plane, as
// -alpha gives it) then the mask's (the opacity plane, as -mask gives it).
// False when the parent stopped listening.
bool SendBlocks(FIBITMAP* pixels, const ImgOptions& options, const SheetCut& cut,
                const ChildReply& reply);

}  // namespace pelmo
