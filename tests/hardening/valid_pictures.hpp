// One small valid picture of every supported extension, made once per test
// binary in a private folder: saved by the image library where it can write
// the format well, written byte by byte otherwise (PCX, and PSD, whose writer leaks).
#pragma once

#include <string>
#include <vector>

namespace pelmo::hardening {

// Every extension the converter reads, with its dot.
const std::vector<std::string>& Extensions();

// The bytes of a valid 24 x 24 picture stored under `extension`.
const std::string& ValidPicture(const std::string& extension);

}  // namespace pelmo::hardening
