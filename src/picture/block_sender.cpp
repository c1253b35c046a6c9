#include "picture/block_sender.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "plane/plane_packing.hpp"
#include "tones/tone_rows.hpp"

namespace pelmo {

AlphaRule AlphaRuleOf(const ImgOptions& options) {
    const PlaneSet set = PlaneSet::Of(options);
    if (set.count == 1 && set.kinds[0] == PlaneKind::Mask) return AlphaRule::Only;
    return set.cut ? AlphaRule::Cut : AlphaRule::Ignore;
}

bool PlaneSources::ReadsPixels(const ImgOptions& options) const {
    const PlaneSet set = PlaneSet::Of(options);
    return !opaque || set.count > 1 || set.kinds[0] != PlaneKind::Mask;
}

FIBITMAP* ReadablePixels(FIBITMAP* loaded, AlphaRule rule, Bitmap& converted) {
    if (BitmapRows::ReadsDirectly(loaded, rule)) return loaded;
    converted.reset(FreeImage_ConvertTo32Bits(loaded));
    return converted.get();
}

namespace {

// The rows of one plane: through the reader of the plain red tones, or of
// the tones the options decide otherwise; none for a plane lit everywhere
// (the mask of a picture without opacity).
class PlaneRows {
  public:
    PlaneRows(FIBITMAP* pixels, PlaneKind kind, const ImgOptions& options,
              const PlaneSources& sources, std::uint32_t band) {
        if (kind == PlaneKind::Mask) {
            if (!sources.opaque) rows_.emplace(pixels, LitFromRed(false), AlphaRule::Only);
            return;
        }
        const AlphaRule rule = sources.opaque || sources.alpha == AlphaRule::Ignore
                                   ? AlphaRule::Ignore
                                   : AlphaRule::Cut;
        if (options.PlainTones()) {
            rows_.emplace(pixels, LitFromRed(kind == PlaneKind::Dim), rule);
        } else {
            ImgOptions plane = options;
            plane.dim = kind == PlaneKind::Dim;
            tones_.emplace(pixels, plane, rule, band);
        }
    }

    // The pixels that are none of the -tones colours, of a tone plane.
    const StrayPixels* Strays() const { return tones_ ? &tones_->Strays() : nullptr; }

    // The bits of picture row `y`.
    void Read(std::uint32_t y, std::uint8_t* bits, std::size_t count) {
        if (tones_) {
            tones_->Read(y, bits);
        } else if (rows_) {
            rows_->Read(y, bits);
        } else {
            std::fill_n(bits, count, std::uint8_t{0});  // every pixel lit
        }
    }

  private:
    std::optional<BitmapRows> rows_;
    std::optional<ToneRows> tones_;
};

}  // namespace

bool SendBlocks(FIBITMAP* pixels, std::uint32_t width, const ImgOptions& options,
                const PlaneSources& sources, const SheetCut& cut, const ChildReply& reply,
                StrayPixels& strays) {
    const PlaneSet set = PlaneSet::Of(options);
    std::vector<PlaneRows> readers;
    readers.reserve(set.count);
    for (std::size_t p = 0; p < set.count; ++p) {
        readers.emplace_back(pixels, set.kinds[p], options, sources, cut.band);
    }
    const std::size_t planes = set.count;
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
                    } else {
                        readers[p].Read(static_cast<std::uint32_t>(y), row, stride);
                    }
                }
                PackBlock(bits.data(), stride, width,
                          batch.data() + (std::size_t{g} * planes + p) * width);
            }
        }
        if (!reply.Bytes(batch.data(), std::size_t{count} * width * planes)) return false;
    }
    // Every tone plane reads the same pixels through the colours: the first one counts them.
    for (const PlaneRows& reader : readers) {
        if (const StrayPixels* found = reader.Strays()) {
            strays = *found;
            break;
        }
    }
    return true;
}

}  // namespace pelmo
