// Cost arithmetic: every sum and product of sizes, counts and bytes that an
// input can make as large as it likes goes through these, which stop at the
// largest value instead of wrapping, so that a cost too large to count reads
// as too large, never as small.
#pragma once

#include <cstdint>
#include <limits>

namespace pelmo::cost {

inline constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

constexpr std::uint64_t Mul(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > kMax / a ? kMax : a * b;
}
constexpr std::uint64_t Add(std::uint64_t a, std::uint64_t b) {
    return b > kMax - a ? kMax : a + b;
}
template <typename... More>
constexpr std::uint64_t Add(std::uint64_t a, std::uint64_t b, More... more) {
    return Add(Add(a, b), more...);
}
constexpr std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return a / b + (a % b != 0 ? 1 : 0);
}
// a * b / c without the product overflowing first (c > 0); the largest
// value when the quotient itself does not fit.
__extension__ using Wide = unsigned __int128;
constexpr std::uint64_t MulDiv(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    const Wide q = Wide{a} * b / c;
    return q > kMax ? kMax : static_cast<std::uint64_t>(q);
}

}  // namespace pelmo::cost
