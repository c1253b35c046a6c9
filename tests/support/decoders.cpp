#include "support/decoders.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <stdexcept>

#include "app/raw_data.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "codec/compress_bnp.hpp"

namespace pelmo::test {

Bytes FromHex(std::string_view text) {
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw std::invalid_argument("not a hex digit in byte string");
    };
    Bytes bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) throw std::invalid_argument("odd number of hex digits");
        bytes.push_back(static_cast<std::uint8_t>(digit(text[i]) * 16 + digit(text[i + 1])));
        i += 2;
    }
    return bytes;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
    }
    return text;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

DecodeResult Decode(ImgCodecKind kind, std::span<const std::uint8_t> stream, std::uint32_t packets,
                    std::int32_t flag) {
    return CodecFor(kind).decode({stream, packets, flag, std::numeric_limits<std::size_t>::max()});
}

EncodeResult Encode(ImgCodecKind kind, std::span<const std::uint8_t> data, std::int32_t start) {
    const ImgOptions options;
    ImgRawData raw(options);
    raw.buffer.assign(data.begin(), data.end());
    raw.length = static_cast<std::int32_t>(data.size());
    raw.start = start;
    const std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(kind, options);

    EncodeResult result;
    result.ok = codec->Compress(raw);
    result.size = codec->size;
    result.packets = codec->packets;
    result.start = codec->start;
    // A size beyond the buffer is itself a fault; copy what exists so the
    // caller's size check reports it.
    const auto copied =
        std::min(codec->buffer.size(), static_cast<std::size_t>(std::max(codec->size, 0)));
    result.stream.assign(codec->buffer.begin(),
                         codec->buffer.begin() + static_cast<std::ptrdiff_t>(copied));
    if (const auto* bnp = dynamic_cast<const CPelmoImgCompress_BNP*>(codec.get())) {
        result.flag = bnp->flag;
    }
    return result;
}

}  // namespace pelmo::test
