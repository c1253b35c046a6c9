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

#include "base/failure.hpp"

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
};

// A decoder reads `packets` packets and nothing beyond `bytes`; the bytes after
// the last packet are left for the caller to judge (`consumed`). A malformed
// stream (a packet cut short, a count out of range, a result above `limit`)
// gives a Failure instead: why, and at the stream byte at fault (or at
// decode::kAtSymbols).
using DecodeFunction = Expected<DecodedStream> (*)(const EncodedStream&);

namespace decode {

// Where a refusal lies when the fault is in the symbols (a packet count or
// flag that no stream of the codec can have), not in a stream byte.
inline constexpr std::uint64_t kAtSymbols = UINT64_MAX;

// The refusal of a stream at byte `offset`.
inline Failure Fail(std::uint64_t offset, std::string why) {
    return {std::move(why), offset};
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
