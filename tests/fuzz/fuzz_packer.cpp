// Fuzzes the packing steps (PackBlock in the decoding child, BlockPlacer in
// the parent, then the trims of Pack) with arbitrary tone maps and options:
// a map of whole blocks packs, and its plane reads back through the
// renderer's unpacker as the tones it was made from (unit::CheckPacked); any
// other map is refused with one error line.
//
// Input: byte 0 holds the five flags (dim, unflip, xorder, strim, etrim in
// bits 0 to 4), byte 1 the width (0 to 63), byte 2 the height (0 to 71, so
// heights that are not a multiple of 8 occur too); the remaining bytes, taken
// cyclically, give the tone levels (byte mod 3).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/options.hpp"
#include "app/raw_data.hpp"
#include "app/tone_map.hpp"
#include "fuzz_console.hpp"
#include "support/unit_plane.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmo;
    if (size < 3) return 0;
    ImgOptions options;
    options.dim = (data[0] & 1) != 0;
    options.unflip = (data[0] & 2) != 0;
    options.xorder = (data[0] & 4) != 0;
    options.strim = (data[0] & 8) != 0;
    options.etrim = (data[0] & 16) != 0;
    const int width = data[1] % 64;
    const int height = data[2] % 72;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> levels(count);  // exactly the pixel count
    const std::size_t tones = size - 3;
    for (std::size_t i = 0; i < count; ++i) {
        levels[i] = tones == 0 ? 0 : static_cast<std::uint8_t>(data[3 + i % tones] % 3);
    }

    ImgToneMap map = unit::ToneMapOf(width, height, levels, options);
    ImgRawData raw(options);
    raw.start = 77;  // a second Pack must start from scratch
    raw.length = 5;
    fuzz::ResetConsole();
    const bool ok = raw.Pack(map);
    const std::string out = fuzz::ConsoleOut();
    const std::string err = fuzz::ConsoleErr();

    FUZZ_CHECK(out.empty(), "Pack printed on standard output: " + out);
    FUZZ_CHECK(ok == (width > 0 && height > 0 && height % 8 == 0),
               ok ? "packed a map that must be refused" : "refused a valid map: " + err);
    if (!ok) {
        FUZZ_CHECK(err.starts_with("Error, ") && err.find('\n') == err.size() - 1,
                   "not one error line: [" + err + "]");
        return 0;
    }
    FUZZ_CHECK(err.empty(), "a successful Pack printed on standard error: " + err);
    FUZZ_CHECK(raw.start >= 0 && raw.length >= 0 &&
                   static_cast<std::size_t>(raw.length) <= raw.buffer.size(),
               "start " + std::to_string(raw.start) + ", length " + std::to_string(raw.length));
    const std::string wrong =
        unit::CheckPacked(std::span(raw.buffer.data(), static_cast<std::size_t>(raw.length)),
                          static_cast<std::size_t>(raw.start), options, width, height, levels);
    FUZZ_CHECK(wrong.empty(), wrong);
    return 0;
}
