// The decoding child's last step: a decoded picture's rows read as bits,
// packed into blocks and sent to the parent (see isolated_decode.hpp).
#pragma once

#include <FreeImage.h>

#include <cstdint>

#include "base/img_options.hpp"
#include "picture/bitmap.hpp"
#include "picture/isolated_decode.hpp"
#include "plane/frames.hpp"
#include "tones/bitmap_rows.hpp"
#include "tones/stray_pixels.hpp"

namespace pelmo {

// What opacity does to the planes that `options` choose: all that counts
// for a mask alone, tone planes cut where it is low beside a mask or with
// -alpha, nothing otherwise.
AlphaRule AlphaRuleOf(const ImgOptions& options);

// Where a block's planes come from: the picture's pixels, as `alpha` says,
// or for a picture without opacity (`opaque`) as an opaque one's, whatever
// the library made up: its opacity plane (-mask, and the mask of -plusmask)
// lit everywhere.
struct PlaneSources {
    AlphaRule alpha = AlphaRule::Ignore;
    bool opaque = false;

    // The rule the pixels are read with.
    AlphaRule Rule() const { return opaque ? AlphaRule::Ignore : alpha; }
    // False when no plane needs a pixel: the mask alone of an opaque
    // picture.
    bool ReadsPixels(const ImgOptions& options) const;
};

// The bitmap whose pixels BitmapRows reads with `rule`: `loaded` itself
// where it can be read directly, else its 32-bit copy, which `converted`
// then holds; null when the conversion fails. A 16-bit grey bitmap is its
// 8-bit conversion, read as such (and held in `converted` too).
FIBITMAP* ReadablePixels(FIBITMAP* loaded, AlphaRule rule, Bitmap& converted);

// Packs every block of the planes (PlaneSet) of the `width` columns of
// `pixels` (from ReadablePixels; null when `sources` read none), its rows in
// the bands that `cut` says, and sends them in batches: for each block the
// bytes of each plane in turn (a tone plane as -alpha gives it beside a
// mask, a mask as -mask gives it). False when the parent stopped listening. With
// -tones, `strays` are then the pixels that are none of its colours.
bool SendBlocks(FIBITMAP* pixels, std::uint32_t width, const ImgOptions& options,
                const PlaneSources& sources, const SheetCut& cut, const ChildReply& reply,
                StrayPixels& strays);

}  // namespace pelmo
