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
#include <limits>
#include <memory>
#include <new>

#include "image/freeimage_session.hpp"
#include "image/tone_map.hpp"

namespace pelmo {

namespace {

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

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

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

// The child's share of the limits: no more address space than the machine
// has memory, so an absurd header fails an allocation instead of swapping.
void LimitChildMemory() {
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves far more
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return;
    const rlim_t machine = static_cast<rlim_t>(pages) * static_cast<rlim_t>(pageSize);
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0) return;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > machine) {
        limit.rlim_cur = machine;
        ::setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

// Runs in the child: everything that touches the image library.
void DecodeInChild(FREE_IMAGE_FORMAT format, const std::string& fileName, int out) {
    DecodeResult result;
    const auto send = [out](const DecodeResult& r) { return WriteAll(out, &r, sizeof r); };

    FreeImageSession session;
    constexpr std::uint64_t kMaxPixels = std::numeric_limits<std::int32_t>::max();
    // Where the decoder can read the header alone, a picture too large to
    // hold is refused before its pixels are decoded.
    if (FreeImage_FIFSupportsNoPixels(format)) {
        const Bitmap header(FreeImage_Load(format, fileName.c_str(), FIF_LOAD_NOPIXELS));
        if (header) {
            const std::uint32_t w = FreeImage_GetWidth(header.get());
            const std::uint32_t h = FreeImage_GetHeight(header.get());
            if ((h & 7) == 0 && std::uint64_t{w} * h > kMaxPixels) {
                result = {DecodeStatus::TooLarge, w, h};
                send(result);
                return;
            }
        }
    }
    Bitmap loaded(FreeImage_Load(format, fileName.c_str(), 0));
    if (!loaded) {
        send(result);
        return;
    }
    // Scan lines count from the bottom; after the flip line 0 is the top row.
    FreeImage_FlipVertical(loaded.get());
    result.width = FreeImage_GetWidth(loaded.get());
    result.height = FreeImage_GetHeight(loaded.get());
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
    const std::size_t rowsPerBatch = w == 0 ? 1 : std::max<std::size_t>(1, (std::size_t{1} << 20) / w);
    std::vector<std::uint8_t> batch(rowsPerBatch * w);
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
}

void RunChild(FREE_IMAGE_FORMAT format, const std::string& fileName, int out) {
    // Standard output and error carry only the program's own lines.
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    LimitChildMemory();
    try {
        DecodeInChild(format, fileName, out);
    } catch (...) {
        // Nothing sent past the point of failure: the parent sees a short read.
    }
    ::_exit(0);
}

// True when the child ended normally after saying everything it had to say.
bool ReapChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

DecodeResult DecodeIsolated(FREE_IMAGE_FORMAT format, const std::string& fileName,
                            std::vector<std::uint8_t>& tones) {
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
        RunChild(format, fileName, writeEnd.Get());
    }
    writeEnd.Reset();

    DecodeResult result;
    if (!ReadAll(readEnd.Get(), &result, sizeof result)) {
        ReapChild(pid);
        return failed;
    }
    if (result.status == DecodeStatus::Ok) {
        try {
            tones.assign(std::size_t{result.width} * result.height, 0);
        } catch (const std::bad_alloc&) {
            ::kill(pid, SIGKILL);
            ReapChild(pid);
            result.status = DecodeStatus::NoMemory;
            return result;
        }
        if (!ReadAll(readEnd.Get(), tones.data(), tones.size())) {
            ReapChild(pid);
            tones = std::vector<std::uint8_t>();
            return failed;
        }
    }
    if (!ReapChild(pid)) {
        tones = std::vector<std::uint8_t>();
        return failed;
    }
    return result;
}

}  // namespace pelmo
