// The decoding child's work: the picture's header first, then the library's
// decoder within what the header justifies, then the plane, block by block.
#include <sys/resource.h>

#include <algorithm>

#include "base/limits.hpp"
#include "picture/bitmap.hpp"
#include "tones/bitmap_rows.hpp"
#include "picture/block_sender.hpp"
#include "picture/decode_steps.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/isolated_decode.hpp"
#include "picture/formats/facts.hpp"
#include "picture/picture_input.hpp"
#include "plane/plane_packing.hpp"

namespace pelmo {

namespace {

// The processor time a decoder may take: this much for any picture, and a
// second more for every so many pixels it may hold. The slowest honest
// pictures measured (16384 x 16384, a 48-bit interlaced PNG and a
// progressive JPEG) decode in 9 and 5 seconds; this allows them 28.
constexpr std::uint64_t kDecodeSeconds = 6;
constexpr std::uint64_t kPixelsPerSecond = 12'000'000;
// Room for the program itself beside the bitmaps and the decoder's memory.
constexpr std::uint64_t kProgramMemory = std::uint64_t{256} << 20;
// How much of a stream a header that cannot tell what its bytes hold may
// have read: its bytes are what its decoder is held to.
constexpr std::uint64_t kUnsureStreamBytes = std::uint64_t{32} << 20;
// Pictures of no more pixels than this are small: their bitmaps fit in the
// program's room, and decoding them costs less than the checks before it.
constexpr std::uint64_t kSmallPicture = std::uint64_t{1} << 20;

// What is left of the budget for new allocations: under an address-space
// limit, what the process has mapped so far (its libraries) counts too.
std::uint64_t AvailableMemory(std::uint64_t budget) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return budget;
    const std::uint64_t mapped = MappedBytes();
    const std::uint64_t left = mapped < limit.rlim_cur ? limit.rlim_cur - mapped : 0;
    return std::min(budget, left);
}

// The bitmaps a picture with this header needs: as decoded, the 32-bit copy
// where the pixels cannot be read directly, and the plane.
std::uint64_t BitmapsNeeded(FIBITMAP* header, AlphaRule alpha) {
    const std::uint64_t w = FreeImage_GetWidth(header);
    const std::uint64_t h = FreeImage_GetHeight(header);
    const std::uint64_t decoded = (w * FreeImage_GetBPP(header) + 31) / 32 * 4 * h;
    const std::uint64_t converted = BitmapRows::ReadsDirectly(header, alpha) ? 0 : w * 4 * h;
    return decoded + converted + w * h / 8;
}

// What the header declares, and whether the file can hold it: the header's
// own refusals (a variant the library misreads, the pixel limit), the cost
// limits, then a file (or the part of a stream that may be read) long enough
// for its pixels. False, with `refusal` set, for a picture to refuse.
bool CheckHeader(const DecodeRequest& request, PictureInput& input, PictureFacts& facts,
                 const ChildReply& reply, DecodeResult& refusal) {
    input.LimitReading(HeaderReach(request.options.maxPixels));
    if (ReadPictureHeader(request.format, input, facts) != HeaderVerdict::Picture) return false;
    if (facts.misread != Misread::None) {
        refusal = {DecodeStatus::Misread, facts.width, facts.height, facts.height, facts.misread};
        return false;
    }
    const std::uint64_t declared = std::uint64_t{facts.width} * facts.height;
    if (const DecodeStatus status = CountRefusal(declared, request); status != DecodeStatus::Ok) {
        refusal = {status, facts.width, facts.height};
        return false;
    }
    // A stream is read no further than the header says the picture could
    // need (a little, when the header cannot tell what its bytes hold: what
    // an endless stream's bytes stand for is no measure), and what is read
    // counts against the memory limit, set first.
    const std::uint64_t reach =
        facts.sure ? facts.mostSize : std::min(facts.mostSize, kUnsureStreamBytes);
    input.LimitReading(reach);
    const std::uint64_t buffered = input.IsStream() ? std::min(reach, declared * 8) : 0;
    LimitCost(request, declared, facts.decoderMemory, buffered, reply);
    // Of a stream, no more than the least size is read before the decoder
    // asks, unless the checks need its end (a PCX's palette, a TGA's last
    // packet, the size an unsure header is held to).
    const bool toTheEnd = !facts.sure || request.format == FIF_PCX || request.format == FIF_TARGA;
    const std::uint64_t size = toTheEnd ? input.Size() : input.SizeAtLeast(facts.leastSize);
    if (!HoldsItsPixels(request.format, input, facts, size)) return false;
    // A header that could not tell what its bytes can hold is held to what
    // they can stand for at the format's best.
    if (!facts.sure) {
        const std::uint64_t supported = PixelsSupported(facts, size);
        const double share = declared == 0 ? 1.0 : double(supported) / double(declared);
        LimitCost(request, supported,
                  static_cast<std::uint64_t>(share * double(facts.decoderMemory)), buffered, reply);
    }
    return true;
}

// The library's own reading of the header, where it can read one alone:
// the size it finds decides the refusals a size decides, before any pixel is
// decoded, and the bitmaps it needs must fit in `budget`.
bool CheckLibraryHeader(const DecodeRequest& request, PictureInput& input,
                        const PictureFacts& facts, std::uint64_t budget, DecodeResult& refusal) {
    // A small picture is decoded in less time than its header is read a second
    // time: what its size decides is decided once it is decoded.
    if (facts.sure && std::uint64_t{facts.width} * facts.height <= kSmallPicture) return true;
    if (!FreeImage_FIFSupportsNoPixels(request.format)) {
        refusal = SizeRefusal(facts.width, facts.height, request);
        return refusal.status == DecodeStatus::Ok;
    }
    const Bitmap header = input.Load(request.format, FIF_LOAD_NOPIXELS);
    if (!header) return true;  // the decoder will say
    refusal =
        SizeRefusal(FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()), request);
    if (refusal.status != DecodeStatus::Ok) return false;
    if (BitmapsNeeded(header.get(), AlphaRuleOf(request.options)) > AvailableMemory(budget)) {
        refusal.status = DecodeStatus::TooLarge;
        return false;
    }
    return true;
}

// The decoded picture's plane, after its checks: its height (padded with
// -pad), the limit, and the 32-bit conversion where its pixels cannot be read
// as they are. Opacity follows `alpha`; a picture without any has the mask
// of an opaque one, whatever the library made up.
void SendPicture(const DecodeRequest& request, Bitmap loaded, AlphaRule alpha, bool opaque,
                 const ChildReply& reply) {
    const std::uint32_t width = FreeImage_GetWidth(loaded.get());
    DecodeResult result = SizeRefusal(width, FreeImage_GetHeight(loaded.get()), request);
    if (result.status != DecodeStatus::Ok) {
        reply.Result(result);
        return;
    }
    reply.Size(result.width, result.height);
    const PlaneSources sources{alpha, opaque};
    Bitmap converted;
    FIBITMAP* pixels = nullptr;
    if (sources.ReadsPixels(request.options)) {
        pixels = ReadablePixels(loaded.get(), sources.Rule(), converted);
        if (pixels == nullptr) {
            result.status = DecodeStatus::ConvertFailed;
            reply.Result(result);
            return;
        }
        if (converted) loaded.reset();  // nothing reads it any more
    }
    const SheetCut cut = CutOf(request.options, width, result.pictureHeight);
    if (!reply.Result(result) || !SendBlocks(pixels, width, request.options, sources, cut, reply)) {
        return;
    }
    reply.Result(result);  // all there
}

}  // namespace

std::uint64_t HeaderReach(std::uint64_t maxPixels) {
    return (std::uint64_t{16} << 20) + 8 * maxPixels;
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
        result.status = CountRefusal(width * planeHeight, request);
    }
    return result;
}

void LimitCost(const DecodeRequest& request, std::uint64_t pixels, std::uint64_t decoderMemory,
               std::uint64_t buffered, const ChildReply& reply, std::uint64_t extraSeconds) {
    if (!request.confine) return;
    const std::uint64_t seconds = kDecodeSeconds + pixels / kPixelsPerSecond + extraSeconds;
    LimitDecoderTime(seconds);
    reply.Budget(static_cast<std::uint32_t>(seconds));
    // The bitmap as decoded (up to 8 bytes a pixel, for 16-bit RGBA) and its
    // 32-bit copy; a stream's buffer while it grows holds its old bytes and
    // the new room at once.
    LimitDecoderMemory(12 * pixels + decoderMemory + 3 * buffered + kProgramMemory);
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

DecodeStatus CountRefusal(std::uint64_t count, const DecodeRequest& request) {
    if (count > kMostPixels) return DecodeStatus::TooLarge;
    return count > request.options.maxPixels ? DecodeStatus::OverLimit : DecodeStatus::Ok;
}

void DecodePicture(const DecodeRequest& request, int out, std::uint64_t budget) {
    const ChildReply reply(out);
    FreeImageSession session;
    PictureInput input;
    PictureFacts facts;
    DecodeResult refusal;  // a failed open unless a check says more
    // The header's facts and refusals, a file long enough for its pixels, and
    // the library's own reading of the header within `budget`, before the
    // library decodes anything.
    if (!input.Open(request.fileName) || !CheckHeader(request, input, facts, reply, refusal) ||
        !CheckLibraryHeader(request, input, facts, budget, refusal)) {
        reply.Result(refusal);
        return;
    }
    Bitmap loaded;
    bool lost = false;
    {
        const DecoderReports reports;
        loaded = input.Load(request.format, 0);
        lost = reports.PixelsLost();
    }
    if (!loaded || lost || input.EndedEarly(request.format)) {
        reply.Result(DecodeResult());
        return;
    }
    // Opacity asked for and declared, but dropped by the decoder: an opaque
    // picture would be made up.
    const AlphaRule alpha = AlphaRuleOf(request.options);
    if (alpha != AlphaRule::Ignore && facts.opacity == Opacity::Declared &&
        !KeepsAlpha(loaded.get())) {
        reply.Result({DecodeStatus::AlphaDropped, FreeImage_GetWidth(loaded.get()),
                      FreeImage_GetHeight(loaded.get())});
        return;
    }
    SendPicture(request, std::move(loaded), alpha, facts.opacity == Opacity::None, reply);
}

}  // namespace pelmo
