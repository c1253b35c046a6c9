// One row per codec: its -c keyword, its decoder include file, how to make
// it and how to decode its stream. The parser, the driver and the include line all read this table,
// so a new codec is one row and one source unit.
#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "base/img_options.hpp"
#include "codec/decode.hpp"

namespace pelmo {

class CPelmoImgCompress;

struct CodecInfo {
    ImgCodecKind kind;
    std::string_view keyword;      // argument of -c, matched ignoring case
    std::string_view includeFile;  // decoder named in -tc include mode
    std::unique_ptr<CPelmoImgCompress> (*make)(const ImgOptions&);
    DecodeFunction decode;
};

inline constexpr std::size_t kCodecCount = 6;

// Rows in ImgCodecKind order, which is also the order keywords are tested in.
const std::array<CodecInfo, kCodecCount>& CodecTable();

const CodecInfo& CodecFor(ImgCodecKind kind);

// The codec whose -c keyword is `keyword`, whatever its letter case; null
// for none.
const CodecInfo* FindCodec(std::string_view keyword);

// The codec whose decoder include file is `fileName`, whatever its letter
// case; null for none.
const CodecInfo* FindCodecByInclude(std::string_view fileName);

std::unique_ptr<CPelmoImgCompress> MakeCodec(ImgCodecKind kind, const ImgOptions& options);

}  // namespace pelmo
