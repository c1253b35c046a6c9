// Writing a whole buffer to a file descriptor.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace pelmo {

// Writes all `size` bytes, going on after partial writes and interrupted
// calls; false as soon as a write fails or makes no progress.
inline bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace pelmo
