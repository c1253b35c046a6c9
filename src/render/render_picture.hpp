// A rendering from the sources to the finished picture file: the sources
// read and decoded, the picture's size settled, the planes painted and the
// picture put in place.
#pragma once

#include <string>

#include "base/failure.hpp"
#include "base/process_setup.hpp"
#include "render/render_settings.hpp"

namespace pelmo {

// What a rendering that wrote its picture file has to tell the user.
struct Rendered {
    // What the user should know of the picture written, as the text after
    // "Warning, " without the full stop: that its height is a guess. Empty
    // for nothing.
    std::string warning;
};

// Renders as `settings` say, reporting progress to `progress`; `closed`: the
// standard descriptors closed at the start, never taken as the picture file.
// A Failure (the reason after "Error, ", without the full stop) when no
// picture could be written; an existing picture file is then as it was.
Expected<Rendered> RenderPicture(RenderSettings settings, const ClosedStreams& closed,
                                 const RenderProgress& progress);

}  // namespace pelmo
