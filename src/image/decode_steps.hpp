// The decoding child's steps that more than one decoder takes
// (image/decode_picture.cpp, image/decode_pages.cpp).
#pragma once

#include <cstdint>

#include "image/isolated_decode.hpp"
#include "image/picture_header.hpp"
#include "image/picture_input.hpp"

namespace pelmo {

// What DecodePicture checks before the library decodes anything: the
// header's facts, the pixel limits, a file long enough for its pixels and the
// memory its bitmaps need within `budget`; with `request.confine`, the child
// is then limited to what the header justifies. False, with `refusal` set,
// for a picture to refuse.
bool CheckBeforeDecoding(const DecodeRequest& request, PictureInput& input, PictureFacts& facts,
                         std::uint64_t budget, DecodeResult& refusal);

// Limits the child to the processor time that decoding `pixels` pixels
// justifies and to `memory` bytes for the decoder and its bitmaps, besides
// the program itself.
void ConfineDecoder(std::uint64_t pixels, std::uint64_t memory);

}  // namespace pelmo
