// Every codec's output decodes back to its input through the product's
// decoders, with the counters, size bounds and flag that the format promises
// (see RoundTrips). Random inputs are seeded; the seed is in the trace.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/codec_check.hpp"

namespace pelmo::test {
namespace {

// Values worth running: the two short-coded ones, both flag candidates at
// the top, their neighbours and a few ordinary ones.
constexpr std::uint8_t kRunValues[] = {0x00, 0xFF, 0x01, 0x7F, 0x80, 0xAA, 0xFD, 0xFE};

// Four shapes of data: uniform bytes; picture-like 0x00/0xFF runs with some
// other bytes; a small alphabet in runs; a few long runs.
Bytes RandomData(std::uint32_t seed) {
    std::mt19937 rng(seed);
    auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
    const std::uint32_t shape = seed % 4;
    // Short uniform data usually leaves a flag value free; long data rarely.
    const std::size_t length = below(5) == 0 ? below(8) : below(shape == 0 ? 600 : 3000);
    Bytes data;
    data.reserve(length);
    std::uint8_t alphabet[4];
    for (auto& a : alphabet) a = static_cast<std::uint8_t>(rng());
    while (data.size() < length) {
        std::uint8_t value = 0;
        std::size_t run = 1;
        switch (shape) {
            case 0:
                value = static_cast<std::uint8_t>(rng());
                break;
            case 1:
                value = below(5) == 0   ? static_cast<std::uint8_t>(rng())
                        : below(2) == 0 ? 0x00
                                        : 0xFF;
                run = 1 + below(below(2) == 0 ? 4 : 24);
                break;
            case 2:
                value = alphabet[below(4)];
                run = 1 + below(12);
                break;
            default:
                value = kRunValues[below(sizeof kRunValues)];
                run = 1 + below(700);
                break;
        }
        data.insert(data.end(), std::min(run, length - data.size()), value);
    }
    return data;
}

TEST(CodecRoundTrip, RandomData) {
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        const Bytes data = RandomData(seed);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(data.size()) +
                     " bytes");
        for (const ImgCodecKind kind : kAllCodecs) {
            ::testing::internal::CaptureStderr();  // the flagged codecs may find no flag
            const ::testing::AssertionResult ok = RoundTrips(kind, data);
            ::testing::internal::GetCapturedStderr();
            ASSERT_TRUE(ok);
        }
    }
}

// Runs of every length from 1 to 600, alone and between two other bytes, so
// that every split point (2, 3, 9, 10, 255, 256 ...) is met on each side.
TEST(CodecRoundTrip, RunsOfEveryLength) {
    for (const std::uint8_t value : kRunValues) {
        const std::uint8_t other = value == 0x00 ? 0xFF : 0x00;
        for (std::size_t length = 1; length <= 600; ++length) {
            SCOPED_TRACE("run of " + std::to_string(length) + " x " + ToHex(Bytes{value}));
            const Bytes alone = Repeat(length, value);
            const Bytes framed = Join({Repeat(1, other), alone, Repeat(2, 0x42)});
            for (const ImgCodecKind kind : kAllCodecs) {
                ASSERT_TRUE(RoundTrips(kind, alone));
                ASSERT_TRUE(RoundTrips(kind, framed));
            }
        }
    }
}

// Two values taking turns with every pair of short run lengths, and pairs
// around the 255-byte limit.
TEST(CodecRoundTrip, AlternatingRuns) {
    const std::pair<std::uint8_t, std::uint8_t> pairs[] = {
        {0x00, 0xFF}, {0xFF, 0x00}, {0x00, 0xAA}, {0xFE, 0xFD}, {0x01, 0x02}};
    std::vector<std::size_t> lengths;
    for (std::size_t n = 1; n <= 20; ++n) lengths.push_back(n);
    for (std::size_t n = 253; n <= 258; ++n) lengths.push_back(n);
    for (const auto& [a, b] : pairs) {
        for (const std::size_t la : lengths) {
            for (const std::size_t lb : lengths) {
                SCOPED_TRACE(ToHex(Bytes{a, b}) + " runs of " + std::to_string(la) + " and " +
                             std::to_string(lb));
                Bytes data;
                for (int turn = 0; turn < 5; ++turn)
                    data = Join({data, Repeat(la, a), Repeat(lb, b)});
                for (const ImgCodecKind kind : kAllCodecs) ASSERT_TRUE(RoundTrips(kind, data));
            }
        }
    }
}

// Every candidate but one present, next to 0x00/0xFF runs of odd and even
// counts: the flagged codecs must pick exactly the missing value (see
// RoundTrips), whatever it is.
TEST(CodecRoundTrip, EachFlagValue) {
    for (int missing = 1; missing <= 254; ++missing) {
        SCOPED_TRACE("missing " + std::to_string(missing));
        Bytes data = Join({Repeat(5, 0x00), Repeat(12, 0xFF)});
        for (int v = 254; v >= 1; --v) {
            if (v != missing) data = Join({data, Repeat(1 + v % 4, static_cast<std::uint8_t>(v))});
            if (v % 37 == 0) data = Join({data, Repeat(static_cast<std::size_t>(v % 9 + 2), 0x00)});
        }
        for (const ImgCodecKind kind : kAllCodecs) ASSERT_TRUE(RoundTrips(kind, data));
    }
}

// All candidates present: the flagged codecs fail with their error line (and
// RoundTrips checks they leave no output); the others encode as usual.
TEST(CodecRoundTrip, AllCandidatesPresent) {
    Bytes data = Repeat(20, 0x00);
    for (int v = 1; v <= 254; ++v)
        data = Join({data, Repeat(1 + v % 3, static_cast<std::uint8_t>(v))});
    for (const ImgCodecKind kind : kAllCodecs) {
        SCOPED_TRACE(CodecName(kind));
        ::testing::internal::CaptureStderr();
        const ::testing::AssertionResult ok = RoundTrips(kind, data);
        const std::string error = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(ok);
        const bool flagged = kind == ImgCodecKind::Frle || kind == ImgCodecKind::Bnp;
        EXPECT_EQ(error, flagged ? "Error, can't find unused byte value in data.\n" : "");
    }
}

TEST(CodecRoundTrip, EmptyAndSingleBytes) {
    for (const ImgCodecKind kind : kAllCodecs) {
        SCOPED_TRACE(CodecName(kind));
        EXPECT_TRUE(RoundTrips(kind, {}));
        for (int v = 0; v <= 255; ++v)
            EXPECT_TRUE(RoundTrips(kind, Bytes{static_cast<std::uint8_t>(v)}));
    }
}

// Long data for the scans that read eight bytes at a time (run lengths, the
// search for a free flag): words that repeat all but their last byte, a value
// near the top of the flag range, so the free flag hangs on single bytes late
// in a word; and runs of up to 300 of a few values, never 0xFE, so the flagged
// codecs always find a flag and encode.
TEST(CodecRoundTrip, WordAtATimeScans) {
    for (std::uint32_t seed = 2001; seed <= 2160; ++seed) {
        std::mt19937 rng(seed);
        const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
        const std::size_t length = below(4) == 0 ? below(40) : below(20000);
        const std::uint8_t values[] = {0x00, 0xFF, static_cast<std::uint8_t>(rng()),
                                       static_cast<std::uint8_t>(rng())};
        Bytes data;
        while (data.size() < length) {
            if (seed % 2 == 0) {
                const std::uint8_t word[] = {
                    0x00,      0xFF, 0x00, 0xFF,
                    values[2], 0xF8, 0xFA, static_cast<std::uint8_t>(0xF8 + below(7))};
                data.insert(data.end(), word,
                            word + std::min<std::size_t>(8, length - data.size()));
                continue;
            }
            std::uint8_t v = below(4) != 0 ? values[below(4)] : static_cast<std::uint8_t>(rng());
            if (v == 0xFE) v = 0xFD;
            data.insert(data.end(), std::min<std::size_t>(1 + below(300), length - data.size()), v);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(data.size()) +
                     " bytes");
        for (const ImgCodecKind kind : kAllCodecs) ASSERT_TRUE(RoundTrips(kind, data));
    }
}

// Picture-sized inputs: many pages of output, every bit-buffer boundary.
TEST(CodecRoundTrip, LargeData) {
    for (std::uint32_t seed = 1001; seed <= 1008; ++seed) {
        std::mt19937 rng(seed);
        Bytes data;
        while (data.size() < 40000) {
            const auto value = rng() % 8 == 0   ? static_cast<std::uint8_t>(rng())
                               : rng() % 2 == 0 ? 0x00
                                                : 0xFF;
            data.insert(data.end(), 1 + rng() % 40, static_cast<std::uint8_t>(value));
        }
        SCOPED_TRACE("seed " + std::to_string(seed));
        for (const ImgCodecKind kind : kAllCodecs) {
            ::testing::internal::CaptureStderr();  // the flagged codecs may find no flag
            const ::testing::AssertionResult ok = RoundTrips(kind, data);
            ::testing::internal::GetCapturedStderr();
            ASSERT_TRUE(ok);
        }
    }
}

}  // namespace
}  // namespace pelmo::test
