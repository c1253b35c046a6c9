#include "picture/picture_input.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pelmo {

namespace {

// The window of a file's bytes: reads at least this large go straight to
// the file.
constexpr std::size_t kWindowBytes = std::size_t{16} << 10;

}  // namespace

bool PictureInput::Open(const std::string& fileName) {
    Fd fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) return false;
    if (::lseek(fd.Get(), 0, SEEK_CUR) < 0) {
        stream_ = std::move(fd);
    } else {
        file_ = std::move(fd);
    }
    return true;
}

void PictureInput::LimitReading(std::uint64_t bytes) {
    limit_ = bytes;
}

void PictureInput::Fill(std::uint64_t end) {
    if (end > limit_ && stream_.Get() >= 0) limited_ = true;
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
            limited_ = false;
        } else {
            held_ += static_cast<std::size_t>(n);
        }
    }
}

std::uint64_t PictureInput::Size(std::uint64_t atLeast) {
    if (file_.Get() >= 0) {
        const off_t end = ::lseek(file_.Get(), 0, SEEK_END);
        return end < 0 ? 0 : static_cast<std::uint64_t>(end);
    }
    Fill(atLeast);
    return std::min<std::uint64_t>(held_, limit_);
}

std::size_t PictureInput::ReadFile(std::uint64_t offset, void* data, std::size_t size) const {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(file_.Get(), static_cast<char*>(data) + got, size - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

std::size_t PictureInput::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    if (offset > INT64_MAX - size) return 0;  // past any file
    if (file_.Get() >= 0) {
        if (size >= kWindowBytes) return ReadFile(offset, data, size);
        const auto holds = [&](const Window& w) {
            return offset >= w.at && offset + size <= w.at + w.bytes.size();
        };
        Window* window = holds(windows_[0])                    ? &windows_[0]
                         : holds(windows_[1])                  ? &windows_[1]
                         : windows_[0].used < windows_[1].used ? &windows_[0]
                                                               : &windows_[1];
        if (!holds(*window)) {
            window->bytes.resize(kWindowBytes);
            window->bytes.resize(ReadFile(offset, window->bytes.data(), kWindowBytes));
            window->at = offset;
        }
        window->used = ++reads_;
        const std::uint64_t end = window->at + window->bytes.size();
        if (offset >= end) return 0;
        const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - offset));
        std::memcpy(data, window->bytes.data() + (offset - window->at), got);
        return got;
    }
    Fill(offset + size);
    const std::uint64_t end = std::min<std::uint64_t>(held_, limit_);
    if (offset >= end) return 0;
    const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - offset));
    std::memcpy(data, bytes_.data() + offset, got);
    return got;
}

}  // namespace pelmo
