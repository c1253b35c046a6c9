#include "outcome_checks.hpp"

#include <algorithm>
#include <iterator>

#include "support/unit_temp_dir.hpp"

namespace pelmo::hardening {

namespace {

std::string Show(const Outcome& run) {
    return run.Describe() + "\n--- stdout ---\n" + run.out + "--- stderr ---\n" + run.err + "---";
}

}  // namespace

std::string OpenImageError(const std::string& input) {
    return "Error, failed to open image \"" + input + "\".\n";
}

std::string WriteError(const std::string& path) {
    return "Error, couldn't write \"" + path + "\".\n";
}

std::string HeightError() {
    return "Error, height must be multiple of 8.\n";
}

std::string ConvertError() {
    return "Error, failed to convert image.\n";
}

std::string AlphaDroppedError(const std::string& input) {
    return "Error, image \"" + input +
           "\" has an alpha channel that the image library drops; save it as PNG or RGBA TIFF.\n";
}

std::string MisreadError(const std::string& input, const std::string& variant) {
    return "Error, image \"" + input + "\" is " + variant +
           ", which the image library misreads; save it as PNG.\n";
}

::testing::AssertionResult CleanFailure(const Outcome& run, const std::string& output) {
    if (!run.exited || run.status != 1) {
        return ::testing::AssertionFailure() << "expected status 1, got " << Show(run);
    }
    const bool oneLine = run.err.starts_with("Error, ") && run.err.ends_with("\n") &&
                         std::count(run.err.begin(), run.err.end(), '\n') == 1;
    if (!oneLine) return ::testing::AssertionFailure() << "not one error line: " << Show(run);
    if (run.out.find("Operation completed.") != std::string::npos) {
        return ::testing::AssertionFailure() << "a failed run reports completion: " << Show(run);
    }
    if (unit::FileExists(output)) {
        return ::testing::AssertionFailure() << "a failed run left " << output << ": " << Show(run);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult FailsWith(const Outcome& run, const std::string& line,
                                     const std::string& output) {
    ::testing::AssertionResult clean = CleanFailure(run, output);
    if (!clean) return clean;
    if (run.err != line) {
        return ::testing::AssertionFailure() << "expected [" << line << "], got " << Show(run);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LoaderFailure(const Outcome& run, const std::string& input,
                                         const std::string& output) {
    ::testing::AssertionResult clean = CleanFailure(run, output);
    if (!clean) return clean;
    const std::string lines[] = {
        OpenImageError(input),
        HeightError(),
        ConvertError(),
        "Error, not enough memory.\n",
    };
    // Or more pixels than the pixel limit: "Error, image "<input>" is WxH ...".
    const bool overLimit = run.err.starts_with("Error, image \"" + input + "\" is ") &&
                           run.err.ends_with(" (see -maxpixels).\n");
    if (!overLimit && std::find(std::begin(lines), std::end(lines), run.err) == std::end(lines)) {
        return ::testing::AssertionFailure() << "not a loader error: " << Show(run);
    }
    if (run.out.find("Loaded ") != std::string::npos) {
        return ::testing::AssertionFailure() << "a refused picture reports its size: " << Show(run);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CleanOutcome(const Outcome& run, const std::string& output) {
    if (run.exited && run.status == 1) return CleanFailure(run, output);
    if (!run.exited || run.status != 0) {
        return ::testing::AssertionFailure() << "neither status 0 nor 1: " << Show(run);
    }
    if (!run.err.empty() || !run.out.ends_with("Operation completed.\n") ||
        !unit::FileExists(output)) {
        return ::testing::AssertionFailure() << "an incomplete success: " << Show(run);
    }
    return ::testing::AssertionSuccess();
}

}  // namespace pelmo::hardening
