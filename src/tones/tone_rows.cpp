#include "tones/tone_rows.hpp"

#include <algorithm>
#include <cstddef>

#include "plane/plane_packing.hpp"

namespace pelmo {

namespace {

// The display levels of off, dim and full, in sixteenths.
constexpr std::int32_t kLevel16[] = {0, 128 * 16, 255 * 16};
// A value with its error, in sixteenths, takes the nearest level: dim from
// 64, full from 191.5.
constexpr std::int32_t kDim16 = 64 * 16;
constexpr std::int32_t kFull16 = 3064;
// Each frame's stretch of an error row has this many cells beyond each edge.
constexpr std::size_t kEdge = 2;

std::uint8_t Luma(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint8_t>((2126 * red + 7152 * green + 722 * blue + 5000) / 10000);
}

// The levels' curve: A to 128, B to 192, linear between 0, A, B and 255.
std::uint8_t Curve(unsigned v, unsigned a, unsigned b) {
    if (v < a) return static_cast<std::uint8_t>(v * 128 / a);
    if (v < b) return static_cast<std::uint8_t>(128 + (v - a) * 64 / (b - a));
    return static_cast<std::uint8_t>(b == 255 ? 255 : 192 + (v - b) * 63 / (255 - b));
}

// The Bayer matrix of side N, row by row: each quarter of the matrix of side
// 2n is four times the one of side n, plus 0, 2, 3 and 1.
template <unsigned N>
constexpr std::array<std::uint8_t, N * N> Bayer() {
    std::array<std::uint8_t, N * N> matrix{};
    if constexpr (N > 1) {
        constexpr unsigned kHalf = N / 2;
        constexpr auto kInner = Bayer<kHalf>();
        constexpr std::uint8_t kQuarter[] = {0, 2, 3, 1};
        for (unsigned y = 0; y < N; ++y) {
            for (unsigned x = 0; x < N; ++x) {
                matrix[y * N + x] =
                    static_cast<std::uint8_t>(4 * kInner[y % kHalf * kHalf + x % kHalf] +
                                              kQuarter[y / kHalf * 2 + x / kHalf]);
            }
        }
    }
    return matrix;
}

// The values of a row of RGB pixels `kStep` bytes apart: the reds, or the
// luminances with `luma`.
template <unsigned kStep>
void RgbValues(const BYTE* line, std::uint32_t width, bool luma, std::uint8_t* v) {
    if (luma) {
        for (std::uint32_t x = 0; x < width; ++x, line += kStep) {
            v[x] = Luma(line[FI_RGBA_RED], line[FI_RGBA_GREEN], line[FI_RGBA_BLUE]);
        }
    } else {
        for (std::uint32_t x = 0; x < width; ++x) v[x] = line[kStep * x + FI_RGBA_RED];
    }
}

// The tone (0 to 2) of the colour of `colours` nearest `rgb` (0xRRGGBB), the
// lower on a tie, with 4 added when `rgb` is none of them.
unsigned NearestTone(std::uint32_t rgb, const std::array<std::uint32_t, 3>& colours) {
    unsigned nearest = 0;
    std::uint32_t least = UINT32_MAX;
    for (unsigned tone = 0; tone < 3; ++tone) {
        std::uint32_t distance = 0;
        for (const unsigned shift : {16u, 8u, 0u}) {
            const int d = static_cast<int>(rgb >> shift & 0xFF) -
                          static_cast<int>(colours[tone] >> shift & 0xFF);
            distance += static_cast<std::uint32_t>(d * d);
        }
        if (distance < least) {
            nearest = tone;
            least = distance;
        }
    }
    return least == 0 ? nearest : nearest + 4;
}

std::uint32_t Rgb(unsigned red, unsigned green, unsigned blue) {
    return red << 16 | green << 8 | blue;
}

// The values of a row of `kBits`-bit palette indices, looked up in `value`.
template <unsigned kBits>
void PaletteValues(const BYTE* line, std::uint32_t width,
                   const std::array<std::uint8_t, 256>& value, std::uint8_t* v) {
    for (std::uint32_t x = 0; x < width; ++x) v[x] = value[PaletteIndex(line, x, kBits)];
}

}  // namespace

ToneRows::ToneRows(FIBITMAP* bitmap, const ImgOptions& options, AlphaRule alpha, std::uint32_t band)
    : bitmap_(bitmap),
      width_(FreeImage_GetWidth(bitmap)),
      height_(FreeImage_GetHeight(bitmap)),
      band_(std::max<std::uint32_t>(band, 1)),
      frameWidth_(options.frameWidth),
      dither_(options.colourTones ? DitherMethod::None : options.dither),
      luma_(options.luma),
      byColour_(options.colourTones),
      colours_(options.toneColours) {
    if (frameWidth_ == 0 || width_ % frameWidth_ != 0) frameWidth_ = width_;
    const int litTone = options.dim ? 1 : 2;
    for (int t = 0; t < 3; ++t) unlit_[t] = (options.invert ? 2 - t : t) < litTone ? 1 : 0;
    for (unsigned v = 0; v < 256; ++v) {
        toneOf_[v] = v < options.dimFrom ? 0 : v < options.fullFrom ? 1 : 2;
        curve_[v] = Curve(v, options.dimFrom, options.fullFrom);
    }
    values_.resize(8 * RowBytes(width_));
    if (alpha == AlphaRule::Cut) {
        opacity_.emplace(bitmap, 128, AlphaRule::Only);
        opacityBits_.resize(RowBytes(width_));
    }
    if (dither_ == DitherMethod::FloydSteinberg || dither_ == DitherMethod::Atkinson) {
        const std::size_t frames = frameWidth_ == 0 ? 0 : width_ / frameWidth_;
        for (auto& row : errors_) row.resize(frames * (frameWidth_ + 2 * kEdge));
    }
    const BitmapLayout layout(bitmap);
    layout_ = layout.Pixels();
    if (IndexBits(layout_) == 0) return;
    paletteValue_ = layout.PerIndex([this](const RGBQUAD& c) {
        return luma_ ? Luma(c.rgbRed, c.rgbGreen, c.rgbBlue) : c.rgbRed;
    });
    for (unsigned i = 0; i < 256; ++i) {
        const RGBQUAD c = layout.Entry(i);
        paletteColour_[i] = Rgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
}

void ToneRows::ReadValues(const BYTE* line, std::uint32_t y) {
    if (byColour_) {
        ReadColours(line, y);
        return;
    }
    std::uint8_t* v = values_.data();
    switch (layout_) {
        case PixelLayout::Rgb24:
            RgbValues<3>(line, width_, luma_, v);
            break;
        case PixelLayout::Rgb32:
            RgbValues<4>(line, width_, luma_, v);
            break;
        case PixelLayout::Palette8:
            PaletteValues<8>(line, width_, paletteValue_, v);
            break;
        case PixelLayout::Palette4:
            PaletteValues<4>(line, width_, paletteValue_, v);
            break;
        case PixelLayout::Palette1:
            PaletteValues<1>(line, width_, paletteValue_, v);
            break;
    }
}

// The tones of picture row `y` from its pixels' colours, `colourAt(x)` each;
// the strays among those not cut by opacity noted.
template <typename ColourAt>
void ToneRows::ColourTones(std::uint32_t y, const ColourAt& colourAt) {
    std::uint32_t last = UINT32_MAX;  // no colour: the first pixel's is looked for
    unsigned found = 0;
    for (std::uint32_t x = 0; x < width_; ++x) {
        const std::uint32_t colour = colourAt(x);
        if (colour != last) {
            last = colour;
            found = NearestTone(colour, colours_);
        }
        values_[x] = static_cast<std::uint8_t>(found & 3);
        const bool cut = opacity_ && (opacityBits_[x / 8] >> (7 - x % 8) & 1) != 0;
        if (found > 3 && !cut) strays_.Note(x, y, colour);
    }
}

void ToneRows::ReadColours(const BYTE* line, std::uint32_t y) {
    const auto rgb = [](const BYTE* p) {
        return Rgb(p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]);
    };
    const auto indexed = [&](unsigned bits) {
        return [&, bits](std::uint32_t x) { return paletteColour_[PaletteIndex(line, x, bits)]; };
    };
    switch (layout_) {
        case PixelLayout::Rgb24:
            ColourTones(y, [&](std::uint32_t x) { return rgb(line + 3 * x); });
            break;
        case PixelLayout::Rgb32:
            ColourTones(y, [&](std::uint32_t x) { return rgb(line + 4 * x); });
            break;
        case PixelLayout::Palette8:
            ColourTones(y, indexed(8));
            break;
        case PixelLayout::Palette4:
            ColourTones(y, indexed(4));
            break;
        case PixelLayout::Palette1:
            ColourTones(y, indexed(1));
            break;
    }
}

// One row of error diffusion, `row` counted from the top of its band: each
// frame from its left on even rows, from its right on odd ones. The values
// become tones.
template <DitherMethod kMethod, bool kCut>
void ToneRows::Diffuse(std::uint32_t row) {
    const std::ptrdiff_t d = row % 2 == 0 ? 1 : -1;  // ahead
    const std::size_t stride = frameWidth_ + 2 * kEdge;
    const auto fw = static_cast<std::ptrdiff_t>(frameWidth_);
    for (std::size_t f = 0; f * frameWidth_ < width_; ++f) {
        std::int32_t* here = errors_[0].data() + f * stride + kEdge;
        std::int32_t* below = errors_[1].data() + f * stride + kEdge;
        std::int32_t* twoBelow = errors_[2].data() + f * stride + kEdge;
        std::uint8_t* v = values_.data() + f * frameWidth_;
        for (std::ptrdiff_t k = 0; k < fw; ++k) {
            const std::ptrdiff_t i = d > 0 ? k : fw - 1 - k;
            if constexpr (kCut) {
                const std::size_t x = f * frameWidth_ + static_cast<std::size_t>(i);
                if ((opacityBits_[x / 8] >> (7 - x % 8) & 1) != 0) {
                    v[i] = 0;  // off, and no error
                    continue;
                }
            }
            const std::int32_t want = 16 * curve_[v[i]] + here[i];
            const int tone = (want >= kDim16 ? 1 : 0) + (want >= kFull16 ? 1 : 0);
            const std::int32_t error = want - kLevel16[tone];
            v[i] = static_cast<std::uint8_t>(tone);
            if constexpr (kMethod == DitherMethod::FloydSteinberg) {
                const std::int32_t next = error * 7 / 16;
                const std::int32_t behind = error * 3 / 16;
                const std::int32_t under = error * 5 / 16;
                here[i + d] += next;
                below[i - d] += behind;
                below[i] += under;
                below[i + d] += error - next - behind - under;
            } else {
                const std::int32_t share = error / 8;
                here[i + d] += share;
                here[i + 2 * d] += share;
                below[i - d] += share;
                below[i] += share;
                below[i + d] += share;
                twoBelow[i] += share;
            }
        }
    }
    // The next row's errors come first now; the row two below starts clear.
    std::rotate(errors_.begin(), errors_.begin() + 1, errors_.end());
    std::fill(errors_[2].begin(), errors_[2].end(), 0);
}

// Ordered dithering of one row, `row` counted from the top of its band, the
// matrix laid from each frame's left edge. The values become tones.
void ToneRows::Order(std::uint32_t row) {
    static constexpr auto kBayer4 = Bayer<4>();
    static constexpr auto kBayer8 = Bayer<8>();
    const bool four = dither_ == DitherMethod::Bayer4;
    const std::uint32_t n = four ? 4 : 8;
    const std::uint8_t* matrix = (four ? kBayer4.data() : kBayer8.data()) + row % n * n;
    const std::int32_t cells = 2 * static_cast<std::int32_t>(n * n);
    for (std::size_t f = 0; f * frameWidth_ < width_; ++f) {
        std::uint8_t* v = values_.data() + f * frameWidth_;
        for (std::uint32_t i = 0; i < frameWidth_; ++i) {
            const std::int32_t value = curve_[v[i]];
            const std::int32_t bar = 2 * matrix[i & (n - 1)] + 1;
            v[i] = value < 128 ? (cells * value > 128 * bar ? 1 : 0)
                               : (cells * (value - 128) > 127 * bar ? 2 : 1);
        }
    }
}

void ToneRows::Read(std::uint32_t y, std::uint8_t* bits) {
    const std::uint32_t row = y % band_;
    if (row == 0) {
        for (auto& errors : errors_) std::fill(errors.begin(), errors.end(), 0);
    }
    if (opacity_) opacity_->Read(y, opacityBits_.data());
    ReadValues(FreeImage_GetScanLine(bitmap_, static_cast<int>(height_ - 1 - y)), y);
    const bool cut = opacity_.has_value();
    switch (dither_) {
        case DitherMethod::None:
            if (byColour_) break;  // tones already
            for (std::uint32_t x = 0; x < width_; ++x) values_[x] = toneOf_[values_[x]];
            break;
        case DitherMethod::FloydSteinberg:
            cut ? Diffuse<DitherMethod::FloydSteinberg, true>(row)
                : Diffuse<DitherMethod::FloydSteinberg, false>(row);
            break;
        case DitherMethod::Atkinson:
            cut ? Diffuse<DitherMethod::Atkinson, true>(row)
                : Diffuse<DitherMethod::Atkinson, false>(row);
            break;
        case DitherMethod::Bayer4:
        case DitherMethod::Bayer8:
            Order(row);
            break;
    }
    // A bit is set where the pixel is unlit: below the plane's tone (after
    // -invert), or less than half opaque.
    const std::uint8_t* unlit = unlit_.data();
    for (std::size_t j = 0; j < RowBytes(width_); ++j) {
        const std::uint8_t* t = values_.data() + 8 * j;
        bits[j] = static_cast<std::uint8_t>(unlit[t[0]] << 7 | unlit[t[1]] << 6 | unlit[t[2]] << 5 |
                                            unlit[t[3]] << 4 | unlit[t[4]] << 3 | unlit[t[5]] << 2 |
                                            unlit[t[6]] << 1 | unlit[t[7]]);
        if (cut) bits[j] |= opacityBits_[j];
    }
}

}  // namespace pelmo
