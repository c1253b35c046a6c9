// How large a picture may be.
#pragma once

#include <cstdint>

namespace pelmo {

// Sizes are 32-bit signed: no picture may have more pixels than this.
inline constexpr std::uint64_t kMostPixels = INT32_MAX;

// The pixel limit that -maxpixels raises (up to kMostPixels) or lowers:
// 16384 x 16384. A picture above it is refused from its header, so that a
// few bytes claiming a huge picture cost no more than reading them.
inline constexpr std::uint64_t kDefaultPixelLimit = std::uint64_t{1} << 28;

}  // namespace pelmo
