#include "base/process_setup.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace pelmo {

std::optional<ClosedStreams> PrepareProcess() {
    ClosedStreams closed{};
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor: this one, as those below it are open.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened != fd) {
            if (opened >= 0) ::close(opened);
            return std::nullopt;
        }
        closed[static_cast<std::size_t>(fd)] = true;
    }
    std::signal(SIGCHLD, SIG_DFL);
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    return closed;
}

}  // namespace pelmo
