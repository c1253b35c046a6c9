// The decoding child's work for -frames all: the pictures of a file that
// holds several (the frames of a GIF as it is shown, the pages of a TIFF, the
// images of an ICO), checked from their headers as a picture is, then decoded
// and sent one below the other.
#include <algorithm>
#include <optional>
#include <vector>

#include "base/limits.hpp"
#include "picture/bitmap.hpp"
#include "picture/block_sender.hpp"
#include "picture/decode_steps.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/isolated_decode.hpp"

namespace pelmo {

namespace {

// The library replays a GIF from its first frame for every frame it shows,
// over the whole screen: about this many pixels a second of that.
constexpr std::uint64_t kReplayedPixelsPerSecond = 500'000'000;

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

  private:
    FIMULTIBITMAP* pages_;
    FIBITMAP* bitmap_;
};

// The pages that -frames all sends, as their headers declare them.
struct Pages {
    std::vector<int> chosen;  // their numbers in the file
    std::uint32_t width = 0;  // the size each is read at
    std::uint32_t height = 0;
};

// Every frame of a GIF, each as large as its screen; every page of a TIFF
// (one of another size refuses the file); the images of an ICO as large as
// its first. False, with `refusal` set, for a file to refuse.
bool ChoosePages(const DecodeRequest& request, const PagesFacts& facts, Pages& pages,
                 DecodeResult& refusal) {
    const PictureFacts& first = facts.pages.front();
    const bool screen = request.format == FIF_GIF;
    pages.width = screen ? facts.screenWidth : first.width;
    pages.height = screen ? facts.screenHeight : first.height;
    for (std::size_t page = 0; page < facts.pages.size(); ++page) {
        const PictureFacts& own = facts.pages[page];
        if (!screen && (own.width != first.width || own.height != first.height)) {
            if (request.format != FIF_TIFF) continue;
            refusal = {DecodeStatus::PagesDiffer, pages.width, pages.height, pages.height};
            return false;
        }
        if (own.misread != Misread::None) {
            refusal = {DecodeStatus::Misread, own.width, own.height, own.height, own.misread};
            return false;
        }
        pages.chosen.push_back(static_cast<int>(page));
    }
    return true;
}

// The sizes' refusals for the pages stacked: all of them within the limit,
// and each page's height as -pad makes it a multiple of 8.
DecodeResult PagesResult(const DecodeRequest& request, const Pages& pages) {
    const SheetCut cut = CutOf(request.options, pages.width, pages.height);
    const auto count = static_cast<std::uint32_t>(pages.chosen.size());
    const std::uint64_t height = std::uint64_t{count} * cut.Height();
    const std::uint64_t pixels = std::uint64_t{pages.width} * height;
    DecodeResult result{DecodeStatus::Ok, pages.width, static_cast<std::uint32_t>(height),
                        pages.height};
    result.pages = count;
    result.status = CountRefusal(pixels, request);
    if (result.status == DecodeStatus::Ok && cut.Height() % 8 != 0) {
        result.status = DecodeStatus::BadHeight;
    }
    return result;
}

// The child's limits for the pages: their pixels, the largest decoder's own
// memory, what a stream buffers, and for a GIF the replay of its frames.
void LimitPagesCost(const DecodeRequest& request, const PagesFacts& facts, const Pages& pages,
                    std::uint64_t reach, bool stream, const ChildReply& reply) {
    const std::uint64_t each = std::uint64_t{pages.width} * pages.height;
    const std::uint64_t count = pages.chosen.size();
    std::uint64_t decoderMemory = 0;
    for (const int page : pages.chosen) {
        decoderMemory = std::max(decoderMemory, facts.pages[std::size_t(page)].decoderMemory);
    }
    const std::uint64_t replayed =
        request.format == FIF_GIF ? each * count * (count + 1) / 2 / kReplayedPixelsPerSecond : 0;
    LimitCost(request, each * count, decoderMemory, stream ? reach : 0, reply, replayed);
}

// The pixels BitmapRows reads of a decoded page, after its opacity's checks:
// refused with `status` (AlphaDropped, ConvertFailed) when it cannot be sent.
struct PagePixels {
    PlaneSources sources;
    Bitmap converted;
    FIBITMAP* pixels = nullptr;
    DecodeStatus status = DecodeStatus::Ok;
};

PagePixels ReadablePage(const DecodeRequest& request, FIBITMAP* page, Opacity opacity) {
    PagePixels read;
    const AlphaRule alpha = AlphaRuleOf(request.options);
    if (alpha != AlphaRule::Ignore && opacity == Opacity::Declared && !KeepsAlpha(page)) {
        read.status = DecodeStatus::AlphaDropped;
        return read;
    }
    read.sources = {alpha, opacity == Opacity::None || !KeepsAlpha(page)};
    if (read.sources.ReadsPixels(request.options)) {
        read.pixels = ReadablePixels(page, read.sources.Rule(), read.converted);
        if (read.pixels == nullptr) read.status = DecodeStatus::ConvertFailed;
    }
    return read;
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
    PagesFacts facts;
    Pages pages;
    DecodeResult refusal;  // a failed open unless a check says more
    input.LimitReading(HeaderReach(request.options.maxPixels));
    if (!input.Open(request.fileName) ||
        ReadPageHeaders(request.format, input, facts) != HeaderVerdict::Picture ||
        !ChoosePages(request, facts, pages, refusal)) {
        reply.Result(refusal);
        return;
    }
    // Everything the headers decide, before the library reads a pixel, and
    // the child held to what the pages may cost.
    DecodeResult result = PagesResult(request, pages);
    if (result.status != DecodeStatus::Ok) {
        reply.Result(result);
        return;
    }
    std::uint64_t reach = 0;
    std::uint64_t least = 0;
    for (const PictureFacts& page : facts.pages) {
        reach = std::max(reach, page.mostSize);
        least = std::max(least, page.leastSize);
    }
    input.LimitReading(reach);
    LimitPagesCost(request, facts, pages, reach, input.IsStream(), reply);
    const std::uint64_t size = request.format == FIF_GIF ? input.SizeAtLeast(least) : input.Size();
    for (const int page : pages.chosen) {
        if (!HoldsItsPixels(request.format, input, facts.pages[std::size_t(page)], size)) {
            reply.Result(refusal);
            return;
        }
    }

    const PictureInput::Pages opened =
        input.OpenPages(request.format, request.format == FIF_GIF ? GIF_PLAYBACK : 0);
    if (!opened) {
        reply.Result(refusal);
        return;
    }
    const SheetCut cut = CutOf(request.options, pages.width, pages.height);
    for (std::size_t n = 0; n < pages.chosen.size(); ++n) {
        const int page = pages.chosen[n];
        std::optional<LockedPage> locked;
        {
            const DecoderReports reports;
            locked.emplace(opened.get(), page);
            if (reports.PixelsLost()) locked.reset();
        }
        // A page that fails after the first ends the stream short, which the
        // parent takes for a file it cannot open.
        if (!locked || locked->get() == nullptr || input.EndedEarly(request.format) ||
            FreeImage_GetWidth(locked->get()) != pages.width ||
            FreeImage_GetHeight(locked->get()) != pages.height) {
            if (n == 0) reply.Result(refusal);
            return;
        }
        const PagePixels read =
            ReadablePage(request, locked->get(), facts.pages[std::size_t(page)].opacity);
        if (read.status != DecodeStatus::Ok) {
            if (n == 0) reply.Result({read.status, pages.width, pages.height, pages.height});
            return;
        }
        if (n == 0 && (!reply.Size(result.width, result.height) || !reply.Result(result))) return;
        if (!SendBlocks(read.pixels, pages.width, request.options, read.sources, cut, reply))
            return;
    }
    reply.Result(result);  // all there
}

}  // namespace pelmo
