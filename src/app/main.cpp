#include <cstdio>
#include <new>

#include "app/driver.hpp"
#include "base/process_setup.hpp"

int main(int argc, char** argv) {
    if (!pelmo::PrepareProcess()) return 1;
    try {
        return pelmo::RunConversion(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("Error, not enough memory.\n", stderr);
        return 1;
    }
}
