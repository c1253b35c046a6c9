#include "support/unit_plane.hpp"

#include <algorithm>
#include <cstddef>

#include "picture/isolated_decode.hpp"
#include "plane/plane_packing.hpp"
#include "plane/unpack.hpp"
#include "support/unit_console.hpp"

namespace pelmo::unit {

ImgToneMap ToneMapOf(int width, int height, const std::vector<std::uint8_t>& tones,
                     const ImgOptions& options) {
    ImgToneMap map(options);
    map.width = width;
    map.height = height;
    const auto w = static_cast<std::size_t>(width);
    const auto blocks = static_cast<std::size_t>(height / 8);
    map.plane.assign(w * blocks, 0);
    const std::uint8_t threshold = options.dim ? 1 : 2;
    const std::size_t stride = RowBytes(w);
    std::vector<std::uint8_t> bits(8 * stride);
    // Batches as the decoding child sends them, in room for the largest this
    // map has (a whole batch is a quarter of a megabyte, whatever the width).
    const std::size_t perBatch = BlocksPerBatch(static_cast<std::uint32_t>(width));
    std::vector<std::uint8_t> batch(std::min(perBatch, blocks) * w);
    const BlockPlacer placer(options, w, blocks, map.plane.data());
    for (std::size_t k = 0; k < blocks;) {
        const std::size_t count = std::min(perBatch, blocks - k);
        for (std::size_t g = 0; g < count; ++g) {
            std::fill(bits.begin(), bits.end(), 0);
            for (std::size_t i = 0; i < 8; ++i) {
                for (std::size_t x = 0; x < w; ++x) {
                    const std::uint8_t tone = tones[((k + g) * 8 + i) * w + x];
                    if (tone < threshold) bits[i * stride + x / 8] |= 0x80 >> (x % 8);
                }
            }
            PackBlock(bits.data(), stride, w, batch.data() + g * w);
        }
        placer.Place(k, count, batch.data());
        k += count;
    }
    return map;
}

std::string CheckPacked(std::span<const std::uint8_t> kept, std::size_t start,
                        const ImgOptions& options, int width, int height,
                        const std::vector<std::uint8_t>& tones) {
    const std::size_t total =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height / 8);
    const std::string at = "start " + std::to_string(start) + ", " + std::to_string(kept.size()) +
                           " bytes kept of " + std::to_string(total) + ": ";
    if (start + kept.size() > total) return at + "more than the plane";
    const bool blankFront = !kept.empty() && kept.front() == 0xFF;
    if (options.strim ? blankFront || (kept.empty() && start != total) : start != 0)
        return at + "the start is trimmed wrongly";
    const bool blankBack = !kept.empty() && kept.back() == 0xFF;
    if (options.etrim ? blankBack : start + kept.size() != total)
        return at + "the end is trimmed wrongly";

    std::vector<std::uint8_t> pixels(tones.size(), 0xEE);
    PaintPlane({kept, start}, width, height, options, 1, 0, {pixels.data(), width});
    const std::uint8_t threshold = options.dim ? 1 : 2;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != (tones[i] >= threshold ? 1 : 0)) {
            return at + "pixel (" + std::to_string(i % static_cast<std::size_t>(width)) + ", " +
                   std::to_string(i / static_cast<std::size_t>(width)) + ") of tone " +
                   std::to_string(tones[i]) + " unpacks as " + std::to_string(pixels[i]);
        }
    }
    return {};
}

LoadedTones LoadTones(const std::string& fileName, const ImgOptions& tones) {
    ImgOptions options;
    options.luma = tones.luma;
    options.dimFrom = tones.dimFrom;
    options.fullFrom = tones.fullFrom;
    options.invert = tones.invert;
    options.dither = tones.dither;
    options.colourTones = tones.colourTones;
    options.toneColours = tones.toneColours;
    ImgToneMap full(options);
    options.dim = true;
    ImgToneMap dim(options);
    LoadedTones loaded;
    const ConsoleText console =
        CaptureConsole([&] { loaded.ok = full.Load(fileName) && dim.Load(fileName); });
    loaded.out = console.out;
    loaded.err = console.err;
    if (!loaded.ok) return loaded;
    loaded.width = full.width;
    loaded.height = full.height;
    loaded.tones.assign(
        static_cast<std::size_t>(full.width) * static_cast<std::size_t>(full.height), 0);
    // The dim plane lights dim and full pixels, the full plane full ones only.
    const PixelRows rows{loaded.tones.data(), full.width};
    PaintPlane({dim.plane, 0}, dim.width, dim.height, dim.options, 1, 0, rows);
    PaintPlane({full.plane, 0}, full.width, full.height, full.options, 2, -1, rows);
    return loaded;
}

}  // namespace pelmo::unit
