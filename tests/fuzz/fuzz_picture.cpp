// Fuzzes the decoding child's work on untrusted pictures: reading the file for
// the image library, the header checks, reading the pixels straight from the
// decoded bitmap and packing them, then the parent's side that places the
// blocks. The child's work runs in this process (so that the fuzzer sees its
// coverage and its faults), writing into an in-memory file that the parent's
// side then reads. A picture that converts must give a plane that reads back,
// through the renderer's unpacker, as the tones of the library's 32-bit
// conversion of it (unit::CheckPacked).
//
// The image library's own decoders fault on some damaged files; the converter
// keeps that in its decoding child, whose failure modes the hardening tests
// cover. So each input is first decoded by the library (through our reading
// callbacks) in a child process, and only those it survives are run here.
//
// Input: byte 0 picks the extension (bits 0 to 3, modulo the eleven) and the
// options (-dim, -unflip, -xorder in bits 4 to 6); the rest is the file.
#include <FreeImage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELMO_FUZZ_SANITIZED 1
#include <sanitizer/common_interface_defs.h>
#endif
#endif

#include "app/tone_map.hpp"
#include "fuzz_console.hpp"
#include "picture/bitmap.hpp"
#include "picture/freeimage_session.hpp"
#include "picture/isolated_decode.hpp"
#include "picture/library_reading.hpp"
#include "picture/picture_formats.hpp"
#include "picture/picture_input.hpp"
#include "plane/plane_packing.hpp"
#include "support/unit_plane.hpp"

namespace {

// Pictures claiming more than this are refused from their header, as on a
// machine this small.
constexpr std::uint64_t kBudget = std::uint64_t{4} << 20;

// An in-memory file, closed when it goes.
class MemoryFile {
  public:
    MemoryFile() : fd_(::memfd_create("fuzz_picture", MFD_CLOEXEC)) {}
    ~MemoryFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    int Fd() const { return fd_; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

  private:
    int fd_;
};

// The tone levels (row-major, top row first) of the library's 32-bit
// conversion (of its 8-bit one, for 16-bit grey): 2 where the red lights the
// full plane, 1 where it lights the dim plane only, 0 elsewhere; nothing when
// the conversion fails.
std::optional<std::vector<std::uint8_t>> ConvertedTones(FIBITMAP* bitmap) {
    const pelmo::Bitmap grey(
        FreeImage_GetImageType(bitmap) == FIT_UINT16 ? FreeImage_ConvertTo8Bits(bitmap) : nullptr);
    const pelmo::Bitmap converted(FreeImage_ConvertTo32Bits(grey ? grey.get() : bitmap));
    if (!converted) return std::nullopt;
    const unsigned w = FreeImage_GetWidth(converted.get());
    const unsigned h = FreeImage_GetHeight(converted.get());
    std::vector<std::uint8_t> tones(std::size_t{w} * h);
    for (unsigned y = 0; y < h; ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted.get(), static_cast<int>(h - 1 - y));
        for (unsigned x = 0; x < w; ++x) {
            const BYTE red = line[4 * x + FI_RGBA_RED];
            tones[std::size_t{y} * w + x] = (red >= pelmo::LitFromRed(false) ? 1 : 0) +
                                            (red >= pelmo::LitFromRed(true) ? 1 : 0);
        }
    }
    return tones;
}

// True when the image library decodes the picture at `path` as `format`
// (its header, then the whole) without faulting, in a child process.
bool LibrarySurvives(FREE_IMAGE_FORMAT format, const std::string& path) {
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        // Its faults are not findings: no report, no saved input, and a
        // decoder that takes too long counts as one that faults.
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0) ::dup2(devNull, STDERR_FILENO);
        for (const int s : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL, SIGALRM})
            ::signal(s, SIG_DFL);
#ifdef PELMO_FUZZ_SANITIZED
        __sanitizer_set_death_callback([] { ::_exit(1); });
#endif
        ::alarm(5);
        pelmo::PictureInput input;
        if (input.Open(path)) {
            pelmo::LibraryReading reading(input, pelmo::Splice::Whole());
            reading.Load(format, FIF_LOAD_NOPIXELS);
            reading.Load(format, 0);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmo;
    if (size < 1) return 0;
    static const FreeImageSession session;
    constexpr std::size_t kExtensions = std::size(kPictureExtensions);
    const PictureExtension& extension = kPictureExtensions[(data[0] & 15) % kExtensions];
    ImgOptions options;
    options.dim = (data[0] & 16) != 0;
    options.unflip = (data[0] & 32) != 0;
    options.xorder = (data[0] & 64) != 0;

    const MemoryFile picture;
    const MemoryFile stream;
    FUZZ_CHECK(picture.Fd() >= 0 && stream.Fd() >= 0, "memfd_create failed");
    FUZZ_CHECK(::write(picture.Fd(), data + 1, size - 1) == static_cast<ssize_t>(size - 1),
               "writing the picture failed");
    if (!LibrarySurvives(extension.format, picture.Path())) return 0;
    const DecodeRequest request{extension.format, picture.Path(), options};
    DecodeDocument(request, stream.Fd(), kBudget);
    FUZZ_CHECK(::lseek(stream.Fd(), 0, SEEK_SET) == 0, "rewinding the stream failed");
    std::vector<std::uint8_t> plane;
    const std::optional<DecodeResult> result = ReceivePlane(stream.Fd(), options, plane);
    FUZZ_CHECK(result.has_value(), "the decoder sent a stream the parent cannot read");
    FUZZ_CHECK(result->status != DecodeStatus::NoMemory, "not a decoder's outcome");
    if (result->status == DecodeStatus::TooLarge || result->status == DecodeStatus::OpenFailed ||
        result->status == DecodeStatus::OverLimit) {
        return 0;
    }

    PictureInput input;
    FUZZ_CHECK(input.Open(request.fileName), "the picture cannot be opened again");
    const Splice whole = Splice::Whole();
    const Bitmap bitmap = LibraryReading(input, whole).Load(extension.format, 0);
    FUZZ_CHECK(bitmap != nullptr, "a picture that decoded once does not decode again");
    FUZZ_CHECK(FreeImage_GetWidth(bitmap.get()) == result->width &&
                   FreeImage_GetHeight(bitmap.get()) == result->height,
               "the size sent is not the picture's");
    FUZZ_CHECK((result->status == DecodeStatus::BadHeight) == (result->height % 8 != 0),
               "the height check is wrong");
    if (result->status == DecodeStatus::BadHeight) return 0;
    const std::optional<std::vector<std::uint8_t>> tones = ConvertedTones(bitmap.get());
    FUZZ_CHECK((result->status == DecodeStatus::ConvertFailed) == !tones.has_value(),
               "the conversion outcome differs");
    if (result->status == DecodeStatus::Ok) {
        const std::string wrong =
            unit::CheckPacked(plane, 0, options, static_cast<int>(result->width),
                              static_cast<int>(result->height), *tones);
        FUZZ_CHECK(wrong.empty(), "the plane is not the 32-bit conversion's: " + wrong);
    }
    return 0;
}
