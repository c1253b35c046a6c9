// A child process that has done its part and is left to finish on its own.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <utility>

namespace pelmo {

// Waits for the child when destroyed (or when another takes its place), so
// that its exit is collected, and its resources counted, by this process.
class ChildProcess {
  public:
    ChildProcess() = default;
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ~ChildProcess() { Wait(); }
    ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        if (this != &other) {
            Wait();
            pid_ = std::exchange(other.pid_, -1);
        }
        return *this;
    }

    // Waits for the child; true when it exited normally with status 0.
    bool Wait() {
        if (pid_ < 0) return true;
        int status = 0;
        pid_t done;
        while ((done = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return done >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

  private:
    pid_t pid_ = -1;
};

}  // namespace pelmo
