#include "picture/picture_input.hpp"

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

}  // namespace

bool PictureInput::Open(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    if (::lseek(fd, 0, SEEK_CUR) < 0) {
        stream_ = Fd(fd);
        return true;
    }
    file_.reset(::fdopen(fd, "rb"));
    if (!file_) ::close(fd);
    return file_ != nullptr;
}

void PictureInput::LimitReading(std::uint64_t bytes) {
    limit_ = bytes;
}

void PictureInput::Fill(std::uint64_t end) {
    end = std::min(end, limit_);
    while (stream_.Get() >= 0 && held_ < end) {
        const std::size_t room = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max<std::uint64_t>(end - held_, 1 << 16), 1 << 24));
        // The buffer grows by doubling (within what is asked for), not by
        // each read, which a pipe keeps to 64 KiB.
        if (bytes_.size() < held_ + room) {
            bytes_.resize(std::max<std::uint64_t>(held_ + room,
                                                  std::min<std::uint64_t>(2 * bytes_.size(), end)));
        }
        const ssize_t n = ::read(stream_.Get(), bytes_.data() + held_, room);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {  // the end, or a failure that ends it as well
            stream_.Reset();
        } else {
            held_ += static_cast<std::size_t>(n);
        }
    }
}

std::uint64_t PictureInput::Size() {
    if (file_) {
        const off_t end = ::lseek(::fileno(file_.get()), 0, SEEK_END);
        return end < 0 ? 0 : static_cast<std::uint64_t>(end);
    }
    Fill(UINT64_MAX);
    return std::min<std::uint64_t>(held_, limit_);
}

std::uint64_t PictureInput::SizeAtLeast(std::uint64_t bytes) {
    if (file_) return Size();
    Fill(bytes);
    return std::min<std::uint64_t>(held_, limit_);
}

std::size_t PictureInput::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    if (file_) {
        std::size_t got = 0;
        while (got < size) {
            const ssize_t n = ::pread(::fileno(file_.get()), static_cast<char*>(data) + got,
                                      size - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        return got;
    }
    Fill(offset + size);
    const std::uint64_t end = std::min<std::uint64_t>(held_, limit_);
    if (offset >= end) return 0;
    const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - offset));
    std::memcpy(data, bytes_.data() + offset, got);
    return got;
}

unsigned DLL_CALLCONV PictureInput::Read(void* buffer, unsigned size, unsigned count,
                                         fi_handle handle) {
    auto& input = *static_cast<PictureInput*>(handle);
    const std::size_t wanted = std::size_t{size} * count;
    std::size_t got = 0;
    if (input.file_) {
        got = std::fread(buffer, 1, wanted, input.file_.get());
    } else {
        got = input.ReadAt(input.position_, buffer, wanted);
        input.position_ += got;
    }
    if (got < wanted) {
        ZeroUnread(buffer, got, wanted);
        input.ends_.shortRead = true;
        if (got == 0) input.ends_.pastEnd = true;
    }
    return size == 0 ? 0 : static_cast<unsigned>(got / size);
}

int DLL_CALLCONV PictureInput::Seek(fi_handle handle, long offset, int origin) {
    auto& input = *static_cast<PictureInput*>(handle);
    if (input.file_) return std::fseek(input.file_.get(), offset, origin);
    long base = 0;
    if (origin == SEEK_CUR) base = static_cast<long>(input.position_);
    if (origin == SEEK_END) base = static_cast<long>(input.Size());
    if (offset < 0 ? base < -offset : offset > std::numeric_limits<long>::max() - base) return -1;
    input.position_ = static_cast<std::size_t>(base + offset);
    return 0;
}

long DLL_CALLCONV PictureInput::Tell(fi_handle handle) {
    auto& input = *static_cast<PictureInput*>(handle);
    if (input.file_) return std::ftell(input.file_.get());
    return static_cast<long>(input.position_);
}

Bitmap PictureInput::Load(FREE_IMAGE_FORMAT format, int flags) {
    ends_ = ReadEnds();
    if (file_) {
        if (std::fseek(file_.get(), 0, SEEK_SET) != 0) return nullptr;
    } else {
        position_ = 0;
    }
    FreeImageIO io{Read, WriteNothing, Seek, Tell};
    return Bitmap(FreeImage_LoadFromHandle(format, &io, this, flags));
}

PictureInput::Pages PictureInput::OpenPages(FREE_IMAGE_FORMAT format, int flags) {
    ends_ = ReadEnds();
    if (file_) {
        if (std::fseek(file_.get(), 0, SEEK_SET) != 0) return nullptr;
    } else {
        position_ = 0;
    }
    io_ = FreeImageIO{Read, WriteNothing, Seek, Tell};
    return Pages(FreeImage_OpenMultiBitmapFromHandle(format, &io_, this, flags));
}

bool PictureInput::EndedEarly(FREE_IMAGE_FORMAT format) const {
    switch (format) {
        case FIF_BMP:
        case FIF_ICO:
        case FIF_PSD:
        case FIF_TIFF:
            return ends_.shortRead;
        case FIF_JPEG:
            return ends_.pastEnd;
        default:
            return false;
    }
}

}  // namespace pelmo
