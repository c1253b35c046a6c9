#include "fuzz_console.hpp"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace pelmo::fuzz {

namespace {

struct Capture {
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;
};

std::FILE* MemoryFile(const char* name) {
    const int fd = ::memfd_create(name, 0);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "w+");
    if (file == nullptr) {
        std::perror("fuzz console");
        std::abort();
    }
    return file;
}

const Capture& TheCapture() {
    static const Capture capture = [] {
        std::fflush(stdout);
        std::fflush(stderr);
        Capture c{MemoryFile("fuzz-stdout"), MemoryFile("fuzz-stderr")};
        stdout = c.out;
        stderr = c.err;
        return c;
    }();
    return capture;
}

void Empty(std::FILE* file) {
    std::fflush(file);
    if (::ftruncate(::fileno(file), 0) != 0) std::abort();
    std::rewind(file);
}

std::string ReadAll(std::FILE* file) {
    std::fflush(file);
    const int fd = ::fileno(file);
    struct stat info {};
    if (::fstat(fd, &info) != 0) std::abort();
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return text;
}

}  // namespace

void ResetConsole() {
    const Capture& c = TheCapture();
    Empty(c.out);
    Empty(c.err);
}

std::string ConsoleOut() {
    return ReadAll(TheCapture().out);
}

std::string ConsoleErr() {
    return ReadAll(TheCapture().err);
}

void Fail(const std::string& what, const char* file, int line) {
    const std::string text = std::string(file) + ":" + std::to_string(line) + ": " + what + "\n";
    if (::write(STDERR_FILENO, text.data(), text.size()) < 0) {
        // The abort below still reports the finding.
    }
    std::abort();
}

}  // namespace pelmo::fuzz
