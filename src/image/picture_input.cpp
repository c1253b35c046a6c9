#include "image/picture_input.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace pelmo {

namespace {

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) {
    return 0;
}

unsigned Items(std::size_t got, unsigned size) {
    return size == 0 ? 0 : static_cast<unsigned>(got / size);
}

// Zeroes what a short read left unset, but no more than a decoder's buffer
// for one read can be expected to hold: a damaged header can make a decoder
// ask for far more than the buffer it reads into, and filling all of that
// would write past the buffer where the read itself, stopped by the end of
// the file, never does.
constexpr std::size_t kMostZeroed = std::size_t{64} << 10;

void ZeroUnread(void* buffer, std::size_t got, std::size_t wanted) {
    if (got < wanted) {
        std::memset(static_cast<char*>(buffer) + got, 0, std::min(wanted - got, kMostZeroed));
    }
}

unsigned DLL_CALLCONV ReadFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    const std::size_t wanted = std::size_t{size} * count;
    const std::size_t got = std::fread(buffer, 1, wanted, static_cast<std::FILE*>(handle));
    ZeroUnread(buffer, got, wanted);
    return Items(got, size);
}
int DLL_CALLCONV SeekFile(fi_handle handle, long offset, int origin) {
    return std::fseek(static_cast<std::FILE*>(handle), offset, origin);
}
long DLL_CALLCONV TellFile(fi_handle handle) {
    return std::ftell(static_cast<std::FILE*>(handle));
}

using Memory = PictureInput::Memory;

unsigned DLL_CALLCONV ReadMemory(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto& memory = *static_cast<Memory*>(handle);
    const std::size_t wanted = std::size_t{size} * count;
    const std::size_t left =
        memory.position < memory.bytes.size() ? memory.bytes.size() - memory.position : 0;
    const std::size_t got = std::min(wanted, left);
    if (got > 0) std::memcpy(buffer, memory.bytes.data() + memory.position, got);
    ZeroUnread(buffer, got, wanted);
    memory.position += got;
    return Items(got, size);
}
int DLL_CALLCONV SeekMemory(fi_handle handle, long offset, int origin) {
    auto& memory = *static_cast<Memory*>(handle);
    long base = 0;
    if (origin == SEEK_CUR) base = static_cast<long>(memory.position);
    if (origin == SEEK_END) base = static_cast<long>(memory.bytes.size());
    if (offset < 0 ? base < -offset : offset > std::numeric_limits<long>::max() - base) return -1;
    memory.position = static_cast<std::size_t>(base + offset);
    return 0;
}
long DLL_CALLCONV TellMemory(fi_handle handle) {
    return static_cast<long>(static_cast<Memory*>(handle)->position);
}

// Everything `fd` delivers until its end.
bool ReadToEnd(int fd, std::vector<std::uint8_t>& bytes) {
    std::size_t used = 0;
    for (;;) {
        if (bytes.size() - used < 65536)
            bytes.resize(std::max<std::size_t>(2 * bytes.size(), 1 << 20));
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    bytes.shrink_to_fit();
    return true;
}

}  // namespace

bool PictureInput::Open(const std::string& fileName) {
    file_.reset();
    memory_ = Memory();
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    if (::lseek(fd, 0, SEEK_CUR) >= 0) {
        file_.reset(::fdopen(fd, "rb"));
        if (!file_) ::close(fd);
        return file_ != nullptr;
    }
    const bool read = ReadToEnd(fd, memory_.bytes);
    ::close(fd);
    return read;
}

Bitmap PictureInput::Load(FREE_IMAGE_FORMAT format, int flags) {
    if (file_) {
        FreeImageIO io{ReadFile, WriteNothing, SeekFile, TellFile};
        if (std::fseek(file_.get(), 0, SEEK_SET) != 0) return nullptr;
        return Bitmap(FreeImage_LoadFromHandle(format, &io, file_.get(), flags));
    }
    FreeImageIO io{ReadMemory, WriteNothing, SeekMemory, TellMemory};
    memory_.position = 0;
    return Bitmap(FreeImage_LoadFromHandle(format, &io, &memory_, flags));
}

}  // namespace pelmo
