#include "picture/block_sender.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "plane/plane_packing.hpp"
#include "tones/tone_rows.hpp"

namespace pelmo {

AlphaRule AlphaRuleOf(const ImgOptions& options) {
    return options.mask                        ? AlphaRule::Only
           : options.alpha || options.plusmask ? AlphaRule::Cut
                                               : AlphaRule::Ignore;
}

FIBITMAP* ReadablePixels(FIBITMAP* loaded, AlphaRule rule, Bitmap& converted) {
    if (BitmapRows::ReadsDirectly(loaded, rule)) return loaded;
    converted.reset(FreeImage_ConvertTo32Bits(loaded));
    return converted.get();
}

bool SendBlocks(FIBITMAP* pixels, std::uint32_t width, const ImgOptions& options,
                const PlaneSources& sources, const SheetCut& cut, const ChildReply& reply,
                StrayPixels& strays) {
    // Each plane's rows, or none for a plane lit everywhere; the tones other
    // than the plain red ones through their own reader.
    std::optional<BitmapRows> tones;
    std::optional<ToneRows> shades;
    std::optional<BitmapRows> opacity;
    if (!(sources.opaque && sources.alpha == AlphaRule::Only)) {
        if (sources.Rule() != AlphaRule::Only && !options.PlainTones()) {
            shades.emplace(pixels, options, sources.Rule(), cut.band);
        } else {
            tones.emplace(pixels, LitFromRed(options.dim), sources.Rule());
        }
    }
    if (options.plusmask && !sources.opaque) {
        opacity.emplace(pixels, LitFromRed(false), AlphaRule::Only);
    }
    const BitmapRows* const readers[] = {tones ? &*tones : nullptr, opacity ? &*opacity : nullptr};
    const std::size_t planes = Interleave::Of(options).planes;

    const std::size_t stride = RowBytes(width);
    std::vector<std::uint8_t> bits(8 * stride);
    const std::uint32_t blocks = cut.Height() / 8;
    const std::uint32_t perBatch = BlocksPerBatch(width);
    std::vector<std::uint8_t> batch(std::size_t{std::min(perBatch, blocks)} * width * planes);
    for (std::uint32_t k = 0; k < blocks;) {
        const std::uint32_t count = std::min(perBatch, blocks - k);
        for (std::uint32_t g = 0; g < count; ++g, ++k) {
            for (std::size_t p = 0; p < planes; ++p) {
                for (std::uint32_t i = 0; i < 8; ++i) {
                    std::uint8_t* row = bits.data() + i * stride;
                    const std::int64_t y = cut.PictureRow(8 * k + i);
                    if (y < 0) {
                        std::fill_n(row, stride, std::uint8_t{0xFF});  // -pad: an off row
                    } else if (p == 0 && shades) {
                        shades->Read(static_cast<std::uint32_t>(y), row);
                    } else if (readers[p] == nullptr) {
                        std::fill_n(row, stride, std::uint8_t{0});  // opaque: every pixel lit
                    } else {
                        readers[p]->Read(static_cast<std::uint32_t>(y), row);
                    }
                }
                PackBlock(bits.data(), stride, width,
                          batch.data() + (std::size_t{g} * planes + p) * width);
            }
        }
        if (!reply.Bytes(batch.data(), std::size_t{count} * width * planes)) return false;
    }
    if (shades) strays = shades->Strays();
    return true;
}

}  // namespace pelmo
