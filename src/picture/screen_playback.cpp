#include "picture/screen_playback.hpp"

#include <algorithm>

namespace pelmo {

namespace {

// The disposals a frame's graphic control may name.
constexpr unsigned kDisposeToBackground = 2;
constexpr unsigned kDisposeToPrevious = 3;

// A number of the frame's animation metadata; 0 where it has none.
unsigned Metadata(FIBITMAP* frame, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_ANIMATION, frame, key, &tag) || tag == nullptr) return 0;
    const void* value = FreeImage_GetTagValue(tag);
    if (value == nullptr) return 0;
    switch (FreeImage_GetTagType(tag)) {
        case FIDT_BYTE:
            return *static_cast<const BYTE*>(value);
        case FIDT_SHORT:
            return *static_cast<const WORD*>(value);
        default:
            return 0;
    }
}

// The frame's transparent colour as the library's playback finds it: the
// first entry of its transparency table that is fully transparent; -1 for
// none.
int TransparentIndex(FIBITMAP* frame) {
    if (!FreeImage_IsTransparent(frame)) return -1;
    const BYTE* table = FreeImage_GetTransparencyTable(frame);
    const unsigned count = FreeImage_GetTransparencyCount(frame);
    for (unsigned i = 0; table != nullptr && i < count; ++i) {
        if (table[i] == 0) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

ScreenPlayback::ScreenPlayback(const Document& document, std::uint32_t width, std::uint32_t height)
    : screen_(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 32)),
      width_(width),
      height_(height) {
    if (document.hasBackground) {
        background_.rgbRed = document.background[0];
        background_.rgbGreen = document.background[1];
        background_.rgbBlue = document.background[2];
    }
    if (!screen_) return;
    for (std::uint32_t y = 0; y < height_; ++y) std::fill_n(Row(y), width_, background_);
}

RGBQUAD* ScreenPlayback::Row(std::uint32_t y) const {
    // The library keeps the bottom row first.
    return reinterpret_cast<RGBQUAD*>(
        FreeImage_GetScanLine(screen_.get(), static_cast<int>(height_ - 1 - y)));
}

FIBITMAP* ScreenPlayback::Draw(FIBITMAP* frame, bool cleared) {
    const RGBQUAD* palette = FreeImage_GetPalette(frame);
    if (!screen_ || FreeImage_GetBPP(frame) != 8 || palette == nullptr) return nullptr;
    const std::uint32_t frameWidth = FreeImage_GetWidth(frame);
    const std::uint32_t frameHeight = FreeImage_GetHeight(frame);
    const std::uint32_t left = Metadata(frame, "FrameLeft");
    const std::uint32_t top = Metadata(frame, "FrameTop");
    place_.left = std::min(left, width_);
    place_.top = std::min(top, height_);
    place_.width = std::min(frameWidth, width_ - place_.left);
    place_.height = std::min(frameHeight, height_ - place_.top);
    disposal_ = cleared ? kDisposeToBackground : Metadata(frame, "DisposalMethod");
    under_.clear();
    if (disposal_ == kDisposeToPrevious) {
        for (std::uint32_t y = 0; y < place_.height; ++y) {
            const RGBQUAD* row = Row(place_.top + y) + place_.left;
            under_.insert(under_.end(), row, row + place_.width);
        }
    }
    const int transparent = TransparentIndex(frame);
    const unsigned colours = FreeImage_GetColorsUsed(frame);
    for (std::uint32_t y = 0; y < place_.height; ++y) {
        RGBQUAD* to = Row(place_.top + y) + place_.left;
        const BYTE* from = FreeImage_GetScanLine(frame, static_cast<int>(frameHeight - 1 - y));
        for (std::uint32_t x = 0; x < place_.width; ++x) {
            if (from[x] == transparent) continue;
            RGBQUAD colour = from[x] < colours ? palette[from[x]] : RGBQUAD{};
            colour.rgbReserved = 255;
            to[x] = colour;
        }
    }
    return screen_.get();
}

void ScreenPlayback::Dispose() {
    for (std::uint32_t y = 0; y < place_.height; ++y) {
        RGBQUAD* row = Row(place_.top + y) + place_.left;
        if (disposal_ == kDisposeToBackground) {
            std::fill_n(row, place_.width, background_);
        } else if (disposal_ == kDisposeToPrevious) {
            std::copy_n(under_.begin() + std::ptrdiff_t{y} * place_.width, place_.width, row);
        }
    }
}

}  // namespace pelmo
