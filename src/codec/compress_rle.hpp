#pragma once

#include "codec/compress.hpp"

namespace pelmo {

// Pairs of a count (1 to 255) and a value.
class CPelmoImgCompress_RLE : public CPelmoImgCompress {
  public:
    explicit CPelmoImgCompress_RLE(const ImgOptions& opts)
        : CPelmoImgCompress(opts, ImgCodecKind::Rle) {}
    bool Compress(const RawBytes& raw) override;
    static Expected<DecodedStream> Decode(const EncodedStream& in);
};

}  // namespace pelmo
