#include "support/unit_console.hpp"

#include <gtest/gtest.h>

#include <cstdio>

namespace pelmo::unit {

void BeginConsoleCapture() {
    std::fflush(stdout);
    std::fflush(stderr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
}

ConsoleText EndConsoleCapture() {
    std::fflush(stdout);
    std::fflush(stderr);
    ConsoleText text;
    text.err = testing::internal::GetCapturedStderr();
    text.out = testing::internal::GetCapturedStdout();
    return text;
}

}  // namespace pelmo::unit
