// GoogleTest checks shared by the codec tests: one worked example, and one
// full round trip through the product's decoders with every size promise of
// the codec's format.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "support/decoders.hpp"

namespace pelmo::test {

inline constexpr std::array<ImgCodecKind, 6> kAllCodecs = {
    ImgCodecKind::Raw,  ImgCodecKind::Rle, ImgCodecKind::Srle,
    ImgCodecKind::Frle, ImgCodecKind::Bnp, ImgCodecKind::Bit2xp};

std::string CodecName(ImgCodecKind kind);

// The flag byte that data must get: the highest value from 1 to 254 that does
// not occur in it, or -1 when every one of them occurs.
int ExpectedFlag(std::span<const std::uint8_t> data);

// The largest output the format allows for L input bytes.
std::size_t SizeBound(ImgCodecKind kind, std::size_t length);

// Output size and packet count of the greedy tokenisation, worked out from
// the data's maximal runs of equal bytes.
struct Counts {
    std::int64_t size = 0;
    std::int64_t packets = 0;
};
Counts ExpectedCounts(ImgCodecKind kind, std::span<const std::uint8_t> data);

// `input` encodes to exactly `expectedHex` (see ToHex) with `packets`, and
// the stream decodes back to `input`.
::testing::AssertionResult EncodesTo(ImgCodecKind kind, const Bytes& input,
                                     std::string_view expectedHex, std::int32_t packets);

// Encodes `input` (start count 7) and checks: Compress fails exactly when a
// flagged codec finds no flag; otherwise start passes through, size stays
// within the bound and matches the greedy counts, the flagged codecs pick the
// highest free value, and the stream decodes to `input` through the product's
// decoder consuming exactly `size` bytes.
::testing::AssertionResult RoundTrips(ImgCodecKind kind, const Bytes& input);

}  // namespace pelmo::test
