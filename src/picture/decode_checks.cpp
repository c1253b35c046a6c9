#include "picture/decode_checks.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include "base/cost.hpp"
#include "base/limits.hpp"
#include "plane/frames.hpp"

namespace pelmo {

DecodeStatus CountRefusal(std::uint64_t count, const DecodeRequest& request) {
    if (count > kMostPixels) return DecodeStatus::TooLarge;
    return count > request.options.maxPixels ? DecodeStatus::OverLimit : DecodeStatus::Ok;
}

DecodeResult SizeRefusal(std::uint32_t width, std::uint32_t height, const DecodeRequest& request) {
    const SheetCut cut = CutOf(request.options, width, height);
    const std::uint64_t planeHeight = cut.Height();
    DecodeResult result{DecodeStatus::Ok, width, static_cast<std::uint32_t>(planeHeight), height};
    if (!cut.whole) {
        result.status = DecodeStatus::NotFrames;
    } else if (planeHeight % 8 != 0) {
        result.status = DecodeStatus::BadHeight;
    } else {
        result.status = CountRefusal(cost::Mul(width, planeHeight), request);
    }
    return result;
}

std::uint64_t AvailableMemory(std::uint64_t budget) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return budget;
    const std::uint64_t mapped = MappedBytes();
    const std::uint64_t left = mapped < limit.rlim_cur ? limit.rlim_cur - mapped : 0;
    return std::min(budget, left);
}

std::uint64_t BitmapsNeeded(FIBITMAP* header, AlphaRule alpha) {
    const std::uint64_t w = FreeImage_GetWidth(header);
    const std::uint64_t h = FreeImage_GetHeight(header);
    const std::uint64_t decoded = (w * FreeImage_GetBPP(header) + 31) / 32 * 4 * h;
    // 16-bit grey is read through its 8-bit conversion (see ReadablePixels),
    // and that through the 32-bit one where opacity counts.
    const bool grey16 = FreeImage_GetImageType(header) == FIT_UINT16;
    const std::uint64_t grey = grey16 ? (w + 3) / 4 * 4 * h : 0;
    const bool direct =
        grey16 ? alpha == AlphaRule::Ignore : BitmapRows::ReadsDirectly(header, alpha);
    const std::uint64_t converted = direct ? 0 : w * 4 * h;
    return decoded + grey + converted + w * h / 8;
}

DecodeStatus LimitCost(const DecodeRequest& request, const DecodeCost& cost,
                       const ChildReply& reply) {
    // The bitmaps held at once as decoded and as copied; a stream's buffer
    // while it grows holds its old bytes and the new room at once.
    const std::uint64_t memory = cost::Add(cost::Mul(kBytesPerPixel, cost.held), cost.decoderMemory,
                                           cost::Mul(3, cost.buffered), kProgramMemory);
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0 &&
        memory >
            cost::Mul(static_cast<std::uint64_t>(pages), static_cast<std::uint64_t>(pageSize))) {
        return DecodeStatus::TooLarge;
    }
    if (!request.confine) return DecodeStatus::Ok;
    const std::uint64_t seconds = kDecodeSeconds + cost.pixels / kPixelsPerSecond;
    LimitDecoderTime(seconds);
    reply.Budget(static_cast<std::uint32_t>(std::min<std::uint64_t>(seconds, UINT32_MAX)));
    LimitDecoderMemory(memory);
    return DecodeStatus::Ok;
}

bool KeepsAlpha(FIBITMAP* bitmap) {
    switch (FreeImage_GetImageType(bitmap)) {
        case FIT_RGBA16:
        case FIT_RGBAF:
            return true;
        case FIT_BITMAP:
            return BitmapRows::ReadsDirectly(bitmap, AlphaRule::Cut);
        default:
            return false;
    }
}

}  // namespace pelmo
