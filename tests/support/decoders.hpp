// Reference decoders for the six codec byte formats, written from the format
// descriptions in docs/formats.md rather than from the encoders, plus a small
// helper that runs an encoder on a byte string. Used by the round-trip tests
// and meant for fuzz targets: a decoder never reads outside the span it is
// given and reports a malformed stream as an error instead of guessing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.hpp"

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

struct DecodeResult {
    std::vector<std::uint8_t> bytes;  // the packed bytes given back
    std::size_t consumed = 0;         // stream bytes read, from the front
    std::string error;                // empty on success

    bool ok() const { return error.empty(); }
};

// Raw: the stream is the packed data itself; `packets` must be 0.
DecodeResult DecodeRaw(std::span<const std::uint8_t> stream, std::int32_t packets);
// RLE: `packets` pairs of count (1..255) and value.
DecodeResult DecodeRle(std::span<const std::uint8_t> stream, std::int32_t packets);
// sRLE: `packets` tokens, a single v or a run v v n (n 2..255).
DecodeResult DecodeSrle(std::span<const std::uint8_t> stream, std::int32_t packets);
// Flag-RLE: the flag byte, then `packets` tokens, a literal or a run F n v.
DecodeResult DecodeFrle(std::span<const std::uint8_t> stream, std::int32_t packets);
// Blinky Nibble Packer: `packets` items, literals and run markers (`flag`),
// with a nibble byte after every even-numbered marker.
DecodeResult DecodeBnp(std::span<const std::uint8_t> stream, std::int32_t packets,
                       std::int32_t flag);
// Bit2-Xpressor: `packets` prefix codes read from bit 0 of byte 0 upwards;
// the bits after the last code in its byte must be 0.
DecodeResult DecodeBit2xp(std::span<const std::uint8_t> stream, std::int32_t packets);

// Dispatches on `kind`; `flag` is read only for the Blinky Nibble Packer.
DecodeResult Decode(ImgCodecKind kind, std::span<const std::uint8_t> stream, std::int32_t packets,
                    std::int32_t flag = -1);

// What one codec object produced for a byte string.
struct EncodeResult {
    bool ok = false;                   // the result of Compress
    std::vector<std::uint8_t> stream;  // the first `size` bytes of `buffer`
    std::size_t capacity = 0;          // the size of the codec's whole buffer
    std::int32_t size = 0;
    std::int32_t packets = 0;
    std::int32_t start = 0;
    std::int32_t flag = -1;  // the Blinky Nibble Packer's flag, else -1
};

// Packs `data` into an ImgRawData (length = data.size(), the given start
// count) and runs the codec of `kind` on it through the base class.
EncodeResult Encode(ImgCodecKind kind, std::span<const std::uint8_t> data, std::int32_t start = 0);

}  // namespace pelmo::test
