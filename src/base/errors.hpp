// The one way to print an error line.
#pragma once

#include <string>
#include <string_view>

namespace pelmo {

// Writes `line` ("Error, ...\n") to standard error, after whatever standard
// output holds, so that a console showing both shows them in order.
void PrintError(std::string_view line);

// `text` in double quotes, as error lines quote file names and values.
std::string Quoted(std::string_view text);

}  // namespace pelmo
