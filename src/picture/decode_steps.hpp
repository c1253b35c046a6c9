// The decoding child's steps that more than one decoder takes
// (picture/decode_picture.cpp, picture/decode_pages.cpp).
#pragma once

#include <cstdint>

#include "picture/isolated_decode.hpp"
#include "picture/formats/facts.hpp"
#include "picture/picture_input.hpp"

namespace pelmo {

// A picture of `count` pixels: more than sizes can count (TooLarge), over
// the pixel limit (OverLimit), or Ok.
DecodeStatus CountRefusal(std::uint64_t count, const DecodeRequest& request);

// With `request.confine`, limits the child to what decoding `pixels` pixels
// may cost in processor time (and tells the parent) and memory, besides the
// decoder's own and what a stream buffers.
// `extraSeconds` more of processor time for work beyond decoding (the replay
// of a GIF's frames).
void LimitCost(const DecodeRequest& request, std::uint64_t pixels, std::uint64_t decoderMemory,
               std::uint64_t buffered, const ChildReply& reply, std::uint64_t extraSeconds = 0);

// How far into a stream its headers may lie: past what comes before the
// pixels of the largest picture allowed, at eight bytes a pixel.
std::uint64_t HeaderReach(std::uint64_t maxPixels);

// The refusals that a picture's size alone decides: a height that is no
// multiple of 8 (without -pad), and more pixels than allowed (with the rows
// -pad adds); Ok otherwise, with the plane's size.
DecodeResult SizeRefusal(std::uint32_t width, std::uint32_t height, const DecodeRequest& request);

// True when the decoded bitmap keeps an alpha channel: RGBA of 8 or 16 bits
// a component, or floating point. (A palette's table of transparent entries
// is no alpha channel: the library makes one up for grey TIFFs.)
bool KeepsAlpha(FIBITMAP* bitmap);

}  // namespace pelmo
