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

int RunEntry(EntryPoint program, const std::vector<std::string>& args, ConsoleText& console) {
    std::vector<const char*> argv{"program"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    int status = -1;
    console =
        CaptureConsole([&] { status = program(static_cast<int>(argv.size()), argv.data(), {}); });
    return status;
}

}  // namespace pelmo::unit
