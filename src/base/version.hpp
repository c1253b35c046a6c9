// The program's name and release as the banner and every source's header
// show them. The number is the build's project version (CMakeLists.txt),
// which the package and the manual page carry as well.
#pragma once

#include <string_view>

#ifndef PELMO_VERSION
#error "PELMO_VERSION comes from the build: the project version"
#endif

namespace pelmo {

inline constexpr std::string_view kVersionText = "PelmoImage v" PELMO_VERSION " (Mar 2, 2013)";

}  // namespace pelmo
