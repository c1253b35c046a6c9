#pragma once

#include "codec/compress.hpp"

namespace pelmo {

// A leading flag byte absent from the data; runs of 3 or more as flag,
// count, value; everything else literal.
class CPelmoImgCompress_fRLE : public CPelmoImgCompress {
  public:
    explicit CPelmoImgCompress_fRLE(const ImgOptions& opts)
        : CPelmoImgCompress(opts, ImgCodecKind::Frle) {}
    bool Compress(const RawBytes& raw) override;
    bool CanCompress(const RawBytes& raw) const override;
    static Expected<DecodedStream> Decode(const EncodedStream& in);
};

}  // namespace pelmo
