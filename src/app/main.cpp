#include <cstdio>
#include <new>
#include <optional>

#include "app/driver.hpp"
#include "base/errors.hpp"
#include "base/process_setup.hpp"

int main(int argc, char** argv) {
    const std::optional<pelmo::ClosedStreams> closed = pelmo::PrepareProcess();
    if (!closed) return 1;
    try {
        return pelmo::RunConversion(argc, argv, *closed);
    } catch (const std::bad_alloc&) {
        pelmo::PrintError("Error, not enough memory.\n");
        return 1;
    }
}
