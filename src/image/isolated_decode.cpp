#include "image/isolated_decode.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <limits>
#include <new>
#include <optional>
#include <utility>

#include "app/write_all.hpp"
#include "base/limits.hpp"
#include "image/bitmap.hpp"
#include "image/bitmap_rows.hpp"
#include "image/freeimage_session.hpp"
#include "image/huge_pages.hpp"
#include "image/picture_header.hpp"
#include "image/picture_input.hpp"
#include "image/plane_packing.hpp"

namespace pelmo {

namespace {

// Owns one end of a pipe.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

// Reads exactly `size` bytes; false on end of file or error.
bool ReadAll(int fd, void* data, std::size_t size) {
    auto* p = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The memory a decode may use: the machine's, or less when the process
// already runs under a lower address-space limit.
std::uint64_t DecodeMemoryBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    std::uint64_t budget = std::numeric_limits<std::uint64_t>::max();
    if (pages > 0 && pageSize > 0) budget = std::uint64_t(pages) * std::uint64_t(pageSize);
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        budget = std::min<std::uint64_t>(budget, limit.rlim_cur);
    }
    return budget;
}

// The child may not take more address space than the budget, so an absurd
// picture fails an allocation instead of driving the machine into swap.
void LimitChildMemory(std::uint64_t budget) {
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves far more
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0) return;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > budget) {
        limit.rlim_cur = static_cast<rlim_t>(budget);
        ::setrlimit(RLIMIT_AS, &limit);
    }
#else
    (void)budget;
#endif
}

// What is left of the budget for new allocations: under an address-space
// limit, what the process has mapped so far (its libraries) counts too.
std::uint64_t AvailableMemory(std::uint64_t budget) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return budget;
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const std::uint64_t mapped = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t left = mapped < limit.rlim_cur ? limit.rlim_cur - mapped : 0;
    return std::min(budget, left);
}

// True when a picture with this header could never be converted: more
// pixels than a 32-bit signed count, or bitmaps (as decoded, the 32-bit copy
// where the pixels cannot be read directly, and the plane) larger than the
// memory there is. Decoding such a file would only fail after minutes of
// allocating (or succeed from data the file does not hold).
std::uint64_t BitmapsNeeded(FIBITMAP* header) {
    const std::uint64_t w = FreeImage_GetWidth(header);
    const std::uint64_t h = FreeImage_GetHeight(header);
    const std::uint64_t decoded = (w * FreeImage_GetBPP(header) + 31) / 32 * 4 * h;
    const std::uint64_t converted = BitmapRows::ReadsDirectly(header) ? 0 : w * 4 * h;
    return decoded + converted + w * h / 8;
}

bool CannotFit(FIBITMAP* header, std::uint64_t available) {
    const std::uint64_t w = FreeImage_GetWidth(header);
    const std::uint64_t h = FreeImage_GetHeight(header);
    return w * h > kMostPixels || BitmapsNeeded(header) > available;
}

// Packs every block of `rows` and sends them in batches; false when the
// parent stopped listening.
bool SendBlocks(const BitmapRows& rows, std::uint32_t width, std::uint32_t height, int out) {
    const std::size_t stride = RowBytes(width);
    std::vector<std::uint8_t> bits(8 * stride);
    const std::uint32_t blocks = height / 8;
    const std::uint32_t perBatch = BlocksPerBatch(width);
    std::vector<std::uint8_t> batch(std::size_t{std::min(perBatch, blocks)} * width);
    for (std::uint32_t k = 0; k < blocks;) {
        const std::uint32_t count = std::min(perBatch, blocks - k);
        for (std::uint32_t g = 0; g < count; ++g, ++k) {
            for (std::uint32_t i = 0; i < 8; ++i) rows.Read(8 * k + i, bits.data() + i * stride);
            PackBlock(bits.data(), stride, width, batch.data() + std::size_t{g} * width);
        }
        if (!WriteAll(out, batch.data(), std::size_t{count} * width)) return false;
    }
    return true;
}

}  // namespace

namespace {

// The processor time a decoder may take: this much for any picture, and a
// second more for every so many pixels it declares. The slowest honest
// pictures measured (16384 x 16384, a 48-bit interlaced PNG and a
// progressive JPEG) decode in 9 and 5 seconds; this allows them 28.
constexpr std::uint64_t kDecodeSeconds = 6;
constexpr std::uint64_t kPixelsPerSecond = 12'000'000;

// How far into a stream its header may lie: past what comes before the
// pixels of the largest picture allowed, at eight bytes a pixel.
std::uint64_t HeaderReach(std::uint64_t maxPixels) {
    return (std::uint64_t{16} << 20) + 8 * maxPixels;
}

// The bytes of a bitmap as the library holds it.
std::uint64_t BitmapBytes(std::uint64_t width, std::uint64_t height, std::uint64_t bits) {
    return (width * bits + 31) / 32 * 4 * height;
}

}  // namespace

void LimitDecoderMemory(std::uint64_t bytes) {
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves far more
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const std::uint64_t mapped = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    rlimit space{};
    if (::getrlimit(RLIMIT_AS, &space) == 0 &&
        (space.rlim_cur == RLIM_INFINITY || space.rlim_cur > mapped + bytes)) {
        space.rlim_cur = static_cast<rlim_t>(mapped + bytes);
        ::setrlimit(RLIMIT_AS, &space);
    }
#else
    (void)bytes;
#endif
}

void LimitDecoderTime(std::uint64_t seconds) {
    rlimit time{};
    if (::getrlimit(RLIMIT_CPU, &time) == 0 &&
        (time.rlim_cur == RLIM_INFINITY || time.rlim_cur > seconds)) {
        time.rlim_cur = static_cast<rlim_t>(seconds);
        ::setrlimit(RLIMIT_CPU, &time);
    }
}

void DecodePicture(const DecodeRequest& request, int out, std::uint64_t budget) {
    DecodeResult result;
    const auto send = [out](const DecodeResult& r) { return WriteAll(out, &r, sizeof r); };

    FreeImageSession session;
    PictureInput input;
    if (!input.Open(request.fileName)) {
        send(result);
        return;
    }
    // The header first: what it declares bounds everything after it.
    input.LimitReading(HeaderReach(request.maxPixels));
    PictureFacts facts;
    if (ReadPictureHeader(request.format, input, facts) != HeaderVerdict::Picture) {
        send(result);
        return;
    }
    const std::uint64_t declared = std::uint64_t{facts.width} * facts.height;
    if (declared > kMostPixels) {
        send({DecodeStatus::TooLarge, facts.width, facts.height});
        return;
    }
    if (declared > request.maxPixels) {
        send({DecodeStatus::OverLimit, facts.width, facts.height});
        return;
    }
    // Processor time in proportion to the pixels, generous enough for any
    // honest picture; memory once the bitmaps' depth is known.
    if (request.confine) LimitDecoderTime(kDecodeSeconds + declared / kPixelsPerSecond);
    input.LimitReading(facts.mostSize);
    if (!HoldsItsPixels(request.format, input, facts, input.Size())) {
        send(result);
        return;
    }
    // Refused from the header alone, before a pixel is decoded, where the
    // decoder can read one.
    std::uint64_t bitmaps = BitmapBytes(facts.width, facts.height, 32) * 2;
    if (FreeImage_FIFSupportsNoPixels(request.format)) {
        const Bitmap header = input.Load(request.format, FIF_LOAD_NOPIXELS);
        if (header && CannotFit(header.get(), AvailableMemory(budget))) {
            send({DecodeStatus::TooLarge, FreeImage_GetWidth(header.get()),
                  FreeImage_GetHeight(header.get())});
            return;
        }
        if (header) bitmaps = BitmapsNeeded(header.get());
    }
    // The bitmaps, the decoder's working memory and room for the program.
    if (request.confine) {
        LimitDecoderMemory(bitmaps + facts.decoderMemory + (std::uint64_t{256} << 20));
    }

    Bitmap loaded = input.Load(request.format, 0);
    if (!loaded || input.EndedEarly(request.format)) {
        send(result);
        return;
    }
    result.width = FreeImage_GetWidth(loaded.get());
    result.height = FreeImage_GetHeight(loaded.get());
    const std::uint64_t count = std::uint64_t{result.width} * result.height;
    if ((result.height & 7) != 0) {
        result.status = DecodeStatus::BadHeight;
        send(result);
        return;
    }
    if (count > request.maxPixels && count <= kMostPixels) {
        result.status = DecodeStatus::OverLimit;
        send(result);
        return;
    }
    if (count <= kMostPixels) send({DecodeStatus::SizeKnown, result.width, result.height});

    FIBITMAP* pixels = loaded.get();
    Bitmap converted;
    if (!BitmapRows::ReadsDirectly(pixels)) {
        converted.reset(FreeImage_ConvertTo32Bits(pixels));
        if (!converted) {
            result.status = DecodeStatus::ConvertFailed;
            send(result);
            return;
        }
        loaded.reset();  // nothing reads it any more
        pixels = converted.get();
    }
    if (count > kMostPixels) {
        result.status = DecodeStatus::TooLarge;
        send(result);
        return;
    }
    result.status = DecodeStatus::Ok;
    if (!send(result)) return;
    if (!SendBlocks(BitmapRows(pixels, LitFromRed(request.options.dim)), result.width,
                    result.height, out)) {
        return;
    }
    send(result);  // all there
}

namespace {

[[noreturn]] void RunChild(ChildDecoder decoder, const DecodeRequest& request, int out,
                           pid_t parent) {
    // The child goes when the conversion goes, whatever ended it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(0);
    // Standard output and error carry only the program's own lines.
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    const std::uint64_t budget = DecodeMemoryBudget();
    LimitChildMemory(budget);
    try {
        decoder(request, out, budget);
    } catch (...) {
        // Nothing sent past the point of failure: the parent sees a short read.
    }
    ::_exit(0);
}

// Room for `count` bytes of plane, its pages already faulted in.
std::vector<std::uint8_t> PlaneStorage(std::size_t count) {
    std::vector<std::uint8_t> storage;
    storage.reserve(count);
    AdviseHugePages(storage.data(), count);
    storage.resize(count);
    return storage;
}

}  // namespace

std::uint32_t BlocksPerBatch(std::uint32_t width) {
    return std::max<std::uint32_t>(8, (std::uint32_t{1} << 18) / std::max<std::uint32_t>(width, 1));
}

DecodeResult DecodeIsolated(const DecodeRequest& request, std::vector<std::uint8_t>& plane,
                            ChildProcess& finishing) {
    DecodeRequest confined = request;
    confined.confine = true;
    return RunDecoderIsolated(DecodePicture, confined, plane, &finishing);
}

std::optional<DecodeResult> ReceivePlane(int in, const ImgOptions& options,
                                         std::vector<std::uint8_t>& plane) {
    // While the child decodes, the plane's memory is faulted in here, on the
    // other core.
    std::vector<std::uint8_t> prepared;
    DecodeResult result;
    for (;;) {
        if (!ReadAll(in, &result, sizeof result)) return std::nullopt;
        if (result.status != DecodeStatus::SizeKnown) break;
        if (std::uint64_t{result.width} * result.height <= kMostPixels) {
            try {
                prepared = PlaneStorage(std::size_t{result.width} * (result.height / 8));
            } catch (const std::bad_alloc&) {
                prepared = std::vector<std::uint8_t>();  // tried again below
            }
        }
    }
    if (result.status != DecodeStatus::Ok) return result;

    const std::uint32_t width = result.width;
    const std::uint32_t blocks = result.height / 8;
    if (std::uint64_t{width} * result.height > kMostPixels || result.height % 8 != 0) {
        return std::nullopt;  // not a picture it could have sent
    }
    const std::size_t size = std::size_t{width} * blocks;
    const std::uint32_t perBatch = BlocksPerBatch(width);
    std::vector<std::uint8_t> batch;
    try {
        if (prepared.size() != size) prepared = PlaneStorage(size);
        batch.resize(std::size_t{std::min(perBatch, blocks)} * width);
    } catch (const std::bad_alloc&) {
        result.status = DecodeStatus::NoMemory;
        return result;
    }
    // The blocks, then the result once more: the sender's word that it got
    // to the end.
    const BlockPlacer placer(options, width, blocks, prepared.data());
    for (std::uint32_t k = 0; k < blocks;) {
        const std::uint32_t count = std::min(perBatch, blocks - k);
        if (!ReadAll(in, batch.data(), std::size_t{count} * width)) return std::nullopt;
        placer.Place(k, count, batch.data());
        k += count;
    }
    DecodeResult trailer;
    if (!ReadAll(in, &trailer, sizeof trailer) || trailer.status != DecodeStatus::Ok ||
        trailer.width != result.width || trailer.height != result.height) {
        return std::nullopt;
    }
    plane = std::move(prepared);
    return result;
}

DecodeResult RunDecoderIsolated(ChildDecoder decoder, const DecodeRequest& request,
                                std::vector<std::uint8_t>& plane, ChildProcess* finishing) {
    DecodeResult failed;  // OpenFailed: how a dead child reads to the user
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return failed;
    Fd readEnd(ends[0]);
    Fd writeEnd(ends[1]);
    ::fcntl(readEnd.Get(), F_SETPIPE_SZ, 1 << 20);  // fewer, larger transfers

    std::fflush(nullptr);  // the child must not repeat buffered output
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return failed;
    if (pid == 0) {
        readEnd.Reset();
        RunChild(decoder, request, writeEnd.Get(), parent);
    }
    writeEnd.Reset();
    ChildProcess child(pid);

    const std::optional<DecodeResult> result = ReceivePlane(readEnd.Get(), request.options, plane);
    if (!result || result->status == DecodeStatus::NoMemory) {
        ::kill(pid, SIGKILL);  // whatever it would still send is of no use
        return result ? *result : failed;
    }
    if (result->status != DecodeStatus::Ok) {
        // A failure the child reported itself, as long as it then ended well.
        return child.Wait() ? *result : failed;
    }
    // What the child does after its last word (releasing its bitmaps) can go
    // on beside the rest of the conversion.
    if (finishing != nullptr) *finishing = std::move(child);
    return *result;
}

}  // namespace pelmo
