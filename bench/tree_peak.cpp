// Runs a command and samples, every millisecond, the resident memory of the
// command and of every process it starts, summed: the memory a user sees the
// whole conversion take, decoding child included (the maximum resident size
// of /usr/bin/time is that of the largest single process).
// Usage: pelmo_tree_peak OUT_FILE COMMAND [ARGS...]
// Writes "<peak KiB> <wall seconds>" to OUT_FILE and ends with the command's
// status.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

// Resident pages of `pid`, 0 when it is gone.
long ResidentPages(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return statm ? resident : 0;
}

// Adds the children of every known process, recursively, to `tree`.
void FindChildren(std::set<pid_t>& tree) {
    std::set<pid_t> pending(tree);
    while (!pending.empty()) {
        const pid_t pid = *pending.begin();
        pending.erase(pending.begin());
        std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                               "/children");
        pid_t child = 0;
        while (children >> child) {
            if (tree.insert(child).second) pending.insert(child);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: pelmo_tree_peak OUT_FILE COMMAND [ARGS...]\n", stderr);
        return 2;
    }
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return 125;
    if (pid == 0) {
        ::execvp(argv[2], argv + 2);
        ::_exit(127);
    }
    const long pageKib = ::sysconf(_SC_PAGESIZE) / 1024;
    long peak = 0;
    int status = 0;
    std::set<pid_t> tree{pid};
    for (;;) {
        FindChildren(tree);
        long sum = 0;
        for (const pid_t p : tree) sum += ResidentPages(p);
        if (sum > peak) peak = sum;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::ofstream(argv[1]) << peak * pageKib << ' ' << seconds << '\n';
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
