// Fuzzes the source reader, the six decoders and the unpacker. An input that
// begins like a source ("\t;") is read as one: a refusal must name a line of
// the text; an accepted source must hold exactly its size symbol's bytes, each
// on a line of the text, and its stream goes to every decoder with the
// source's symbols. Any other input is a stream: byte 0 picks the codec,
// bytes 1 and 2 the packet count, byte 3 the flag, the rest is the stream. A
// decoder reads only its span (the sanitizers watch), stays within its limit
// and gives bytes only with success; what it gives is painted into a picture.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/asm_reader.hpp"
#include "codec/codec_table.hpp"
#include "fuzz_console.hpp"
#include "plane/unpack.hpp"

namespace {

using namespace pelmo;

constexpr std::size_t kLimit = std::size_t{1} << 16;

void Decode(ImgCodecKind kind, const EncodedStream& in, std::size_t seed) {
    const Expected<DecodedStream> decoded = CodecFor(kind).decode(in);
    if (!decoded) {
        const Failure& fault = decoded.failure();
        FUZZ_CHECK(fault.at == decode::kAtSymbols || fault.at <= in.bytes.size(),
                   "an error beyond the stream: " + fault.message);
        return;
    }
    const DecodedStream& out = *decoded;
    FUZZ_CHECK(out.bytes.size() <= in.limit, "a result above the limit");
    FUZZ_CHECK(out.consumed <= in.bytes.size(), "more bytes consumed than given");
    // Painted after some blank bytes into a picture of some width that holds them.
    const auto width = static_cast<std::int32_t>(1 + seed % 13);
    const std::size_t start = seed % 7;
    const std::size_t blocks = (start + out.bytes.size()) / width + 1;
    std::vector<std::uint8_t> pixels(blocks * width * 8, 7);
    ImgOptions layout;
    layout.xorder = (seed & 1) != 0;
    layout.unflip = (seed & 2) != 0;
    const int unlit = (seed & 4) != 0 ? -1 : 0;
    PaintPlane({out.bytes, start}, width, static_cast<std::int32_t>(blocks * 8), layout, 200, unlit,
               {pixels.data(), width});
    std::size_t lit = 0;
    for (const std::uint8_t p : pixels) {
        lit += p == 200 ? 1 : 0;
        FUZZ_CHECK(p == 200 || p == (unlit < 0 ? 7 : 0), "a pixel neither lit nor left unlit");
    }
    std::size_t clear = 0;
    for (const std::uint8_t b : out.bytes)
        clear += static_cast<std::size_t>(8 - __builtin_popcount(b));
    FUZZ_CHECK(lit == clear, "the picture lights other pixels than the plane's clear bits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!text.starts_with("\t;")) {
        if (size < 4) return 0;
        const auto kind = static_cast<ImgCodecKind>(data[0] % kCodecCount);
        const EncodedStream in{std::span(data + 4, size - 4),
                               static_cast<std::uint32_t>(data[1] | data[2] << 8), data[3], kLimit};
        Decode(kind, in, size);
        return 0;
    }
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    const Expected<AsmSource> read = ReadAsmSource(text);
    if (!read) {
        const Failure& error = read.failure();
        FUZZ_CHECK(error.at >= 1 && error.at <= lines + 2 && !error.message.empty(),
                   "a refusal at line " + std::to_string(error.at) + ": " + error.message);
        FUZZ_CHECK(error.message.find('\n') == std::string::npos, "a refusal of two lines");
        return 0;
    }
    const AsmSource& source = *read;
    // A source of frames: each frame as a source of its own.
    FUZZ_CHECK(source.frames.size() == (source.frameCount ? source.frameCount->value : 0),
               "another number of frames than the frame count");
    const std::vector<AsmSource> one{source};
    for (const AsmSource& frame : source.frameCount ? source.frames : one) {
        FUZZ_CHECK(frame.stream.size() == frame.size.value, "a stream of another size");
        for (std::size_t offset = 0; offset <= frame.stream.size(); offset += 7) {
            const std::size_t line = frame.LineOf(offset);
            FUZZ_CHECK(line >= frame.labelLine && line <= lines + 1,
                       "a byte outside the data lines");
        }
        for (const CodecInfo& codec : CodecTable()) {
            const std::int32_t flag =
                frame.flag ? static_cast<std::int32_t>(frame.flag->value) : -1;
            Decode(codec.kind, {frame.stream, frame.packets.value, flag, kLimit}, size);
        }
    }
    return 0;
}
