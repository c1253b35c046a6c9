// The body of the codec fuzz targets; each target is a one-line entry point
// (fuzz_codec_entry.cpp.in) that names its codec.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/options.hpp"

namespace pelmo::fuzz {

int FuzzCodec(ImgCodecKind kind, const std::uint8_t* data, std::size_t size);

}  // namespace pelmo::fuzz
