#include "support/decoders.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "codec/compress_bnp.hpp"
#include "image/raw_data.hpp"

namespace pelmo::test {

namespace {

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

DecodeResult Fail(std::size_t offset, const std::string& what) {
    DecodeResult result;
    result.error = "at byte " + std::to_string(offset) + ": " + what;
    return result;
}

DecodeResult Done(std::vector<std::uint8_t> bytes, std::size_t consumed) {
    DecodeResult result;
    result.bytes = std::move(bytes);
    result.consumed = consumed;
    return result;
}

std::string Item(const char* kind, std::int32_t index) {
    return std::string(kind) + " " + std::to_string(index);
}

}  // namespace

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
        text += Hex(b).substr(2);
    }
    return text;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

DecodeResult DecodeRaw(std::span<const std::uint8_t> stream, std::int32_t packets) {
    if (packets != 0) return Fail(0, "raw data has no packets, got " + std::to_string(packets));
    return Done({stream.begin(), stream.end()}, stream.size());
}

DecodeResult DecodeRle(std::span<const std::uint8_t> stream, std::int32_t packets) {
    if (packets < 0) return Fail(0, "negative packet count " + std::to_string(packets));
    std::vector<std::uint8_t> out;
    std::size_t pos = 0;
    for (std::int32_t k = 0; k < packets; ++k) {
        if (pos >= stream.size()) return Fail(pos, Item("pair", k) + ": count byte missing");
        const std::uint8_t count = stream[pos];
        if (count == 0) return Fail(pos, Item("pair", k) + ": count 0");
        if (pos + 1 >= stream.size()) {
            return Fail(pos + 1, Item("pair", k) + ": value byte missing");
        }
        out.insert(out.end(), count, stream[pos + 1]);
        pos += 2;
    }
    return Done(std::move(out), pos);
}

DecodeResult DecodeSrle(std::span<const std::uint8_t> stream, std::int32_t packets) {
    if (packets < 0) return Fail(0, "negative packet count " + std::to_string(packets));
    std::vector<std::uint8_t> out;
    std::size_t pos = 0;
    for (std::int32_t k = 0; k < packets; ++k) {
        if (pos >= stream.size()) return Fail(pos, Item("token", k) + ": stream ends");
        const std::uint8_t v = stream[pos];
        // A byte equal to its successor opens a run; the last byte is a single.
        if (pos + 1 < stream.size() && stream[pos + 1] == v) {
            if (pos + 2 >= stream.size()) {
                return Fail(pos + 2, Item("token", k) + ": run count missing");
            }
            const std::uint8_t count = stream[pos + 2];
            if (count < 2) {
                return Fail(pos + 2,
                            Item("token", k) + ": run count " + std::to_string(count) + " below 2");
            }
            out.insert(out.end(), count, v);
            pos += 3;
        } else {
            out.push_back(v);
            pos += 1;
        }
    }
    return Done(std::move(out), pos);
}

DecodeResult DecodeFrle(std::span<const std::uint8_t> stream, std::int32_t packets) {
    if (packets < 0) return Fail(0, "negative packet count " + std::to_string(packets));
    if (stream.empty()) return Fail(0, "flag byte missing");
    const std::uint8_t flag = stream[0];
    if (flag == 0x00 || flag == 0xFF) return Fail(0, "flag byte " + Hex(flag) + " not in 1..254");
    std::vector<std::uint8_t> out;
    std::size_t pos = 1;
    for (std::int32_t k = 0; k < packets; ++k) {
        if (pos >= stream.size()) return Fail(pos, Item("token", k) + ": stream ends");
        if (stream[pos] != flag) {
            out.push_back(stream[pos]);
            pos += 1;
            continue;
        }
        if (pos + 1 >= stream.size()) {
            return Fail(pos + 1, Item("token", k) + ": run count missing");
        }
        if (pos + 2 >= stream.size()) {
            return Fail(pos + 2, Item("token", k) + ": run value missing");
        }
        const std::uint8_t count = stream[pos + 1];
        const std::uint8_t value = stream[pos + 2];
        if (count < 3) {
            return Fail(pos + 1,
                        Item("token", k) + ": run count " + std::to_string(count) + " below 3");
        }
        if (value == flag) return Fail(pos + 2, Item("token", k) + ": run value is the flag");
        out.insert(out.end(), count, value);
        pos += 3;
    }
    return Done(std::move(out), pos);
}

DecodeResult DecodeBnp(std::span<const std::uint8_t> stream, std::int32_t packets,
                       std::int32_t flag) {
    if (packets < 0) return Fail(0, "negative packet count " + std::to_string(packets));
    if (flag < 1 || flag > 254) return Fail(0, "flag " + std::to_string(flag) + " not in 1..254");
    std::vector<std::uint8_t> out;
    std::size_t pos = 0;
    std::int32_t runs = 0;
    unsigned nextCode = 0;         // high nibble of the last nibble byte
    std::size_t nibbleOffset = 0;  // where that nibble byte sits
    for (std::int32_t k = 0; k < packets; ++k) {
        if (pos >= stream.size()) return Fail(pos, Item("item", k) + ": stream ends");
        const std::uint8_t b = stream[pos++];
        if (b != flag) {
            out.push_back(b);
            continue;
        }
        unsigned code = nextCode;
        if (runs % 2 == 0) {
            if (pos >= stream.size()) return Fail(pos, Item("item", k) + ": nibble byte missing");
            nibbleOffset = pos;
            code = stream[pos] & 0x0Fu;
            nextCode = stream[pos] >> 4;
            ++pos;
        }
        ++runs;
        out.insert(out.end(), code / 2 + 2, (code & 1u) != 0 ? 0x00 : 0xFF);
    }
    if (runs % 2 == 1 && nextCode != 0) {
        return Fail(nibbleOffset, "last run has no partner but the high nibble is " +
                                      std::to_string(nextCode) + ", not 0");
    }
    return Done(std::move(out), pos);
}

DecodeResult DecodeBit2xp(std::span<const std::uint8_t> stream, std::int32_t packets) {
    if (packets < 0) return Fail(0, "negative packet count " + std::to_string(packets));
    const std::size_t total = stream.size() * 8;
    auto bit = [&](std::size_t p) { return (stream[p / 8] >> (p % 8)) & 1u; };
    std::vector<std::uint8_t> out;
    std::size_t p = 0;
    for (std::int32_t k = 0; k < packets; ++k) {
        if (p + 1 > total) return Fail(p / 8, Item("code", k) + ": stream ends");
        if (bit(p) == 1) {
            out.push_back(0xFF);
            p += 1;
            continue;
        }
        if (p + 2 > total) return Fail(p / 8, Item("code", k) + ": stream ends in its prefix");
        if (bit(p + 1) == 1) {
            out.push_back(0x00);
            p += 2;
            continue;
        }
        if (p + 10 > total) return Fail(p / 8, Item("code", k) + ": literal cut short");
        unsigned v = 0;
        for (unsigned i = 0; i < 8; ++i) v |= bit(p + 2 + i) << i;
        out.push_back(static_cast<std::uint8_t>(v));
        p += 10;
    }
    const std::size_t consumed = (p + 7) / 8;
    for (std::size_t q = p; q < consumed * 8; ++q) {
        if (bit(q) != 0)
            return Fail(q / 8, "bit " + std::to_string(q % 8) + " after the last code is 1");
    }
    return Done(std::move(out), consumed);
}

DecodeResult Decode(ImgCodecKind kind, std::span<const std::uint8_t> stream, std::int32_t packets,
                    std::int32_t flag) {
    switch (kind) {
        case ImgCodecKind::Raw:
            return DecodeRaw(stream, packets);
        case ImgCodecKind::Rle:
            return DecodeRle(stream, packets);
        case ImgCodecKind::Srle:
            return DecodeSrle(stream, packets);
        case ImgCodecKind::Frle:
            return DecodeFrle(stream, packets);
        case ImgCodecKind::Bnp:
            return DecodeBnp(stream, packets, flag);
        case ImgCodecKind::Bit2xp:
            return DecodeBit2xp(stream, packets);
    }
    return Fail(0, "unknown codec " + std::to_string(static_cast<int>(kind)));
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
    result.capacity = codec->buffer.size();
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
