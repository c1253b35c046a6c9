#include "codec/codec_table.hpp"

#include "base/ascii.hpp"
#include "codec/compress.hpp"
#include "codec/compress_bit2xp.hpp"
#include "codec/compress_bnp.hpp"
#include "codec/compress_frle.hpp"
#include "codec/compress_rle.hpp"
#include "codec/compress_srle.hpp"

namespace pelmo {

namespace {
template <typename Codec>
std::unique_ptr<CPelmoImgCompress> Make(const ImgOptions& options) {
    return std::make_unique<Codec>(options);
}

constexpr std::array<CodecInfo, kCodecCount> kTable = {{
    {ImgCodecKind::Raw, "raw", "tablecode_raw.asm", Make<CPelmoImgCompress>,
     CPelmoImgCompress::Decode},
    {ImgCodecKind::Rle, "rle", "tablecode_rle.asm", Make<CPelmoImgCompress_RLE>,
     CPelmoImgCompress_RLE::Decode},
    {ImgCodecKind::Srle, "srle", "tablecode_srle.asm", Make<CPelmoImgCompress_sRLE>,
     CPelmoImgCompress_sRLE::Decode},
    {ImgCodecKind::Frle, "frle", "tablecode_frle.asm", Make<CPelmoImgCompress_fRLE>,
     CPelmoImgCompress_fRLE::Decode},
    {ImgCodecKind::Bnp, "bnp", "tablecode_bnp.asm", Make<CPelmoImgCompress_BNP>,
     CPelmoImgCompress_BNP::Decode},
    {ImgCodecKind::Bit2xp, "bit2xp", "tablecode_bit2xp.asm", Make<CPelmoImgCompress_Bit2xP>,
     CPelmoImgCompress_Bit2xP::Decode},
}};

// CodecFor indexes the table by kind, and the parser tests keywords in table
// order, which must be the order of the kinds. (A row that leaves out a
// function is a -Wmissing-field-initializers warning; comparing function
// addresses here is no constant expression under UBSan.)
constexpr bool RowsInKindOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable[i].kind) != i) return false;
    }
    return true;
}
static_assert(RowsInKindOrder(), "codec table rows must follow ImgCodecKind");

}  // namespace

const std::array<CodecInfo, kCodecCount>& CodecTable() {
    return kTable;
}

const CodecInfo& CodecFor(ImgCodecKind kind) {
    return CodecTable()[static_cast<std::size_t>(kind)];
}

const CodecInfo* FindCodec(std::string_view keyword) {
    for (const CodecInfo& codec : kTable) {
        if (EqualsIgnoreCase(keyword, codec.keyword)) return &codec;
    }
    return nullptr;
}

const CodecInfo* FindCodecByInclude(std::string_view fileName) {
    for (const CodecInfo& codec : kTable) {
        if (EqualsIgnoreCase(fileName, codec.includeFile)) return &codec;
    }
    return nullptr;
}

std::unique_ptr<CPelmoImgCompress> MakeCodec(ImgCodecKind kind, const ImgOptions& options) {
    return CodecFor(kind).make(options);
}

}  // namespace pelmo
