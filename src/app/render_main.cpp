#include <cstdio>
#include <new>

#include "app/render_driver.hpp"
#include "base/errors.hpp"
#include "base/process_setup.hpp"

int main(int argc, char** argv) {
    if (!pelmo::PrepareProcess()) return 1;
    try {
        return pelmo::RunRender(argc, argv);
    } catch (const std::bad_alloc&) {
        pelmo::PrintError("Error, not enough memory.\n");
        return 1;
    }
}
