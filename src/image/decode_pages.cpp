// The decoding child's work for -frames all: the pages of a file that holds
// several (the frames of a GIF as it is shown, the pages of a TIFF, the images
// of an ICO), each checked and sent as a picture is, one below the other.
#include <optional>
#include <vector>

#include "base/limits.hpp"
#include "image/bitmap.hpp"
#include "image/block_sender.hpp"
#include "image/decode_steps.hpp"
#include "image/freeimage_session.hpp"
#include "image/isolated_decode.hpp"

namespace pelmo {

namespace {

struct PageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const PageSize&) const = default;
};

// A page, locked for as long as it is read.
class LockedPage {
  public:
    LockedPage(FIMULTIBITMAP* pages, int page)
        : pages_(pages), bitmap_(FreeImage_LockPage(pages, page)) {}
    ~LockedPage() {
        if (bitmap_ != nullptr) FreeImage_UnlockPage(pages_, bitmap_, FALSE);
    }
    LockedPage(const LockedPage&) = delete;
    LockedPage& operator=(const LockedPage&) = delete;

    FIBITMAP* get() const { return bitmap_; }
    PageSize Size() const { return {FreeImage_GetWidth(bitmap_), FreeImage_GetHeight(bitmap_)}; }

  private:
    FIMULTIBITMAP* pages_;
    FIBITMAP* bitmap_;
};

// The pages to send, all of the first one's size: every frame of a GIF
// (played, so each is as large as its screen), every page of a TIFF (one of
// another size refuses the file), the images of an ICO as large as its first.
// Sizes come from the pages' headers where the decoder reads them alone.
// False, with `refusal` set, for a file to refuse.
bool ChoosePages(const DecodeRequest& request, PictureInput& input, std::vector<int>& chosen,
                 PageSize& size, DecodeResult& refusal) {
    const bool played = request.format == FIF_GIF;
    const PictureInput::Pages pages =
        input.OpenPages(request.format, played ? GIF_PLAYBACK : FIF_LOAD_NOPIXELS);
    const int count = pages ? FreeImage_GetPageCount(pages.get()) : 0;
    for (int page = 0; page < count; ++page) {
        const LockedPage locked(pages.get(), page);
        if (locked.get() == nullptr) return false;
        if (page == 0) size = locked.Size();
        if (locked.Size() == size) {
            chosen.push_back(page);
        } else if (request.format == FIF_TIFF) {
            refusal = {DecodeStatus::PagesDiffer, size.width, size.height, size.height};
            return false;
        }
        if (played) {  // every frame of a GIF is played onto its screen
            for (int rest = page + 1; rest < count; ++rest) chosen.push_back(rest);
            break;
        }
    }
    return !chosen.empty();
}

}  // namespace

void DecodePages(const DecodeRequest& request, int out, std::uint64_t budget) {
    if (request.format != FIF_GIF && request.format != FIF_TIFF && request.format != FIF_ICO) {
        DecodePicture(request, out, budget);  // a file of one picture: one frame
        return;
    }
    const ChildReply reply(out);
    FreeImageSession session;
    PictureInput input;
    PictureFacts facts;
    DecodeResult refusal;  // a failed open unless a check says more
    // The first picture's checks; the limits come from all the pages, and
    // their own size decides the height (a GIF's frames take its screen's).
    DecodeRequest first = request;
    first.confine = false;
    first.options.pad = true;
    std::vector<int> chosen;
    PageSize size;
    if (!input.Open(request.fileName) ||
        !CheckBeforeDecoding(first, input, facts, budget, reply, refusal)) {
        reply.Result(refusal);
        return;
    }
    // A stream holding many pages is read as far as pictures within the
    // pixel limit could fill, at eight bytes a pixel.
    input.LimitReading((std::uint64_t{16} << 20) + 8 * request.options.maxPixels);
    if (!ChoosePages(request, input, chosen, size, refusal)) {
        reply.Result(refusal);
        return;
    }

    const SheetCut cut = CutOf(request.options, size.width, size.height);
    const auto pages = static_cast<std::uint32_t>(chosen.size());
    const std::uint64_t height = std::uint64_t{pages} * cut.Height();
    const std::uint64_t count = size.width * height;
    DecodeResult result{DecodeStatus::Ok, size.width, static_cast<std::uint32_t>(height),
                        size.height};
    result.pages = pages;
    result.status = cut.Height() % 8 != 0               ? DecodeStatus::BadHeight
                    : count > kMostPixels               ? DecodeStatus::TooLarge
                    : count > request.options.maxPixels ? DecodeStatus::OverLimit
                                                        : DecodeStatus::Ok;
    if (result.status != DecodeStatus::Ok) {
        if (result.status == DecodeStatus::OverLimit) result.height = result.pictureHeight * pages;
        reply.Result(result);
        return;
    }
    // Every page costs as a picture of its size.
    const std::uint64_t pixels = std::uint64_t{size.width} * size.height * pages;
    LimitCost(request, pixels, facts.decoderMemory, input.IsStream() ? 8 * pixels : 0, reply);
    reply.Size(result.width, result.height);

    const PictureInput::Pages opened =
        input.OpenPages(request.format, request.format == FIF_GIF ? GIF_PLAYBACK : 0);
    if (!opened || !reply.Result(result)) return;
    for (const int page : chosen) {
        // A page that fails now ends the stream short, which the parent
        // takes for a file it cannot open.
        std::optional<LockedPage> locked;
        {
            const DecoderReports reports;
            locked.emplace(opened.get(), page);
            if (reports.PixelsLost()) return;
        }
        if (locked->get() == nullptr || locked->Size() != size ||
            input.EndedEarly(request.format)) {
            return;
        }
        // A page without opacity is opaque.
        const PlaneSources sources{AlphaRuleOf(request.options), !KeepsAlpha(locked->get())};
        Bitmap converted;
        FIBITMAP* pixels = nullptr;
        if (sources.ReadsPixels(request.options)) {
            pixels = ReadablePixels(locked->get(), sources.Rule(), converted);
            if (pixels == nullptr) return;
        }
        if (!SendBlocks(pixels, size.width, request.options, sources, cut, reply)) return;
    }
    reply.Result(result);  // all there
}

}  // namespace pelmo
