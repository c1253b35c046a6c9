// Captures what code under test prints on standard output and standard error.
#pragma once

#include <string>
#include <vector>

#include "base/process_setup.hpp"

namespace pelmo::unit {

struct ConsoleText {
    std::string out;  // standard output
    std::string err;  // standard error
};

// Starts capturing both streams; every capture must end with EndConsoleCapture.
void BeginConsoleCapture();
// Flushes both streams, stops capturing and returns what they received.
ConsoleText EndConsoleCapture();

// Runs `action` with both streams captured and returns what it printed.
template <typename Action>
ConsoleText CaptureConsole(Action&& action) {
    BeginConsoleCapture();
    action();
    return EndConsoleCapture();
}

// Runs a program's entry point (RunConversion, RunRender) with `args` after
// its name, `console` getting what it prints; its exit status.
using EntryPoint = int (*)(int, const char* const*, const ClosedStreams&);
int RunEntry(EntryPoint program, const std::vector<std::string>& args, ConsoleText& console);

}  // namespace pelmo::unit
