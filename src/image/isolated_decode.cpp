#include "image/isolated_decode.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <new>
#include <utility>

#include "base/huge_pages.hpp"
#include "base/io.hpp"
#include "image/frames.hpp"
#include "image/plane_packing.hpp"

namespace pelmo {

namespace {

// What goes through the pipe before the blocks, and after them.
struct Message {
    enum class Kind : std::int32_t { Size, Result } kind = Kind::Result;
    DecodeResult result;
};

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

// Lowers the soft `resource` limit to `value`, unless it is lower already.
void LowerSoftLimit(int resource, std::uint64_t value) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) == 0 &&
        (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > value)) {
        limit.rlim_cur = static_cast<rlim_t>(value);
        ::setrlimit(resource, &limit);
    }
}

// The child may not take more address space than the budget, so an absurd
// picture fails an allocation instead of driving the machine into swap.
void LimitChildMemory(std::uint64_t budget) {
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves far more
    LowerSoftLimit(RLIMIT_AS, budget);
#else
    (void)budget;
#endif
}

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

// The decoder's result, after its sizes, while the plane's memory is faulted
// in here, on the other core, as the child decodes.
std::optional<DecodeResult> ReceiveResult(int in, std::size_t planes,
                                          std::vector<std::uint8_t>& prepared) {
    for (;;) {
        Message message;
        if (!ReadAll(in, &message, sizeof message)) return std::nullopt;
        if (message.kind == Message::Kind::Result) return message.result;
        const DecodeResult& size = message.result;
        if (std::uint64_t{size.width} * size.height > kMostPixels) continue;
        try {
            prepared = PlaneStorage(std::size_t{size.width} * (size.height / 8) * planes);
        } catch (const std::bad_alloc&) {
            prepared = std::vector<std::uint8_t>();  // tried again when the blocks come
        }
    }
}

}  // namespace

bool ChildReply::Size(std::uint32_t width, std::uint32_t height) const {
    const Message message{Message::Kind::Size, {DecodeStatus::Ok, width, height}};
    return WriteAll(out_, &message, sizeof message);
}

bool ChildReply::Result(const DecodeResult& result) const {
    const Message message{Message::Kind::Result, result};
    return WriteAll(out_, &message, sizeof message);
}

bool ChildReply::Bytes(const std::uint8_t* bytes, std::size_t count) const {
    return WriteAll(out_, bytes, count);
}

std::uint32_t BlocksPerBatch(std::uint32_t width) {
    return std::max<std::uint32_t>(8, (std::uint32_t{1} << 18) / std::max<std::uint32_t>(width, 1));
}

std::uint64_t MappedBytes() {
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

void LimitDecoderMemory(std::uint64_t bytes) {
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves far more
    LowerSoftLimit(RLIMIT_AS, MappedBytes() + bytes);
#else
    (void)bytes;
#endif
}

void LimitDecoderTime(std::uint64_t seconds) {
    LowerSoftLimit(RLIMIT_CPU, seconds);
}

DecodeResult DecodeIsolated(const DecodeRequest& request, std::vector<std::uint8_t>& plane,
                            ChildProcess& finishing) {
    DecodeRequest confined = request;
    confined.confine = true;
    return RunDecoderIsolated(request.options.allFrames ? DecodePages : DecodePicture, confined,
                              plane, &finishing);
}

std::optional<DecodeResult> ReceivePlane(int in, const ImgOptions& options,
                                         std::vector<std::uint8_t>& plane) {
    const std::size_t planes = options.plusmask ? 2 : 1;
    std::vector<std::uint8_t> prepared;
    std::optional<DecodeResult> result = ReceiveResult(in, planes, prepared);
    if (!result || result->status != DecodeStatus::Ok) return result;

    const std::uint32_t width = result->width;
    const std::uint32_t blocks = result->height / 8;
    // The planes of the frames (of the whole picture without -frames).
    const FrameGrid grid = GridOf(options, width, result->height, result->pages);
    if (std::uint64_t{width} * result->height > kMostPixels || result->height % 8 != 0 ||
        grid.SheetWidth() != width || grid.SheetBlocks() != blocks) {
        return std::nullopt;  // not a picture it could have sent
    }
    const std::size_t size = std::size_t{width} * blocks * planes;
    const std::uint32_t perBatch = BlocksPerBatch(width);
    std::vector<std::uint8_t> batch;
    try {
        if (prepared.size() != size) prepared = PlaneStorage(size);
        batch.resize(std::size_t{std::min(perBatch, blocks)} * width * planes);
    } catch (const std::bad_alloc&) {
        result->status = DecodeStatus::NoMemory;
        return result;
    }
    // The blocks, then the result once more: the sender's word that it got
    // to the end.
    const BlockPlacer placer(options, grid, prepared.data());
    for (std::uint32_t k = 0; k < blocks;) {
        const std::uint32_t count = std::min(perBatch, blocks - k);
        if (!ReadAll(in, batch.data(), std::size_t{count} * width * planes)) return std::nullopt;
        placer.Place(k, count, batch.data());
        k += count;
    }
    Message trailer;
    if (!ReadAll(in, &trailer, sizeof trailer) || trailer.kind != Message::Kind::Result ||
        trailer.result.status != DecodeStatus::Ok || trailer.result.width != result->width ||
        trailer.result.height != result->height) {
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
