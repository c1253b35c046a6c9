// What a converter run that must fail, or may either fail or succeed, is
// allowed to leave behind.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "child_run.hpp"

namespace pelmo::hardening {

// The error lines of a picture that cannot be opened, and of an output that
// cannot be written.
std::string OpenImageError(const std::string& input);
std::string WriteError(const std::string& path);
// The error lines of a picture whose height is not a multiple of 8, of one
// that the image library reads but cannot convert to 32 bits, of a
// picture whose declared alpha channel the image library drops (with -alpha
// or -mask), and of a variant that the library is known to misread, named by
// `variant` ("an uncompressed PCX").
std::string HeightError();
std::string ConvertError();
std::string AlphaDroppedError(const std::string& input);
std::string MisreadError(const std::string& input, const std::string& variant);

// Status 1 after a normal exit, exactly one line on standard error and it
// starts with "Error, ", no "Operation completed.", and no file at `output`.
::testing::AssertionResult CleanFailure(const Outcome& run, const std::string& output);

// Like CleanFailure, and the error line is `line` exactly.
::testing::AssertionResult FailsWith(const Outcome& run, const std::string& line,
                                     const std::string& output);

// A clean failure whose line is one the picture loader prints: failed to
// open `input`, a height not a multiple of 8, a failed conversion, not
// enough memory, or more pixels than the pixel limit.
::testing::AssertionResult LoaderFailure(const Outcome& run, const std::string& input,
                                         const std::string& output);

// A clean failure as above, or a complete success: status 0, nothing on
// standard error, "Operation completed." last, and the output file written.
::testing::AssertionResult CleanOutcome(const Outcome& run, const std::string& output);

}  // namespace pelmo::hardening
