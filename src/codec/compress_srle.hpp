#pragma once

#include "codec/compress.hpp"

namespace pelmo {

// Single bytes as themselves; a run as its value twice and its length.
class CPelmoImgCompress_sRLE : public CPelmoImgCompress {
  public:
    explicit CPelmoImgCompress_sRLE(const ImgOptions& opts)
        : CPelmoImgCompress(opts, ImgCodecKind::Srle) {}
    bool Compress(const RawBytes& raw) override;
    static Expected<DecodedStream> Decode(const EncodedStream& in);
};

}  // namespace pelmo
