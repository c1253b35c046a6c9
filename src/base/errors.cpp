#include "base/errors.hpp"

#include <cstdio>

namespace pelmo {

void PrintError(std::string_view line) {
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace pelmo
