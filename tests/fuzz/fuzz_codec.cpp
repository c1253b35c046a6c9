// Fuzzes one codec: arbitrary bytes are the packed bitmap. The stream must decode back with the
// product's decoders, with the counters and size bound of the format; a Compress on a
// codec object that already holds output must give what a fresh object gives; and the console shows
// nothing but the codec's one error line.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "app/raw_data.hpp"
#include "codec/codec_table.hpp"
#include "codec/compress.hpp"
#include "fuzz_codec.hpp"
#include "fuzz_console.hpp"
#include "support/codec_check.hpp"
#include "support/decoders.hpp"

namespace {

// The packed bitmap in a buffer of exactly its length.
pelmo::ImgRawData RawOf(std::span<const std::uint8_t> bytes, std::int32_t start) {
    pelmo::ImgRawData raw{pelmo::ImgOptions{}};
    raw.buffer.assign(bytes.begin(), bytes.end());
    raw.length = static_cast<std::int32_t>(bytes.size());
    raw.start = start;
    return raw;
}

}  // namespace

namespace pelmo::fuzz {

int FuzzCodec(ImgCodecKind kind, const std::uint8_t* data, std::size_t size) {
    const test::Bytes input(data, data + size);
    ResetConsole();

    const ::testing::AssertionResult trip = test::RoundTrips(kind, input);
    FUZZ_CHECK(static_cast<bool>(trip), trip.message());

    // The same object, first given the front half, then the whole input.
    const test::EncodeResult fresh = test::Encode(kind, input, 3);
    const std::unique_ptr<CPelmoImgCompress> codec = MakeCodec(kind, ImgOptions{});
    ResetConsole();
    codec->Compress(RawOf(std::span(input).first(size / 2), 9));
    ResetConsole();
    const bool ok = codec->Compress(RawOf(input, 3));
    const std::string out = ConsoleOut();
    const std::string err = ConsoleErr();

    FUZZ_CHECK(ok == fresh.ok, "a reused codec object gives another result");
    FUZZ_CHECK(out.empty(), "Compress printed on standard output: " + out);
    if (!ok) {
        FUZZ_CHECK(err == "Error, can't find unused byte value in data.\n",
                   "unexpected failure text: " + err);
        FUZZ_CHECK(codec->size == 0 && codec->packets == 0, "a failed Compress left counters");
        return 0;
    }
    FUZZ_CHECK(err.empty(), "a successful Compress printed on standard error: " + err);
    FUZZ_CHECK(
        codec->size == fresh.size && codec->packets == fresh.packets && codec->start == fresh.start,
        "a reused codec object gives other counters");
    FUZZ_CHECK(codec->size >= 0 && static_cast<std::size_t>(codec->size) <= codec->buffer.size(),
               "size beyond the buffer");
    const auto used = std::span(codec->buffer).first(static_cast<std::size_t>(codec->size));
    FUZZ_CHECK(test::ToHex(used) == test::ToHex(fresh.stream),
               "a reused codec object gives another stream");
    return 0;
}

}  // namespace pelmo::fuzz
