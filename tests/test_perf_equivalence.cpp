// The encoders scan several bytes at a time and write through lookup tables;
// here each is compared byte for byte with a plain one-byte-at-a-time
// encoder written straight from the format, on seeded random data (the seed
// is in the trace) of shapes that exercise every branch and word boundary.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "image/raw_data.hpp"

namespace pelmo {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encoded {
    Bytes bytes;
    std::int32_t packets = 0;
    bool ok = true;
    bool operator==(const Encoded&) const = default;
};

std::size_t Run(const Bytes& d, std::size_t i, std::size_t limit) {
    std::size_t n = 1;
    while (n < limit && i + n < d.size() && d[i + n] == d[i]) ++n;
    return n;
}

int Flag(const Bytes& d) {
    int flag = -1;
    for (int v = 1; v <= 254; ++v) {
        if (std::find(d.begin(), d.end(), v) == d.end()) flag = v;
    }
    return flag;
}

Encoded Rle(const Bytes& d) {
    Encoded e;
    for (std::size_t i = 0; i < d.size();) {
        const std::size_t n = Run(d, i, 255);
        e.bytes.push_back(static_cast<std::uint8_t>(n));
        e.bytes.push_back(d[i]);
        ++e.packets;
        i += n;
    }
    return e;
}

Encoded Srle(const Bytes& d) {
    Encoded e;
    for (std::size_t i = 0; i < d.size();) {
        const std::size_t n = Run(d, i, 255);
        e.bytes.push_back(d[i]);
        if (n > 1) {
            e.bytes.push_back(d[i]);
            e.bytes.push_back(static_cast<std::uint8_t>(n));
        }
        ++e.packets;
        i += n;
    }
    return e;
}

Encoded Frle(const Bytes& d) {
    Encoded e;
    const int flag = Flag(d);
    if (flag < 0) return {{}, 0, false};
    e.bytes.push_back(static_cast<std::uint8_t>(flag));
    for (std::size_t i = 0; i < d.size();) {
        const std::size_t n = Run(d, i, 255);
        if (n >= 3) {
            e.bytes.insert(e.bytes.end(),
                           {static_cast<std::uint8_t>(flag), static_cast<std::uint8_t>(n), d[i]});
            ++e.packets;
        } else {
            e.bytes.insert(e.bytes.end(), n, d[i]);
            e.packets += static_cast<std::int32_t>(n);
        }
        i += n;
    }
    return e;
}

Encoded Bnp(const Bytes& d) {
    Encoded e;
    const int flag = Flag(d);
    if (flag < 0) return {{}, 0, false};
    std::size_t pendingNibbles = 0;  // index of the nibble byte awaiting a high half
    bool pending = false;
    for (std::size_t i = 0; i < d.size();) {
        const std::uint8_t v = d[i];
        const std::size_t n = (v == 0x00 || v == 0xFF) ? Run(d, i, 9) : 1;
        ++e.packets;
        if (n == 1) {
            e.bytes.push_back(v);
        } else {
            const auto code = static_cast<std::uint8_t>(2 * (n - 2) + (v == 0x00 ? 1 : 0));
            e.bytes.push_back(static_cast<std::uint8_t>(flag));
            if (!pending) {
                pendingNibbles = e.bytes.size();
                e.bytes.push_back(code);
            } else {
                e.bytes[pendingNibbles] =
                    static_cast<std::uint8_t>(e.bytes[pendingNibbles] | code << 4);
            }
            pending = !pending;
        }
        i += n;
    }
    return e;
}

Encoded Bit2xp(const Bytes& d) {
    Encoded e;
    std::size_t bit = 0;
    Bytes stream(2 * d.size(), 0);
    const auto put = [&](bool one) {
        if (one) stream[bit / 8] = static_cast<std::uint8_t>(stream[bit / 8] | 1 << bit % 8);
        ++bit;
    };
    for (const std::uint8_t v : d) {
        if (v == 0xFF) {
            put(true);
        } else if (v == 0x00) {
            put(false);
            put(true);
        } else {
            put(false);
            put(false);
            for (int k = 0; k < 8; ++k) put((v >> k & 1) != 0);
        }
        ++e.packets;
    }
    stream.resize((bit + 7) / 8);
    e.bytes = stream;
    return e;
}

Encoded Reference(ImgCodecKind kind, const Bytes& d) {
    switch (kind) {
        case ImgCodecKind::Raw:
            return {d, 0, true};
        case ImgCodecKind::Rle:
            return Rle(d);
        case ImgCodecKind::Srle:
            return Srle(d);
        case ImgCodecKind::Frle:
            return Frle(d);
        case ImgCodecKind::Bnp:
            return Bnp(d);
        case ImgCodecKind::Bit2xp:
            return Bit2xp(d);
    }
    return {};
}

Encoded Product(ImgCodecKind kind, const Bytes& d) {
    ImgRawData raw{ImgOptions{}};
    raw.buffer = d;
    raw.length = static_cast<std::int32_t>(d.size());
    raw.start = 3;
    std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(kind, ImgOptions{});
    testing::internal::CaptureStderr();
    Encoded e;
    e.ok = codec->Compress(raw);
    testing::internal::GetCapturedStderr();
    if (!e.ok) return {{}, 0, false};
    EXPECT_EQ(codec->start, 3);
    e.bytes.assign(codec->buffer.begin(), codec->buffer.begin() + codec->size);
    e.packets = codec->packets;
    return e;
}

// Runs of random lengths drawn from a few values, so that run ends fall at
// every offset within a machine word, plus stretches of unrelated bytes.
Bytes RandomData(std::mt19937& random, int shape) {
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    const std::size_t length = below(4) == 0 ? below(40) : below(20000);
    const std::array<std::uint8_t, 4> values = {0x00, 0xFF, static_cast<std::uint8_t>(random()),
                                                static_cast<std::uint8_t>(random())};
    Bytes d;
    while (d.size() < length) {
        std::size_t run = 1;
        std::uint8_t v = 0;
        switch (shape) {
            case 0:  // every value, so the flagged codecs fail
                v = static_cast<std::uint8_t>(random());
                break;
            case 1:  // 0x00 / 0xFF runs
                v = values[below(2)];
                run = 1 + below(20);
                break;
            case 2:  // a small alphabet, short and long runs
                v = values[below(4)];
                run = 1 + below(below(2) ? 12 : 600);
                break;
            case 3: {  // eight-byte words that share their first half, values near
                       // the top, so that the flag hangs on single bytes late in a word
                const std::uint8_t top = static_cast<std::uint8_t>(0xF8 + below(7));
                const std::array<std::uint8_t, 8> word = {0x00,      0xFF, 0x00, 0xFF,
                                                          values[2], 0xF8, 0xFA, top};
                const std::size_t keep = std::min<std::size_t>(8, length - d.size());
                d.insert(d.end(), word.begin(), word.begin() + static_cast<std::ptrdiff_t>(keep));
                continue;
            }
            default:  // no 0xFE, so the flagged codecs always find a flag
                v = static_cast<std::uint8_t>(below(4) ? values[below(4)] : random());
                if (v == 0xFE) v = 0xFD;
                run = 1 + below(300);
                break;
        }
        d.insert(d.end(), std::min(run, length - d.size()), v);
    }
    return d;
}

TEST(PerfEquivalence, EncodersMatchPlainEncoders) {
    constexpr std::uint32_t kSeed = 58321;
    std::mt19937 random(kSeed);
    for (int round = 0; round < 500; ++round) {
        const Bytes data = RandomData(random, round % 5);
        for (const CodecInfo& info : CodecTable()) {
            SCOPED_TRACE("seed " + std::to_string(kSeed) + " round " + std::to_string(round) + " " +
                         std::string(info.keyword) + ", " + std::to_string(data.size()) + " bytes");
            const Encoded expected = Reference(info.kind, data);
            const Encoded actual = Product(info.kind, data);
            ASSERT_EQ(actual.ok, expected.ok);
            ASSERT_EQ(actual.packets, expected.packets);
            ASSERT_TRUE(actual.bytes == expected.bytes);
        }
    }
}

}  // namespace
}  // namespace pelmo
