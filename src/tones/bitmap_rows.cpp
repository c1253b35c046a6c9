#include "tones/bitmap_rows.hpp"

#include <array>
#include <bit>
#include <cstddef>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
// Sixteen or thirty-two pixels at a time with SSSE3's byte shuffle, which
// every x86-64 processor of the last fifteen years has; the plain loops do
// the rest of each row, and everything where SSSE3 is missing.
#define PELMO_ROWS_SSSE3 1
#endif

#include "plane/plane_packing.hpp"

namespace pelmo {

static_assert(std::endian::native == std::endian::little,
              "flag words are assembled in little-endian byte order");

bool BitmapRows::ReadsDirectly(FIBITMAP* bitmap, AlphaRule alpha) {
    const BitmapLayout layout(bitmap);
    // Opacity is read from 32-bit pixels alone; the conversion gives every
    // other kind its alpha (255 where there is none).
    return layout.Readable() &&
           (alpha == AlphaRule::Ignore || layout.Pixels() == PixelLayout::Rgb32);
}

BitmapRows::BitmapRows(FIBITMAP* bitmap, std::uint8_t litFrom, AlphaRule alpha, bool vectors)
    : bitmap_(bitmap),
      width_(FreeImage_GetWidth(bitmap)),
      height_(FreeImage_GetHeight(bitmap)),
      litFrom_(litFrom),
      alpha_(alpha) {
    if (alpha_ == AlphaRule::Cut) alphaBits_.resize(RowBytes(width_));  // Only reads into `bits`
#ifdef PELMO_ROWS_SSSE3
    // Asked of the processor here, when a picture is read: the compiler's own
    // check would ask it for every feature at every start of the program,
    // which under a hypervisor costs more than converting a small picture.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    vectors_ = vectors && __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_SSSE3) != 0;
#else
    (void)vectors;
#endif
    const BitmapLayout layout(bitmap);
    layout_ = layout.Pixels();
    const unsigned indexBits = IndexBits(layout_);
    if (indexBits == 0) return;

    const auto unlit =
        layout.PerIndex([litFrom](const RGBQUAD& c) { return c.rgbRed < litFrom ? 1 : 0; });
    for (unsigned i = 0; i < 16; ++i) nibbleFlags_[i] = unlit[i] != 0 ? 0xFF : 0;
    const unsigned perByte = 8 / indexBits;
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<BYTE>(b);
        unsigned bits = 0;
        for (unsigned k = 0; k < perByte; ++k) {
            bits |= unsigned{unlit[PaletteIndex(&byte, k, indexBits)]} << (perByte - 1 - k);
        }
        unlitBits_[b] = static_cast<std::uint8_t>(bits);
    }
}

namespace {

#ifdef PELMO_ROWS_SSSE3
// Byte shuffles that gather one component (the red, or the alpha at kAt) of
// sixteen pixels, kStep bytes apart, from kStep 16-byte loads: position p of
// the result holds pixel 8 * (p / 8) + 7 - p % 8, so that the sign bits,
// collected from position 0 up, give each group of eight pixels with its
// leftmost in bit 7. -1 leaves a position zero.
template <int kStep, int kAt>
constexpr std::array<std::array<std::int8_t, 16>, kStep> Gather() {
    std::array<std::array<std::int8_t, 16>, kStep> masks{};
    for (auto& mask : masks) mask.fill(-1);
    for (int p = 0; p < 16; ++p) {
        const int pixel = 8 * (p / 8) + 7 - p % 8;
        const int offset = kStep * pixel + kAt;
        masks[static_cast<std::size_t>(offset / 16)][static_cast<std::size_t>(p)] =
            static_cast<std::int8_t>(offset % 16);
    }
    return masks;
}
__attribute__((target("ssse3"))) __m128i Load(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// The bits of sixteen pixels at a time, kStep bytes apart, as long as whole
// chunks of sixteen last; the number of bytes of bits made.
template <int kStep, int kAt>
__attribute__((target("ssse3"))) std::uint32_t Chunks(const BYTE* line, std::uint32_t chunks,
                                                      std::uint8_t litFrom, std::uint8_t* bits) {
    static constexpr auto kGather = Gather<kStep, kAt>();
    __m128i masks[kStep];
    for (int k = 0; k < kStep; ++k) masks[k] = Load(kGather[static_cast<std::size_t>(k)].data());
    const __m128i below = _mm_set1_epi8(static_cast<char>(litFrom - 1));
    for (std::uint32_t c = 0; c < chunks; ++c) {
        const BYTE* p = line + 16 * kStep * c;
        __m128i reds = _mm_shuffle_epi8(Load(p), masks[0]);
        for (int k = 1; k < kStep; ++k) {
            reds = _mm_or_si128(reds, _mm_shuffle_epi8(Load(p + 16 * k), masks[k]));
        }
        // Unlit where red < litFrom, that is where min(red, litFrom - 1) == red.
        const auto mask = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(reds, below), reds)));
        bits[2 * c] = static_cast<std::uint8_t>(mask);
        bits[2 * c + 1] = static_cast<std::uint8_t>(mask >> 8);
    }
    return 2 * chunks;
}

// Thirty-two pixels of a 4-bit bitmap from each 16-byte load: every nibble
// looked up in `flags` (0xFF where its palette entry is unlit).
__attribute__((target("ssse3"))) std::uint32_t NibbleChunks(const BYTE* line, std::uint32_t chunks,
                                                            const std::uint8_t* flags,
                                                            std::uint8_t* bits) {
    const __m128i table = Load(flags);
    const __m128i low = _mm_set1_epi8(0x0F);
    // Pixel order reversed within each group of eight, as for the reds.
    const __m128i reverse = _mm_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    for (std::uint32_t c = 0; c < chunks; ++c) {
        const __m128i bytes = Load(line + 16 * c);
        const __m128i left = _mm_shuffle_epi8(table, _mm_and_si128(_mm_srli_epi16(bytes, 4), low));
        const __m128i right = _mm_shuffle_epi8(table, _mm_and_si128(bytes, low));
        const auto first = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_shuffle_epi8(_mm_unpacklo_epi8(left, right), reverse)));
        const auto second = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_shuffle_epi8(_mm_unpackhi_epi8(left, right), reverse)));
        bits[4 * c] = static_cast<std::uint8_t>(first);
        bits[4 * c + 1] = static_cast<std::uint8_t>(first >> 8);
        bits[4 * c + 2] = static_cast<std::uint8_t>(second);
        bits[4 * c + 3] = static_cast<std::uint8_t>(second >> 8);
    }
    return 4 * chunks;
}
#endif

// The bits of eight pixels whose red components lie `step` bytes apart from
// `red` on, the first in bit 7.
template <unsigned kStep>
std::uint8_t EightRedBits(const BYTE* red, std::uint8_t litFrom) {
    const auto unlit = [&](unsigned k) { return red[kStep * k] < litFrom ? 1u : 0u; };
    return static_cast<std::uint8_t>(unlit(0) << 7 | unlit(1) << 6 | unlit(2) << 5 | unlit(3) << 4 |
                                     unlit(4) << 3 | unlit(5) << 2 | unlit(6) << 1 | unlit(7));
}

// The bits of `count` (up to eight) pixels whose red components lie `step`
// bytes apart from `red` on, the first in bit 7.
std::uint8_t RedBits(const BYTE* red, unsigned step, unsigned count, std::uint8_t litFrom) {
    unsigned bits = 0;
    for (unsigned k = 0; k < count; ++k) bits |= (red[step * k] < litFrom ? 1u : 0u) << (7 - k);
    return static_cast<std::uint8_t>(bits);
}

}  // namespace

void BitmapRows::Read(std::uint32_t y, std::uint8_t* bits) const {
    const BYTE* line = FreeImage_GetScanLine(bitmap_, static_cast<int>(height_ - 1 - y));
    switch (layout_) {
        case PixelLayout::Rgb24:
        case PixelLayout::Rgb32:
            ReadReds(line, bits);
            break;
        case PixelLayout::Palette8:
            ReadBytes(line, bits);
            break;
        case PixelLayout::Palette4:
            ReadNibbles(line, bits);
            break;
        case PixelLayout::Palette1:
            for (std::uint32_t j = 0; j < RowBytes(width_); ++j) bits[j] = unlitBits_[line[j]];
            break;
    }
}

// The bits of one component of every pixel of a row, unlit below `litFrom`.
template <int kAt>
void BitmapRows::ReadComponent(const BYTE* line, std::uint8_t litFrom, std::uint8_t* bits) const {
    const std::uint32_t whole = width_ / 8;  // groups of eight pixels
    const std::uint32_t rest = width_ % 8;
    const bool rgb24 = layout_ == PixelLayout::Rgb24;
    const unsigned step = rgb24 ? 3 : 4;
    std::uint32_t done = 0;  // bytes of bits already made
#ifdef PELMO_ROWS_SSSE3
    if (vectors_) {
        if constexpr (kAt == FI_RGBA_RED) {
            done = rgb24 ? Chunks<3, kAt>(line, width_ / 16, litFrom, bits)
                         : Chunks<4, kAt>(line, width_ / 16, litFrom, bits);
        } else {  // opacity comes from 32-bit pixels alone
            done = Chunks<4, kAt>(line, width_ / 16, litFrom, bits);
        }
    }
#endif
    const BYTE* component = line + kAt;
    for (std::uint32_t j = done; j < whole; ++j) {
        bits[j] = rgb24 ? EightRedBits<3>(component + 24 * j, litFrom)
                        : EightRedBits<4>(component + 32 * j, litFrom);
    }
    if (rest != 0) bits[whole] = RedBits(component + 8 * step * whole, step, rest, litFrom);
}

void BitmapRows::ReadReds(const BYTE* line, std::uint8_t* bits) const {
    if (alpha_ != AlphaRule::Only) ReadComponent<FI_RGBA_RED>(line, litFrom_, bits);
    if (alpha_ == AlphaRule::Ignore) return;
    // Less than half opaque is off, whatever the tone.
    std::uint8_t* const opacity = alpha_ == AlphaRule::Only ? bits : alphaBits_.data();
    ReadComponent<FI_RGBA_ALPHA>(line, 128, opacity);
    if (alpha_ == AlphaRule::Cut) {
        for (std::size_t j = 0; j < alphaBits_.size(); ++j) bits[j] |= alphaBits_[j];
    }
}

void BitmapRows::ReadBytes(const BYTE* line, std::uint8_t* bits) const {
    const std::uint32_t whole = width_ / 8;
    const std::uint32_t rest = width_ % 8;
    const auto& table = unlitBits_;
    for (std::uint32_t j = 0; j < whole; ++j) {
        const BYTE* p = line + 8 * j;
        bits[j] = static_cast<std::uint8_t>(table[p[0]] << 7 | table[p[1]] << 6 | table[p[2]] << 5 |
                                            table[p[3]] << 4 | table[p[4]] << 3 | table[p[5]] << 2 |
                                            table[p[6]] << 1 | table[p[7]]);
    }
    if (rest != 0) {
        unsigned last = 0;
        for (unsigned k = 0; k < rest; ++k) last |= table[line[8 * whole + k]] << (7 - k);
        bits[whole] = static_cast<std::uint8_t>(last);
    }
}

void BitmapRows::ReadNibbles(const BYTE* line, std::uint8_t* bits) const {
    const std::uint32_t whole = width_ / 8;
    const std::uint32_t rest = width_ % 8;
    const auto& table = unlitBits_;
    std::uint32_t done = 0;
#ifdef PELMO_ROWS_SSSE3
    if (vectors_) done = NibbleChunks(line, width_ / 32, nibbleFlags_.data(), bits);
#endif
    for (std::uint32_t j = done; j < whole; ++j) {
        const BYTE* p = line + 4 * j;
        bits[j] = static_cast<std::uint8_t>(table[p[0]] << 6 | table[p[1]] << 4 | table[p[2]] << 2 |
                                            table[p[3]]);
    }
    if (rest != 0) {
        unsigned last = 0;
        for (unsigned k = 0; k < (rest + 1) / 2; ++k)
            last |= table[line[4 * whole + k]] << (6 - 2 * k);
        bits[whole] = static_cast<std::uint8_t>(last);
    }
}

}  // namespace pelmo
