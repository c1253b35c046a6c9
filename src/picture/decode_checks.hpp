// The decoding child's checks of a document's size and cost, and the limits
// it is held to (picture/decode_document.cpp).
#pragma once

#include <FreeImage.h>

#include <cstdint>

#include "picture/formats/facts.hpp"
#include "picture/isolated_decode.hpp"
#include "tones/bitmap_rows.hpp"

namespace pelmo {

// A picture of `count` pixels: more than sizes can count (TooLarge), over
// the pixel limit (OverLimit), or Ok.
DecodeStatus CountRefusal(std::uint64_t count, const DecodeRequest& request);

// The refusals that a picture's size alone decides: a sheet that is no whole
// number of frames, a height that is no multiple of 8 (without -pad), and
// more pixels than allowed (with the rows -pad adds); Ok otherwise, with the
// plane's size.
DecodeResult SizeRefusal(std::uint32_t width, std::uint32_t height, const DecodeRequest& request);

// What decoding a document may cost: the pixels its decoders and the
// drawing of its frames go through, the most pixels held at once, the
// largest decoder's own memory, and what a stream's buffer may hold.
struct DecodeCost {
    std::uint64_t pixels = 0;
    std::uint64_t held = 0;
    std::uint64_t decoderMemory = 0;
    std::uint64_t buffered = 0;
};

// With `request.confine`, holds the child to what `cost` justifies in
// processor time from now on (and tells the parent) and in memory. TooLarge
// when that memory is more than the machine has; Ok otherwise.
DecodeStatus LimitCost(const DecodeRequest& request, const DecodeCost& cost,
                       const ChildReply& reply);

// What is left of `budget` for new allocations: under an address-space
// limit, what the process has mapped so far (its libraries) counts too.
std::uint64_t AvailableMemory(std::uint64_t budget);

// The bitmaps a picture with this header needs: as decoded, the 8-bit copy
// of 16-bit grey, the 32-bit copy where the pixels cannot be read directly,
// and the plane.
std::uint64_t BitmapsNeeded(FIBITMAP* header, AlphaRule alpha);

// True when the decoded bitmap keeps an alpha channel: RGBA of 8 or 16 bits
// a component, or floating point. (A palette's table of transparent entries
// is no alpha channel: the library makes one up for grey TIFFs.)
bool KeepsAlpha(FIBITMAP* bitmap);

}  // namespace pelmo
