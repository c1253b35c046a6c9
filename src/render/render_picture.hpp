// A rendering from the sources to the finished picture file: the sources
// read and decoded, the picture's size settled, the planes painted and the
// picture put in place.
#pragma once

#include <string>

#include "base/process_setup.hpp"
#include "render/render_settings.hpp"

namespace pelmo {

// Renders as `settings` say, reporting progress to `progress`; `closed`: the
// standard descriptors closed at the start, never taken as the picture file.
// False, with `error` set to the reason (the text after "Error, ", without
// the full stop), when no picture could be written; an existing picture file
// is then as it was. `warning`, the same way, says what the user should know
// of a picture written: that its height is a guess.
bool RenderPicture(RenderSettings settings, const ClosedStreams& closed,
                   const RenderProgress& progress, std::string& error, std::string& warning);

}  // namespace pelmo
