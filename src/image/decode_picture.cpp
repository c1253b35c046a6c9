// The decoding child's work: the picture's header first, then the library's
// decoder within what the header justifies, then the plane, block by block.
#include <sys/resource.h>

#include <algorithm>

#include "base/limits.hpp"
#include "image/bitmap.hpp"
#include "image/bitmap_rows.hpp"
#include "image/block_sender.hpp"
#include "image/decode_steps.hpp"
#include "image/freeimage_session.hpp"
#include "image/isolated_decode.hpp"
#include "image/picture_header.hpp"
#include "image/picture_input.hpp"
#include "image/plane_packing.hpp"

namespace pelmo {

namespace {

// The processor time a decoder may take: this much for any picture, and a
// second more for every so many pixels it declares. The slowest honest
// pictures measured (16384 x 16384, a 48-bit interlaced PNG and a
// progressive JPEG) decode in 9 and 5 seconds; this allows them 28.
constexpr std::uint64_t kDecodeSeconds = 6;
constexpr std::uint64_t kPixelsPerSecond = 12'000'000;
// Room for the program itself beside the bitmaps and the decoder's memory.
constexpr std::uint64_t kProgramMemory = std::uint64_t{256} << 20;

// How far into a stream its header may lie: past what comes before the
// pixels of the largest picture allowed, at eight bytes a pixel.
std::uint64_t HeaderReach(std::uint64_t maxPixels) {
    return (std::uint64_t{16} << 20) + 8 * maxPixels;
}

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

// A picture of `count` pixels: more than sizes can count, over the limit,
// or Ok.
DecodeStatus CountRefusal(std::uint64_t count, const DecodeRequest& request) {
    if (count > kMostPixels) return DecodeStatus::TooLarge;
    return count > request.options.maxPixels ? DecodeStatus::OverLimit : DecodeStatus::Ok;
}

// What the header declares, and whether the file can hold it: the pixel
// limits, then a file (or the part of a stream that may be read) long enough
// for its pixels. Processor time is limited as soon as the size is known.
// False, with `refusal` set, for a picture to refuse.
bool CheckHeader(const DecodeRequest& request, PictureInput& input, PictureFacts& facts,
                 DecodeResult& refusal) {
    input.LimitReading(HeaderReach(request.options.maxPixels));
    if (ReadPictureHeader(request.format, input, facts) != HeaderVerdict::Picture) return false;
    const std::uint64_t declared = std::uint64_t{facts.width} * facts.height;
    if (const DecodeStatus status = CountRefusal(declared, request); status != DecodeStatus::Ok) {
        refusal = {status, facts.width, facts.height};
        return false;
    }
    if (request.confine) LimitDecoderTime(kDecodeSeconds + declared / kPixelsPerSecond);
    input.LimitReading(facts.mostSize);
    return HoldsItsPixels(request.format, input, facts, input.Size());
}

// The memory the picture needs, from the library's reading of its header
// where it can read one: refused when it cannot fit in `budget`, and the
// child limited to it otherwise.
bool CheckMemory(const DecodeRequest& request, PictureInput& input, const PictureFacts& facts,
                 std::uint64_t budget, DecodeResult& refusal) {
    std::uint64_t bitmaps = 2 * std::uint64_t{facts.width} * facts.height * 4;
    if (FreeImage_FIFSupportsNoPixels(request.format)) {
        const Bitmap header = input.Load(request.format, FIF_LOAD_NOPIXELS);
        if (header) {
            bitmaps = BitmapsNeeded(header.get(), AlphaRuleOf(request.options));
            if (bitmaps > AvailableMemory(budget)) {
                refusal = {DecodeStatus::TooLarge, FreeImage_GetWidth(header.get()),
                           FreeImage_GetHeight(header.get())};
                return false;
            }
        }
    }
    if (request.confine) LimitDecoderMemory(bitmaps + facts.decoderMemory + kProgramMemory);
    return true;
}

// The decoded picture's plane, after its checks: its height (padded with
// -pad), the limit, and the 32-bit conversion where its pixels cannot be read
// as they are.
void SendPicture(const DecodeRequest& request, Bitmap loaded, const ChildReply& reply) {
    const std::uint32_t pictureHeight = FreeImage_GetHeight(loaded.get());
    const SheetCut cut = CutOf(request.options, FreeImage_GetWidth(loaded.get()), pictureHeight);
    const std::uint32_t height = cut.Height();
    DecodeResult result{DecodeStatus::Ok, FreeImage_GetWidth(loaded.get()), height, pictureHeight};
    const std::uint64_t count = std::uint64_t{result.width} * height;
    result.status = !cut.whole        ? DecodeStatus::NotFrames
                    : height % 8 != 0 ? DecodeStatus::BadHeight
                                      : CountRefusal(count, request);
    if (result.status != DecodeStatus::Ok) {
        reply.Result(result);
        return;
    }
    reply.Size(result.width, height);
    Bitmap converted;
    FIBITMAP* pixels = ReadablePixels(loaded.get(), request.options, converted);
    if (pixels == nullptr) {
        result.status = DecodeStatus::ConvertFailed;
        reply.Result(result);
        return;
    }
    if (converted) loaded.reset();  // nothing reads it any more
    if (!reply.Result(result) || !SendBlocks(pixels, request.options, cut, reply)) return;
    reply.Result(result);  // all there
}

}  // namespace

bool CheckBeforeDecoding(const DecodeRequest& request, PictureInput& input, PictureFacts& facts,
                         std::uint64_t budget, DecodeResult& refusal) {
    return CheckHeader(request, input, facts, refusal) &&
           CheckMemory(request, input, facts, budget, refusal);
}

void ConfineDecoder(std::uint64_t pixels, std::uint64_t memory) {
    LimitDecoderTime(kDecodeSeconds + pixels / kPixelsPerSecond);
    LimitDecoderMemory(memory + kProgramMemory);
}

void DecodePicture(const DecodeRequest& request, int out, std::uint64_t budget) {
    const ChildReply reply(out);
    FreeImageSession session;
    PictureInput input;
    PictureFacts facts;
    DecodeResult refusal;  // a failed open unless a check says more
    if (!input.Open(request.fileName) || !CheckHeader(request, input, facts, refusal) ||
        !CheckMemory(request, input, facts, budget, refusal)) {
        reply.Result(refusal);
        return;
    }
    Bitmap loaded = input.Load(request.format, 0);
    if (!loaded || input.EndedEarly(request.format)) {
        reply.Result(DecodeResult());
        return;
    }
    SendPicture(request, std::move(loaded), reply);
}

}  // namespace pelmo
