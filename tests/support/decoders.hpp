// Byte strings in hexadecimal, and the codecs run both ways on them: an
// encoder on a byte string, the product's decoder on a stream. Used by the
// codec tests, the round trips and the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"
#include "codec/decode.hpp"

namespace pelmo::test {

using Bytes = std::vector<std::uint8_t>;

// "05 05 FF" <-> {0x05, 0x05, 0xFF}: two hex digits per byte, spaces ignored.
Bytes FromHex(std::string_view text);
std::string ToHex(std::span<const std::uint8_t> bytes);
// `count` copies of `value`, and byte strings put end to end.
inline Bytes Repeat(std::size_t count, std::uint8_t value) {
    return Bytes(count, value);
}
Bytes Join(std::initializer_list<Bytes> parts);

using DecodeResult = Expected<DecodedStream>;

// The product's decoder of `kind`, through the codec table, with no bound on
// the result; `flag` is read only by the Blinky Nibble Packer.
DecodeResult Decode(ImgCodecKind kind, std::span<const std::uint8_t> stream, std::uint32_t packets,
                    std::int32_t flag = -1);

// What one codec object produced for a byte string.
struct EncodeResult {
    bool ok = false;                   // the result of Compress
    std::vector<std::uint8_t> stream;  // the first `size` bytes of `buffer`
    std::int32_t size = 0;
    std::int32_t packets = 0;
    std::int32_t start = 0;
    std::int32_t flag = -1;  // the Blinky Nibble Packer's flag, else -1
};

// Packs `data` into an ImgRawData (length = data.size(), the given start
// count) and runs the codec of `kind` on it through the base class.
EncodeResult Encode(ImgCodecKind kind, std::span<const std::uint8_t> data, std::int32_t start = 0);

}  // namespace pelmo::test
