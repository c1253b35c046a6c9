#pragma once

#include "codec/compress.hpp"

namespace pelmo {

// A bit stream: 1 for 0xFF, 01 for 0x00, 00 and eight bits (least
// significant first) for any other byte; bytes fill from bit 0 up.
class CPelmoImgCompress_Bit2xP : public CPelmoImgCompress {
  public:
    explicit CPelmoImgCompress_Bit2xP(const ImgOptions& opts)
        : CPelmoImgCompress(opts, ImgCodecKind::Bit2xp) {}
    bool Compress(const RawBytes& raw) override;
    static Expected<DecodedStream> Decode(const EncodedStream& in);
};

}  // namespace pelmo
