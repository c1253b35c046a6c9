#include "support/codec_check.hpp"

#include <algorithm>

#include "codec/codec_table.hpp"

namespace pelmo::test {

namespace {

constexpr std::int32_t kStart = 7;

// The input in hex when short enough to read, else its length and head.
std::string Describe(const Bytes& input) {
    constexpr std::size_t kShown = 48;
    if (input.size() <= kShown) return "input [" + ToHex(input) + "]";
    return "input of " + std::to_string(input.size()) + " bytes [" +
           ToHex(std::span(input).first(kShown)) + " ...]";
}

std::size_t Ceil(std::size_t value, std::size_t divisor) {
    return (value + divisor - 1) / divisor;
}

}  // namespace

std::string CodecName(ImgCodecKind kind) {
    return std::string(CodecFor(kind).keyword);
}

int ExpectedFlag(std::span<const std::uint8_t> data) {
    std::array<bool, 256> present{};
    for (const std::uint8_t b : data) present[b] = true;
    for (int v = 254; v >= 1; --v) {
        if (!present[static_cast<std::size_t>(v)]) return v;
    }
    return -1;
}

std::size_t SizeBound(ImgCodecKind kind, std::size_t length) {
    switch (kind) {
        case ImgCodecKind::Raw:
            return length;
        case ImgCodecKind::Rle:
            return 2 * length;
        case ImgCodecKind::Srle:
            return 3 * length / 2;
        case ImgCodecKind::Frle:
            return length + 1;
        case ImgCodecKind::Bnp:
            return length;
        case ImgCodecKind::Bit2xp:
            return Ceil(10 * length, 8);
    }
    return 0;
}

Counts ExpectedCounts(ImgCodecKind kind, std::span<const std::uint8_t> data) {
    Counts c;
    std::int64_t bits = 0;
    std::int64_t bnpRuns = 0;
    if (kind == ImgCodecKind::Frle) c.size = 1;  // the flag byte
    for (std::size_t i = 0; i < data.size();) {
        const std::uint8_t v = data[i];
        std::size_t m = 1;
        while (i + m < data.size() && data[i + m] == v) ++m;
        i += m;
        const auto full = static_cast<std::int64_t>(m / 255);  // pieces of 255
        const auto rest = static_cast<std::int64_t>(m % 255);
        switch (kind) {
            case ImgCodecKind::Raw:
                c.size += static_cast<std::int64_t>(m);
                break;
            case ImgCodecKind::Rle:
                c.packets += full + (rest > 0 ? 1 : 0);
                break;
            case ImgCodecKind::Srle:
                c.packets += full + (rest > 0 ? 1 : 0);
                c.size += 3 * full + (rest == 1 ? 1 : rest > 1 ? 3 : 0);
                break;
            case ImgCodecKind::Frle:
                c.packets += full + (rest >= 3 ? 1 : rest);
                c.size += 3 * full + (rest >= 3 ? 3 : rest);
                break;
            case ImgCodecKind::Bnp:
                if (v != 0x00 && v != 0xFF) {
                    c.packets += static_cast<std::int64_t>(m);
                } else {
                    const auto nines = static_cast<std::int64_t>(m / 9);
                    const auto left = static_cast<std::int64_t>(m % 9);
                    bnpRuns += nines + (left >= 2 ? 1 : 0);
                    c.packets += nines + (left >= 1 ? 1 : 0);
                }
                break;
            case ImgCodecKind::Bit2xp:
                bits += static_cast<std::int64_t>(m) * (v == 0xFF ? 1 : v == 0x00 ? 2 : 10);
                c.packets += static_cast<std::int64_t>(m);
                break;
        }
    }
    if (kind == ImgCodecKind::Rle) c.size = 2 * c.packets;
    if (kind == ImgCodecKind::Bnp) c.size = c.packets + (bnpRuns + 1) / 2;
    if (kind == ImgCodecKind::Bit2xp) c.size = (bits + 7) / 8;
    return c;
}

::testing::AssertionResult EncodesTo(ImgCodecKind kind, const Bytes& input,
                                     std::string_view expectedHex, std::int32_t packets) {
    const EncodeResult e = Encode(kind, input);
    const std::string got = ToHex(e.stream);
    if (!e.ok || got != expectedHex || e.packets != packets ||
        e.size != static_cast<std::int32_t>(e.stream.size())) {
        return ::testing::AssertionFailure()
               << CodecName(kind) << " " << Describe(input) << "\n  expected [" << expectedHex
               << "] packets " << packets << "\n  got      [" << got << "] size " << e.size
               << " packets " << e.packets << (e.ok ? "" : " (Compress returned false)");
    }
    const DecodeResult d = Decode(kind, e.stream, e.packets, e.flag);
    if (!d.ok() || d->bytes != input || d->consumed != e.stream.size()) {
        auto failure = ::testing::AssertionFailure();
        failure << CodecName(kind) << " " << Describe(input) << ": stream [" << got
                << "] does not decode back: ";
        if (d.ok()) {
            failure << "[" << ToHex(d->bytes) << "]";
        } else {
            failure << d.failure().message;
        }
        return failure;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult RoundTrips(ImgCodecKind kind, const Bytes& input) {
    const EncodeResult e = Encode(kind, input, kStart);
    auto fail = [&]() {
        return ::testing::AssertionFailure() << CodecName(kind) << " " << Describe(input) << ": ";
    };
    const bool flagged = kind == ImgCodecKind::Frle || kind == ImgCodecKind::Bnp;
    const int flag = ExpectedFlag(input);
    if (flagged && flag < 0) {
        if (e.ok) return fail() << "Compress succeeded though every value 1..254 occurs";
        if (e.size != 0 || e.packets != 0) {
            return fail() << "failed Compress left size " << e.size << " packets " << e.packets;
        }
        if (kind == ImgCodecKind::Bnp && e.flag != -1)
            return fail() << "flag " << e.flag << ", not -1";
        return ::testing::AssertionSuccess();
    }
    if (!e.ok) return fail() << "Compress returned false";
    if (e.start != kStart) return fail() << "start " << e.start << ", not " << kStart;
    if (e.size < 0 || static_cast<std::size_t>(e.size) != e.stream.size()) {
        return fail() << "size " << e.size << " beyond the codec's buffer";
    }
    if (e.stream.size() > SizeBound(kind, input.size())) {
        return fail() << "size " << e.size << " above the bound " << SizeBound(kind, input.size());
    }
    if (kind == ImgCodecKind::Frle && e.stream.at(0) != flag) {
        return fail() << "flag byte " << int{e.stream[0]} << ", not " << flag;
    }
    if (kind == ImgCodecKind::Bnp && e.flag != flag)
        return fail() << "flag " << e.flag << ", not " << flag;
    const Counts want = ExpectedCounts(kind, input);
    if (e.size != want.size || e.packets != want.packets) {
        return fail() << "size " << e.size << " packets " << e.packets
                      << ", greedy tokens give size " << want.size << " packets " << want.packets
                      << "; stream [" << ToHex(e.stream) << "]";
    }
    const DecodeResult d = Decode(kind, e.stream, e.packets, e.flag);
    if (!d.ok())
        return fail() << "stream [" << ToHex(e.stream) << "] rejected: " << d.failure().message;
    if (d->consumed != e.stream.size()) {
        return fail() << "reading " << e.packets << " packets consumed " << d->consumed << " of "
                      << e.size << " bytes";
    }
    if (d->bytes != input) {
        const auto diff =
            std::mismatch(d->bytes.begin(), d->bytes.end(), input.begin(), input.end());
        return fail() << "decodes to " << d->bytes.size() << " bytes, first difference at "
                      << (diff.first - d->bytes.begin()) << "; stream [" << ToHex(e.stream) << "]";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace pelmo::test
