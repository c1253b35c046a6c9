#pragma once

#include <cstdint>

#include "codec/compress.hpp"

namespace pelmo {

// Runs of 2 to 9 bytes of 0x00 or 0xFF become the flag byte plus a 4-bit run
// code, two codes to a nibble byte; every other byte is a literal.
class CPelmoImgCompress_BNP : public CPelmoImgCompress {
  public:
    // The run marker chosen by the last Compress (1 to 254), or -1 when every
    // candidate value occurs in the data.
    std::int32_t flag = -1;

    explicit CPelmoImgCompress_BNP(const ImgOptions& opts)
        : CPelmoImgCompress(opts, ImgCodecKind::Bnp) {}
    bool Compress(const RawBytes& raw) override;
    bool CanCompress(const RawBytes& raw) const override;
    static Expected<DecodedStream> Decode(const EncodedStream& in);
    // The base symbols, then the flag symbol, then the data.
    bool WriteOutput(SourceSink& writer) override;
    Made Outcome() const override { return {start, size, packets, flag}; }
    void Resume(const Made& made, const std::uint8_t* bytes) override {
        CPelmoImgCompress::Resume(made, bytes);
        flag = made.flag;
    }
};

}  // namespace pelmo
