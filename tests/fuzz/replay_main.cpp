// Stands in for libFuzzer where it is not available: runs a fuzz target once
// over every file named on the command line, folders taken file by file in
// name order. A finding aborts, so the exit status alone tells the result.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Say(const std::string& text) {
    if (::write(STDERR_FILENO, text.data(), text.size()) < 0) {
        // Only a progress line is lost.
    }
}

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path)) return {path};
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::vector<char> text{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
    // A buffer of exactly the input's size, so that a sanitizer sees any read past its end.
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Say("usage: fuzz-target (file or folder)...\n");
        return 2;
    }
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::vector<std::filesystem::path> files = InputsOf(argv[i]);
        if (files.empty()) {
            Say(std::string("no inputs in ") + argv[i] + "\n");
            return 2;
        }
        for (const auto& file : files) {
            if (!Replay(file)) {
                Say("cannot read " + file.string() + "\n");
                return 2;
            }
            ++replayed;
        }
    }
    Say("replayed " + std::to_string(replayed) + " inputs\n");
    return 0;
}
