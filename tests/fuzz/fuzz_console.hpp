// Console plumbing for the fuzz targets. The C streams stdout and stderr are
// pointed at two in-memory files (the C library allows assigning them), so a
// target reads what the code under test printed without a pipe per input,
// while descriptor 2 stays the real standard error for the fuzzer's own
// messages, sanitizer reports and failed checks.
#pragma once

#include <string>

namespace pelmo::fuzz {

// Captures stdout and stderr from its first call on; every call empties both.
// Call before each input.
void ResetConsole();
// Everything printed on stdout / stderr since the last ResetConsole.
std::string ConsoleOut();
std::string ConsoleErr();

// Reports `what` on the real standard error and aborts, which is how a fuzz
// target signals a finding.
[[noreturn]] void Fail(const std::string& what, const char* file, int line);

}  // namespace pelmo::fuzz

#define FUZZ_CHECK(condition, what)                                        \
    do {                                                                   \
        if (!(condition)) ::pelmo::fuzz::Fail((what), __FILE__, __LINE__); \
    } while (false)
