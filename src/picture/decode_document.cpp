// The decoding child's work, the one path for every picture: a picture is a
// document of one or more pages (the frames of a GIF, the pages of a TIFF,
// the images of an ICO with -frames all), and a single picture is a
// document's first page. The headers first, within a small fixed budget;
// then the cost the pages declare, and the library's decoder within it, page
// by page; then each page's plane, block by block.
#include <algorithm>
#include <optional>
#include <vector>

#include "base/cost.hpp"
#include "base/limits.hpp"
#include "picture/bitmap.hpp"
#include "picture/block_sender.hpp"
#include "picture/decode_checks.hpp"
#include "picture/formats/facts.hpp"
#include "picture/formats/format_rules.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/isolated_decode.hpp"
#include "picture/library_reading.hpp"
#include "picture/picture_input.hpp"
#include "picture/screen_playback.hpp"
#include "plane/frames.hpp"

namespace pelmo {

namespace {

// The pages a document sends, one below the other, each at the same size.
struct Sheet {
    std::vector<std::size_t> chosen;  // their places in the document
    std::uint32_t width = 0;          // the size each is sent at: a GIF's screen
    std::uint32_t height = 0;
    bool single = true;  // the first picture of a file, whatever it holds besides

    std::uint64_t Count() const { return chosen.size(); }
};

// What is known of the file while it is decoded.
struct Decoding {
    const DecodeRequest& request;
    const FormatRules& rules;
    PictureInput& input;
    Document document;
    Sheet sheet;
};

// A check passed.
DecodeResult Passed() {
    return {DecodeStatus::Ok};
}

DecodeResult Refused(DecodeStatus status, std::uint32_t width = 0, std::uint32_t height = 0,
                     Misread misread = Misread::None) {
    return {status, width, height, height, misread};
}

// Every frame of a GIF, each as large as its screen; every page of a TIFF
// (one of another size refuses the file); the images of an ICO as large as
// its first. A frame within the pixel limit on its own.
DecodeResult ChoosePages(Decoding& d) {
    const std::vector<Page>& pages = d.document.pages;
    const PictureFacts& first = pages.front().facts;
    Sheet& sheet = d.sheet;
    sheet.single = !d.request.options.allFrames || d.rules.pages == nullptr;
    sheet.width = d.document.onScreen ? d.document.screenWidth : first.width;
    sheet.height = d.document.onScreen ? d.document.screenHeight : first.height;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        const PictureFacts& own = pages[page].facts;
        // A frame on a screen is decoded at its own size, whatever the
        // screen's (the pages of other files are as large as the sheet's).
        const DecodeStatus status = CountRefusal(own.Pixels(), d.request);
        if (d.document.onScreen && status != DecodeStatus::Ok) {
            return Refused(status, own.width, own.height);
        }
        if (!d.document.onScreen && (own.width != first.width || own.height != first.height)) {
            if (d.request.format != FIF_TIFF) continue;
            return Refused(DecodeStatus::PagesDiffer, sheet.width, sheet.height);
        }
        sheet.chosen.push_back(page);
    }
    return Passed();
}

// The refusals the headers decide for the pages stacked: all of them within
// the limit, and each page's height as -pad makes it a multiple of 8. A
// single picture's size is settled by the library's reading of it.
DecodeResult SheetResult(const Decoding& d) {
    const SheetCut cut = CutOf(d.request.options, d.sheet.width, d.sheet.height);
    const std::uint64_t height = cost::Mul(d.sheet.Count(), cut.Height());
    DecodeResult result{DecodeStatus::Ok, d.sheet.width, 0, d.sheet.height};
    result.pages = static_cast<std::uint32_t>(d.sheet.Count());
    result.status = CountRefusal(cost::Mul(d.sheet.width, height), d.request);
    if (result.status == DecodeStatus::Ok && !d.sheet.single && cut.Height() % 8 != 0) {
        result.status = DecodeStatus::BadHeight;
    }
    // A height beyond 32 bits is refused for its pixels, which sizes cannot
    // count; a height that is sent, or named in a refusal, fits.
    result.height = static_cast<std::uint32_t>(std::min<std::uint64_t>(height, UINT32_MAX));
    return result;
}

// The headers of every page, read within the walk's budget; the pages the
// document sends and the refusals their headers decide.
DecodeResult ReadHeaders(Decoding& d) {
    d.input.LimitReading(kStreamHeaderReach);
    HeaderReads reads(d.input);
    Expected<Document> document =
        ReadDocument(d.request.format, reads, d.request.options.allFrames);
    // A walk stopped by its budget, or a stream's headers beyond their
    // reach, is refused for its cost, never taken for a file that ends.
    const bool costly = reads.Exhausted() || d.input.ReachedLimit();
    if (costly || (document && document->pages.size() > kMostPages)) {
        return Refused(DecodeStatus::TooLarge);
    }
    if (!document) return Refused(DecodeStatus::OpenFailed);
    d.document = std::move(*document);
    if (const DecodeResult chosen = ChoosePages(d); chosen.status != DecodeStatus::Ok) {
        return chosen;
    }
    return SheetResult(d);
}

// The cost the pages declare: their pixels decoded (and for frames on a
// screen, the screen drawn for each), the largest held at once, the largest
// decoder's memory, and for a stream the bytes it may buffer.
DecodeCost DeclaredCost(const Decoding& d, std::uint64_t reach) {
    DecodeCost cost;
    const std::uint64_t screen = std::uint64_t{d.sheet.width} * d.sheet.height;
    for (const std::size_t page : d.sheet.chosen) {
        const PictureFacts& facts = d.document.pages[page].facts;
        cost.pixels = cost::Add(cost.pixels, std::max(facts.Pixels(), kPagePixels));
        cost.held = std::max(cost.held, facts.Pixels());
        cost.decoderMemory = std::max(cost.decoderMemory, facts.decoderMemory);
    }
    if (d.document.onScreen) {
        cost.pixels = cost::Add(cost.pixels, cost::Mul(screen, d.sheet.Count()));
        cost.held = cost::Add(cost.held, screen);
    }
    const std::uint64_t declared = cost::Mul(screen, d.sheet.Count());
    if (d.input.IsStream())
        cost.buffered = std::min(reach, cost::Mul(declared, kStreamBytesPerPixel));
    return cost;
}

// How far a stream may be read: what the pages could need (a little, when a
// header cannot tell what its bytes hold), and at least what the walk read.
std::uint64_t Reach(const Decoding& d) {
    std::uint64_t reach = 0;
    for (const std::size_t page : d.sheet.chosen) {
        const PictureFacts& facts = d.document.pages[page].facts;
        reach = std::max(
            reach, facts.sure ? facts.mostSize : std::min(facts.mostSize, kUnsureStreamBytes));
    }
    return std::max(reach, d.input.Size(0));
}

// The cost of the pages, the child held to it, and files long enough for
// their pixels: a page whose header could not tell what its bytes hold is
// held to what they can stand for at the format's best.
DecodeResult CheckCost(Decoding& d, const ChildReply& reply) {
    const std::uint64_t reach = Reach(d);
    d.input.LimitReading(reach);
    DecodeCost cost = DeclaredCost(d, reach);
    bool unsure = false;
    for (const std::size_t page : d.sheet.chosen) unsure |= !d.document.pages[page].facts.sure;
    // Sure headers state the cost, which bounds what is read next; what an
    // unsure one may read is held to kUnsureStreamBytes meanwhile.
    if (!unsure && LimitCost(d.request, cost, reply) != DecodeStatus::Ok) {
        return Refused(DecodeStatus::TooLarge);
    }
    std::uint64_t supported = 0;
    for (const std::size_t page : d.sheet.chosen) {
        const Page& p = d.document.pages[page];
        SplicedBytes bytes(d.input, p.splice);
        // Of a stream, no more than the least size is read before the decoder
        // asks, unless the checks need its end.
        const bool toTheEnd = !p.facts.sure || d.rules.checksNeedTheEnd;
        const std::uint64_t size = toTheEnd ? bytes.Size() : bytes.Size(p.facts.leastSize);
        if (!HoldsItsPixels(d.request.format, bytes, p.facts, size)) {
            return Refused(DecodeStatus::OpenFailed);
        }
        supported = cost::Add(supported, PixelsSupported(p.facts, size));
    }
    if (unsure) {
        // Held to what the bytes can stand for at the format's best.
        const std::uint64_t declared = std::max<std::uint64_t>(cost.pixels, 1);
        if (supported < declared) {
            cost.decoderMemory = cost::MulDiv(cost.decoderMemory, supported, declared);
            cost.held = std::min(cost.held, supported);
            cost.pixels = supported;
        }
        if (LimitCost(d.request, cost, reply) != DecodeStatus::Ok) {
            return Refused(DecodeStatus::TooLarge);
        }
    }
    return Passed();
}

// The library's own reading of a large page's header, where it can read one
// alone: the size it finds decides the refusals a size decides, before any
// pixel is decoded, and the bitmaps it needs must fit in `budget`.
DecodeResult CheckLibraryHeader(const Decoding& d, const Page& page, std::uint64_t budget) {
    if (page.facts.sure && page.facts.Pixels() <= kSmallPicture) return Passed();
    if (!FreeImage_FIFSupportsNoPixels(d.request.format)) {
        return d.sheet.single ? SizeRefusal(page.facts.width, page.facts.height, d.request)
                              : Passed();
    }
    LibraryReading reading(d.input, page.splice);
    const Bitmap header = reading.Load(d.request.format, FIF_LOAD_NOPIXELS);
    if (!header) return Passed();  // the decoder will say
    const std::uint32_t width = FreeImage_GetWidth(header.get());
    const std::uint32_t height = FreeImage_GetHeight(header.get());
    DecodeResult result = Passed();
    if (d.sheet.single) {
        result = SizeRefusal(width, height, d.request);
    } else if (width != page.facts.width || height != page.facts.height) {
        result.status = DecodeStatus::OpenFailed;  // the library reads another page than its header
    }
    if (result.status == DecodeStatus::Ok &&
        BitmapsNeeded(header.get(), AlphaRuleOf(d.request.options)) > AvailableMemory(budget)) {
        result.status = DecodeStatus::TooLarge;
    }
    return result;
}

// A page as the library decodes it, after its checks: whole, of the size its
// header declares, read as a variant the library reads right, with the
// opacity it declares.
struct DecodedPage {
    Bitmap bitmap;
    DecodeResult refusal{DecodeStatus::Ok};
};

DecodedPage DecodePage(const Decoding& d, const Page& page) {
    LibraryReading reading(d.input, page.splice);
    DecodedPage decoded;
    bool lost = false;
    {
        const DecoderReports reports;
        decoded.bitmap = reading.Load(d.request.format, d.document.onScreen ? GIF_LOAD256 : 0);
        lost = reports.PixelsLost();
    }
    FIBITMAP* bitmap = decoded.bitmap.get();
    if (bitmap == nullptr) {
        decoded.refusal = Refused(DecodeStatus::OpenFailed);
        return decoded;
    }
    const std::uint32_t width = FreeImage_GetWidth(bitmap);
    const std::uint32_t height = FreeImage_GetHeight(bitmap);
    // The library has read it: a variant it misreads is refused by name,
    // whatever else its misreading did.
    if (page.facts.misread != Misread::None) {
        decoded.refusal = Refused(DecodeStatus::Misread, width, height, page.facts.misread);
    } else if (lost || reading.EndedEarly(d.rules.dataEnd) ||
               (!d.sheet.single && (width != page.facts.width || height != page.facts.height))) {
        decoded.refusal = Refused(DecodeStatus::OpenFailed);
    } else if (AlphaRuleOf(d.request.options) != AlphaRule::Ignore &&
               page.facts.opacity == Opacity::Declared && !KeepsAlpha(bitmap)) {
        // Opacity asked for and declared, but dropped by the decoder: an
        // opaque picture would be made up.
        decoded.refusal = Refused(DecodeStatus::AlphaDropped, width, height);
    }
    return decoded;
}

// Sends a page's plane: the pixels BitmapRows reads of it, after the
// 32-bit conversion where they cannot be read as they are, and before the
// first page's blocks its size (early, so that the parent makes room for the
// plane meanwhile) and the result. Opacity follows the options; a page whose
// header declares none has the mask of an opaque one, whatever the library
// made up. With -tones, `strays` are the page's pixels that are none of its
// colours.
DecodeResult SendPage(const Decoding& d, Bitmap& decoded, FIBITMAP* shown, Opacity opacity,
                      bool first, const DecodeResult& result, const ChildReply& reply,
                      StrayPixels& strays) {
    if (first && !reply.Size(result.width, result.height)) return Refused(DecodeStatus::OpenFailed);
    const PlaneSources sources{AlphaRuleOf(d.request.options), opacity == Opacity::None};
    Bitmap converted;
    FIBITMAP* pixels = nullptr;
    if (sources.ReadsPixels(d.request.options)) {
        pixels = ReadablePixels(shown, sources.Rule(), converted);
        if (pixels == nullptr) {
            return Refused(DecodeStatus::ConvertFailed, result.width, result.pictureHeight);
        }
        if (converted && shown == decoded.get()) decoded.reset();  // nothing reads it any more
    }
    const SheetCut cut = CutOf(d.request.options, d.sheet.width, d.sheet.height);
    if ((first && !reply.Result(result)) ||
        !SendBlocks(pixels, d.sheet.width, d.request.options, sources, cut, reply, strays)) {
        return Refused(DecodeStatus::OpenFailed);
    }
    return result;
}

// Decodes and sends every page; the first page's checks, and for a single
// picture the size the library decodes, decide the result sent before any
// block. A refusal after that ends the blocks.
void SendPages(Decoding& d, DecodeResult result, const ChildReply& reply) {
    std::optional<ScreenPlayback> screen;
    if (d.document.onScreen) screen.emplace(d.document, d.sheet.width, d.sheet.height);
    for (std::size_t n = 0; n < d.sheet.chosen.size(); ++n) {
        const Page& page = d.document.pages[d.sheet.chosen[n]];
        DecodedPage decoded = DecodePage(d, page);
        if (decoded.refusal.status == DecodeStatus::Ok && d.sheet.single) {
            decoded.refusal = SizeRefusal(FreeImage_GetWidth(decoded.bitmap.get()),
                                          FreeImage_GetHeight(decoded.bitmap.get()), d.request);
            result = decoded.refusal;
            d.sheet.width = result.width;
            d.sheet.height = result.pictureHeight;
        }
        if (decoded.refusal.status != DecodeStatus::Ok) {
            reply.Result(decoded.refusal);
            return;
        }
        FIBITMAP* shown = screen ? screen->Draw(decoded.bitmap.get(), page.clearedOnceShown)
                                 : decoded.bitmap.get();
        if (shown == nullptr) {
            reply.Result(Refused(DecodeStatus::OpenFailed));
            return;
        }
        StrayPixels strays;
        const DecodeResult sent =
            SendPage(d, decoded.bitmap, shown, page.facts.opacity, n == 0, result, reply, strays);
        if (sent.status != DecodeStatus::Ok) {
            if (n == 0 || sent.status != DecodeStatus::OpenFailed) reply.Result(sent);
            return;
        }
        result.strays.Add(strays, static_cast<std::uint32_t>(n) * d.sheet.height);
        if (screen) screen->Dispose();
    }
    reply.Result(result);  // all there
}

}  // namespace

// A file of several pages holds as many as the library finds in it: it
// decides what the file is, though its pages are then read one by one.
DecodeResult CheckPageCount(Decoding& d) {
    if (d.sheet.single) return Passed();
    LibraryReading whole(d.input, Splice::Whole());
    const int count = whole.PageCount(d.request.format);
    return count > 0 && static_cast<std::size_t>(count) == d.document.pages.size()
               ? Passed()
               : Refused(DecodeStatus::OpenFailed);
}

void DecodeDocument(const DecodeRequest& request, int out, std::uint64_t budget) {
    const ChildReply reply(out);
    const FreeImageSession session;
    PictureInput input;
    const FormatRules* rules = RulesFor(request.format);
    if (rules == nullptr || !input.Open(request.fileName)) {
        reply.Result(Refused(DecodeStatus::OpenFailed));
        return;
    }
    Decoding d{request, *rules, input, {}, {}};
    DecodeResult result = ReadHeaders(d);
    if (result.status == DecodeStatus::Ok) result = CheckCost(d, reply);
    if (result.status == DecodeStatus::Ok) result = CheckPageCount(d);
    for (std::size_t n = 0; n < d.sheet.chosen.size() && result.status == DecodeStatus::Ok; ++n) {
        result = CheckLibraryHeader(d, d.document.pages[d.sheet.chosen[n]], budget);
    }
    if (result.status != DecodeStatus::Ok) {
        reply.Result(result);
        return;
    }
    SendPages(d, SheetResult(d), reply);
}

}  // namespace pelmo
