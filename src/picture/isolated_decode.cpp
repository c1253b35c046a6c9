#include "picture/isolated_decode.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <limits>
#include <new>
#include <utility>

#include "base/huge_pages.hpp"
#include "base/io.hpp"
#include "base/limits.hpp"
#include "plane/frames.hpp"
#include "plane/plane_packing.hpp"

namespace pelmo {

namespace {

// What goes through the pipe before the blocks, and after them.
struct Message {
    enum class Kind : std::int32_t { Budget, Size, Result, Blocks } kind = Kind::Result;
    DecodeResult result;
    std::uint32_t seconds = 0;  // of a Budget
    std::uint64_t bytes = 0;    // of a batch of Blocks
};

// Reads from the child's pipe, within the wall time of its last budget: at
// first that of the walk of the headers.
class ChildPipe {
  public:
    explicit ChildPipe(int in) : in_(in) { StartBudget(kHeaderSeconds); }

    // The child's processor time from now on: it has until its deadline.
    void StartBudget(std::uint32_t seconds) {
        deadline_ = Clock::now() + std::chrono::seconds(DecodeDeadline(seconds));
    }

    // Exactly `size` bytes; false at the end of the pipe, on an error, or
    // when the deadline passes first.
    bool Read(void* data, std::size_t size) {
        auto* p = static_cast<char*>(data);
        while (size > 0) {
            if (!Wait()) return false;
            const ssize_t n = ::read(in_, p, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

  private:
    using Clock = std::chrono::steady_clock;

    // Until the pipe has something to read; false when the deadline passes.
    bool Wait() const {
        for (;;) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
            if (left.count() <= 0) return false;
            pollfd ready{in_, POLLIN, 0};
            const int n =
                ::poll(&ready, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 60'000)));
            if (n > 0) return true;
            if (n < 0 && errno != EINTR) return false;
        }
    }

    int in_;
    Clock::time_point deadline_;
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

// Sets the soft `resource` limit to `value`, or as near as the hard limit
// allows.
void SetSoftLimit(int resource, std::uint64_t value) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0) return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY
                         ? static_cast<rlim_t>(value)
                         : std::min(limit.rlim_max, static_cast<rlim_t>(value));
    ::setrlimit(resource, &limit);
}

// The child may never take more address space than the machine has (or the
// program was allowed), so that an absurd picture fails an allocation
// instead of driving the machine into swap; for the walk of the headers it
// may take only a little.
void ConfineFromTheStart(std::uint64_t budget) {
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves far more
    rlimit memory{};
    if (::getrlimit(RLIMIT_AS, &memory) == 0) {
        memory.rlim_max = std::min<rlim_t>(memory.rlim_max, static_cast<rlim_t>(budget));
        memory.rlim_cur = std::min(memory.rlim_cur, memory.rlim_max);
        ::setrlimit(RLIMIT_AS, &memory);
    }
    LimitDecoderMemory(kHeaderMemory);
#else
    (void)budget;
#endif
    SetSoftLimit(RLIMIT_CPU, kHeaderSeconds);
}

// The processor time the process has used, in whole seconds, rounded.
std::uint64_t UsedSeconds() {
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    const std::int64_t micros = usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    const std::int64_t seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec;
    return static_cast<std::uint64_t>(seconds + (micros + 500'000) / 1'000'000);
}

[[noreturn]] void RunChild(ChildDecoder decoder, const DecodeRequest& request, int out,
                           pid_t parent) {
    // The child goes when the conversion goes, whatever ended it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(0);
    // Past its processor time the decoder ends, however the program was
    // started (`trap '' XCPU`, a blocked mask).
    std::signal(SIGXCPU, SIG_DFL);
    sigset_t xcpu;
    ::sigemptyset(&xcpu);
    ::sigaddset(&xcpu, SIGXCPU);
    ::sigprocmask(SIG_UNBLOCK, &xcpu, nullptr);
    // A decoder ended by a limit (or a crash) leaves no core file behind in
    // the user's folder.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // Standard output and error carry only the program's own lines.
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    // Bounded from here on: the walk of the headers within a small fixed
    // budget, whatever the file; the decoding within what they justify.
    const std::uint64_t budget = DecodeMemoryBudget();
    ConfineFromTheStart(budget);
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

// The decoder's result, after its budgets and sizes, while the plane's
// memory is faulted in here, on the other core, as the child decodes.
std::optional<DecodeResult> ReceiveResult(ChildPipe& in, const ImgOptions& options,
                                          std::vector<std::uint8_t>& prepared) {
    for (;;) {
        Message message;
        if (!in.Read(&message, sizeof message)) return std::nullopt;
        if (message.kind == Message::Kind::Result) return message.result;
        if (message.kind == Message::Kind::Budget) {
            in.StartBudget(message.seconds);
            continue;
        }
        const DecodeResult& size = message.result;
        if (std::uint64_t{size.width} * size.height > options.maxPixels) continue;
        try {
            prepared = PlaneStorage(std::size_t{size.width} * (size.height / 8) *
                                    Interleave::Of(options).planes);
        } catch (const std::bad_alloc&) {
            prepared = std::vector<std::uint8_t>();  // tried again when the blocks come
        }
    }
}

}  // namespace

bool ChildReply::Budget(std::uint32_t seconds) const {
    Message message;
    message.kind = Message::Kind::Budget;
    message.seconds = seconds;
    return WriteAll(out_, &message, sizeof message);
}

bool ChildReply::Size(std::uint32_t width, std::uint32_t height) const {
    const Message message{Message::Kind::Size, {DecodeStatus::Ok, width, height}};
    return WriteAll(out_, &message, sizeof message);
}

bool ChildReply::Result(const DecodeResult& result) const {
    const Message message{Message::Kind::Result, result};
    return WriteAll(out_, &message, sizeof message);
}

bool ChildReply::Bytes(const std::uint8_t* bytes, std::size_t count) const {
    Message message;
    message.kind = Message::Kind::Blocks;
    message.bytes = count;
    return WriteAll(out_, &message, sizeof message) && WriteAll(out_, bytes, count);
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
    const std::uint64_t mapped = MappedBytes();
    SetSoftLimit(RLIMIT_AS, bytes > UINT64_MAX - mapped ? UINT64_MAX : mapped + bytes);
#else
    (void)bytes;
#endif
}

void LimitDecoderTime(std::uint64_t seconds) {
    SetSoftLimit(RLIMIT_CPU, UsedSeconds() + seconds);
    // A second past the soft limit the system ends the process outright.
    rlimit limit{};
    if (::getrlimit(RLIMIT_CPU, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > limit.rlim_cur + 1)) {
        limit.rlim_max = limit.rlim_cur + 1;
        ::setrlimit(RLIMIT_CPU, &limit);
    }
}

DecodeResult DecodeIsolated(const DecodeRequest& request, std::vector<std::uint8_t>& plane,
                            ChildProcess& finishing) {
    DecodeRequest confined = request;
    confined.confine = true;
    return RunDecoderIsolated(DecodeDocument, confined, plane, &finishing);
}

std::optional<DecodeResult> ReceivePlane(int fd, const ImgOptions& options,
                                         std::vector<std::uint8_t>& plane) {
    const std::size_t planes = Interleave::Of(options).planes;
    ChildPipe in(fd);
    std::vector<std::uint8_t> prepared;
    std::optional<DecodeResult> result = ReceiveResult(in, options, prepared);
    if (!result || result->status != DecodeStatus::Ok) return result;

    if (result->pages == 0) return std::nullopt;  // no picture at all
    const std::uint32_t width = result->width;
    const std::uint32_t blocks = result->height / 8;
    // The planes of the frames (of the whole picture without -frames).
    const FrameGrid grid = GridOf(options, width, result->height, result->pages);
    if (std::uint64_t{width} * result->height > std::min(kMostPixels, options.maxPixels) ||
        result->height % 8 != 0 || grid.SheetWidth() != width || grid.SheetBlocks() != blocks) {
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
    // The blocks, each batch announced, then the result once more: the
    // sender's word that it got to the end. A refusal may come in place of a
    // batch, of a page after the first.
    const BlockPlacer placer(options, grid, prepared.data());
    Message message;
    const std::size_t blockBytes = std::size_t{width} * planes;
    for (std::uint32_t k = 0; k < blocks;) {
        if (!in.Read(&message, sizeof message)) return std::nullopt;
        if (message.kind == Message::Kind::Result && message.result.status != DecodeStatus::Ok) {
            return message.result;
        }
        // A batch of whole blocks, no more than a batch holds or than remain.
        const std::uint64_t count = message.bytes / blockBytes;
        if (message.kind != Message::Kind::Blocks || count == 0 ||
            count * blockBytes != message.bytes || count > std::min(perBatch, blocks - k) ||
            !in.Read(batch.data(), message.bytes)) {
            return std::nullopt;
        }
        placer.Place(k, count, batch.data());
        k += static_cast<std::uint32_t>(count);
    }
    if (!in.Read(&message, sizeof message) || message.kind != Message::Kind::Result ||
        message.result.status != DecodeStatus::Ok || message.result.width != result->width ||
        message.result.height != result->height) {
        return std::nullopt;
    }
    result->strays = message.result.strays;
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
