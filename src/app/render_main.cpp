#include <cstdio>
#include <new>

#include "app/render_driver.hpp"

int main(int argc, char** argv) {
    try {
        return pelmo::RunRender(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("Error, not enough memory.\n", stderr);
        return 1;
    }
}
