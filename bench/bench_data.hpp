// Inputs for the in-process benchmarks: the synthetic artwork's packed bytes,
// and packed data of the worst shapes for the encoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/raw_data.hpp"

namespace pelmo::bench {

// Size of the packed data the encoders and the writer are measured on.
inline constexpr std::size_t kPackedBytes = std::size_t{8} << 20;
// The artwork picture whose packed default plane is kPackedBytes long.
inline constexpr std::int32_t kArtworkSide = 8192;

enum class Shape {
    Artwork,    // the artwork's packed default plane
    Distinct,   // every byte differs from the one before (0xFE never occurs)
    ShortRuns,  // runs of 1 to 12 bytes of 0x00 or 0xFF
    Zeros,      // one long run of 0x00
};
inline constexpr Shape kShapes[] = {Shape::Artwork, Shape::Distinct, Shape::ShortRuns,
                                    Shape::Zeros};
const char* ShapeName(Shape shape);

// kPackedBytes of packed data of the given shape (built once, then shared).
const ImgRawData& PackedData(Shape shape);

}  // namespace pelmo::bench
