// Turning a codec's stream back into the packed bytes it was made from. Each
// codec's decoder sits beside its encoder and is reached through the codec
// table (codec/codec_table.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pelmo {

// A stream as a source file defines it.
struct EncodedStream {
    std::span<const std::uint8_t> bytes;  // the whole stream: the size symbol's bytes
    std::uint32_t packets = 0;            // the packets symbol
    std::int32_t flag = -1;               // the flag symbol, Blinky Nibble Packer only
    std::size_t limit = 0;                // the most bytes the result may hold
};

struct DecodedStream {
    std::vector<std::uint8_t> bytes;  // the packed bytes given back
    std::size_t consumed = 0;         // stream bytes the packets took, from the front
    std::string error;                // why the stream cannot be decoded; empty when it can
    std::size_t errorOffset = 0;      // the stream byte at fault, or kAtSymbols

    // The fault lies in the symbols (a packet count or flag that no stream
    // of the codec can have), not in a stream byte.
    static constexpr std::size_t kAtSymbols = static_cast<std::size_t>(-1);

    bool ok() const { return error.empty(); }
};

// A decoder reads `packets` packets and nothing beyond `bytes`; the bytes after
// the last packet are left for the caller to judge (`consumed`). A malformed
// stream (a packet cut short, a count out of range, a result above `limit`)
// gives an error and no bytes.
using DecodeFunction = DecodedStream (*)(const EncodedStream&);

namespace decode {

// The refusal of a stream at byte `offset`.
inline DecodedStream Fail(std::size_t offset, std::string why) {
    DecodedStream result;
    result.error = std::move(why);
    result.errorOffset = offset;
    return result;
}

// Reasons name packets from 1: "packet 12 has count 0".
inline std::string Packet(std::uint32_t index) {
    return "packet " + std::to_string(std::uint64_t{index} + 1);
}

inline std::string EndsIn(std::uint32_t index) {
    return "the stream ends inside " + Packet(index);
}

inline std::string TooLong(std::size_t limit) {
    return "the stream decodes to more than " + std::to_string(limit) + " bytes";
}

// Appends `count` bytes `value` to `out`; false, appending nothing, when that
// would take it past `limit` bytes.
inline bool AppendRun(DecodedStream& out, std::size_t count, std::uint8_t value,
                      std::size_t limit) {
    if (count > limit - out.bytes.size()) return false;
    out.bytes.insert(out.bytes.end(), count, value);
    return true;
}

}  // namespace decode

}  // namespace pelmo
