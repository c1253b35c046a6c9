#include "image/isolated_decode.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "app/write_all.hpp"
#include "image/child_process.hpp"
#include "image/freeimage_session.hpp"
#include "image/huge_pages.hpp"
#include "image/tone_map.hpp"

namespace pelmo {

namespace {

// The largest pixel count a tone map may hold: sizes are 32-bit signed.
constexpr std::uint64_t kMaxPixels = std::numeric_limits<std::int32_t>::max();

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

constexpr std::array<std::uint8_t, 256> kToneOfRed = [] {
    std::array<std::uint8_t, 256> table{};
    for (int r = 0; r < 256; ++r) table[r] = ToneOf(static_cast<std::uint8_t>(r));
    return table;
}();

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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads for the image library. Some of its decoders ignore short reads at the
// end of a damaged file and go on with whatever their buffer held; the part
// a short read leaves unset is zeroed so that such a file always decodes the
// same way, and never from memory that nobody wrote.
unsigned DLL_CALLCONV ReadZeroFilled(void* buffer, unsigned size, unsigned count,
                                     fi_handle handle) {
    const std::size_t wanted = std::size_t{size} * count;
    const std::size_t got = std::fread(buffer, 1, wanted, static_cast<std::FILE*>(handle));
    if (got < wanted) std::memset(static_cast<char*>(buffer) + got, 0, wanted - got);
    return size == 0 ? 0 : static_cast<unsigned>(got / size);
}
unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) {
    return 0;
}
int DLL_CALLCONV Seek(fi_handle handle, long offset, int origin) {
    return std::fseek(static_cast<std::FILE*>(handle), offset, origin);
}
long DLL_CALLCONV Tell(fi_handle handle) {
    return std::ftell(static_cast<std::FILE*>(handle));
}

// What FreeImage_Load does, through the zero-filling reader.
Bitmap LoadBitmap(FREE_IMAGE_FORMAT format, const std::string& fileName, int flags) {
    const File file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return nullptr;
    FreeImageIO io{ReadZeroFilled, WriteNothing, Seek, Tell};
    return Bitmap(FreeImage_LoadFromHandle(format, &io, file.get(), flags));
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

// True when the picture's header claims a size whose decoded and converted
// bitmaps together could never be allocated. Decoding such a file would only
// fail after minutes of allocating (or succeed from data the file does not
// hold), so it is refused as the failed load it would end in.
bool CannotFit(FREE_IMAGE_FORMAT format, const std::string& fileName, std::uint64_t budget) {
    if (!FreeImage_FIFSupportsNoPixels(format)) return false;
    const Bitmap header = LoadBitmap(format, fileName, FIF_LOAD_NOPIXELS);
    if (!header) return false;
    const std::uint64_t w = FreeImage_GetWidth(header.get());
    const std::uint64_t h = FreeImage_GetHeight(header.get());
    const std::uint64_t bpp = FreeImage_GetBPP(header.get());
    const std::uint64_t decoded = (w * bpp + 31) / 32 * 4 * h;
    const std::uint64_t converted = w * 4 * h;
    return decoded + converted > budget;
}

// Runs in the child: everything that touches the image library.
void DecodeInChild(FREE_IMAGE_FORMAT format, const std::string& fileName, int out,
                   std::uint64_t budget) {
    DecodeResult result;
    const auto send = [out](const DecodeResult& r) { return WriteAll(out, &r, sizeof r); };

    FreeImageSession session;
    if (CannotFit(format, fileName, budget)) {
        send(result);
        return;
    }
    Bitmap loaded = LoadBitmap(format, fileName, 0);
    if (!loaded) {
        send(result);
        return;
    }
    result.width = FreeImage_GetWidth(loaded.get());
    result.height = FreeImage_GetHeight(loaded.get());
    if ((result.height & 7) == 0 && std::uint64_t{result.width} * result.height <= kMaxPixels) {
        send({DecodeStatus::SizeKnown, result.width, result.height});
    }
    // Scan lines count from the bottom; after the flip line 0 is the top row.
    FreeImage_FlipVertical(loaded.get());
    if ((result.height & 7) != 0) {
        result.status = DecodeStatus::BadHeight;
        send(result);
        return;
    }
    Bitmap converted(FreeImage_ConvertTo32Bits(loaded.get()));
    if (!converted) {
        result.status = DecodeStatus::ConvertFailed;
        send(result);
        return;
    }
    loaded.reset();  // nothing reads it any more

    if (std::uint64_t{result.width} * result.height > kMaxPixels) {
        result.status = DecodeStatus::TooLarge;
        send(result);
        return;
    }
    result.status = DecodeStatus::Ok;
    if (!send(result)) return;

    // Rows go out in batches of about 1 MiB while the parent stores them.
    const std::size_t w = result.width;
    const std::size_t rowsPerBatch =
        w == 0 ? 1 : std::max<std::size_t>(1, (std::size_t{1} << 20) / w);
    std::vector<std::uint8_t> batch(std::min<std::size_t>(rowsPerBatch, result.height) * w);
    for (std::uint32_t y = 0; y < result.height;) {
        std::uint8_t* dst = batch.data();
        std::uint32_t rows = 0;
        for (; rows < rowsPerBatch && y < result.height; ++rows, ++y) {
            const BYTE* line = FreeImage_GetScanLine(converted.get(), static_cast<int>(y));
            for (std::size_t x = 0; x < w; ++x) dst[x] = kToneOfRed[line[4 * x + FI_RGBA_RED]];
            dst += w;
        }
        if (!WriteAll(out, batch.data(), rows * w)) return;
    }
    send(result);  // all there
}

void RunChild(ChildDecoder decoder, FREE_IMAGE_FORMAT format, const std::string& fileName,
              int out) {
    // Standard output and error carry only the program's own lines.
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    const std::uint64_t budget = DecodeMemoryBudget();
    LimitChildMemory(budget);
    try {
        decoder(format, fileName, out, budget);
    } catch (...) {
        // Nothing sent past the point of failure: the parent sees a short read.
    }
    ::_exit(0);
}

// Room for `count` tone levels, its pages already faulted in.
std::vector<std::uint8_t> ToneStorage(std::size_t count) {
    std::vector<std::uint8_t> storage;
    storage.reserve(count);
    AdviseHugePages(storage.data(), count);
    storage.resize(count);
    return storage;
}

}  // namespace

DecodeResult DecodeIsolated(FREE_IMAGE_FORMAT format, const std::string& fileName,
                            std::vector<std::uint8_t>& tones, ChildProcess& finishing) {
    return RunDecoderIsolated(DecodeInChild, format, fileName, tones, &finishing);
}

DecodeResult RunDecoderIsolated(ChildDecoder decoder, FREE_IMAGE_FORMAT format,
                                const std::string& fileName, std::vector<std::uint8_t>& tones,
                                ChildProcess* finishing) {
    DecodeResult failed;  // OpenFailed: how a dead child reads to the user
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return failed;
    Fd readEnd(ends[0]);
    Fd writeEnd(ends[1]);
    ::fcntl(readEnd.Get(), F_SETPIPE_SZ, 1 << 20);  // fewer, larger transfers

    std::fflush(nullptr);  // the child must not repeat buffered output
    const pid_t pid = ::fork();
    if (pid < 0) return failed;
    if (pid == 0) {
        readEnd.Reset();
        RunChild(decoder, format, fileName, writeEnd.Get());
    }
    writeEnd.Reset();
    ChildProcess child(pid);

    // While the child decodes, the parent faults in the tone map's memory on
    // the other core; on a virtual machine that costs as much as the copy.
    std::vector<std::uint8_t> prepared;
    DecodeResult result;
    for (;;) {
        if (!ReadAll(readEnd.Get(), &result, sizeof result)) return failed;
        if (result.status != DecodeStatus::SizeKnown) break;
        if (std::uint64_t{result.width} * result.height <= kMaxPixels) {
            try {
                prepared = ToneStorage(std::size_t{result.width} * result.height);
            } catch (const std::bad_alloc&) {
                prepared = std::vector<std::uint8_t>();  // tried again below
            }
        }
    }
    if (result.status != DecodeStatus::Ok) {
        return child.Wait() ? result : failed;
    }

    const std::uint64_t count = std::uint64_t{result.width} * result.height;
    if (count > kMaxPixels) {  // not ours to hold
        ::kill(pid, SIGKILL);
        return failed;
    }
    try {
        if (prepared.size() != count) prepared = ToneStorage(count);
    } catch (const std::bad_alloc&) {
        ::kill(pid, SIGKILL);
        result.status = DecodeStatus::NoMemory;
        return result;
    }
    // The tone levels, then the result once more: the child's word that it
    // got to the end. What it does after that (releasing its bitmaps) can
    // go on beside the rest of the conversion.
    DecodeResult trailer;
    if (!ReadAll(readEnd.Get(), prepared.data(), prepared.size()) ||
        !ReadAll(readEnd.Get(), &trailer, sizeof trailer) || trailer.status != DecodeStatus::Ok ||
        trailer.width != result.width || trailer.height != result.height) {
        return failed;
    }
    tones = std::move(prepared);
    if (finishing != nullptr) *finishing = std::move(child);
    return result;
}

}  // namespace pelmo
