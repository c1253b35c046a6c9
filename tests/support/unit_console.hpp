// Captures what code under test prints on standard output and standard error.
#pragma once

#include <string>

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

}  // namespace pelmo::unit
