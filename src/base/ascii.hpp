// Locale-independent ASCII helpers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pelmo {

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsAsciiAlnum(char c) {
    return IsAsciiDigit(c) || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z');
}

// Whole-string comparison that ignores the case of ASCII letters only.
constexpr bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// A whole number from `least` to 2^31 - 1 written in decimal digits alone,
// or nothing.
constexpr std::optional<std::int32_t> DecimalNumber(std::string_view text, std::int32_t least) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < least || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A size "WxH" (or "WXH"), each a whole number from 1 to 2^31 - 1 written in
// decimal digits alone, or nothing.
struct Size2D {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
constexpr std::optional<Size2D> SizeNumbers(std::string_view text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = DecimalNumber(text.substr(0, x), 1);
    const auto height = DecimalNumber(text.substr(x + 1), 1);
    if (!width || !height) return std::nullopt;
    return Size2D{*width, *height};
}

}  // namespace pelmo
