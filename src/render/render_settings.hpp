// The settings of one rendering: which source becomes which picture, and
// what the source does not say itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/img_options.hpp"
#include "base/limits.hpp"
#include "plane/interleave.hpp"

namespace pelmo {

struct RenderSettings {
    std::string sourceFile;
    std::string pictureFile;
    std::string dimSourceFile;          // -dimplane; empty for a picture of one plane
    std::int32_t width = 0;             // -w; 0 for the width symbol of a -dims source
    std::int32_t height = 0;            // -h; 0 for the fewest 8-row blocks that hold the data
    std::optional<ImgCodecKind> codec;  // -c; else each source's include line names it
    ImgOptions layout;                  // -xorder and -unflip
    bool force = false;                 // -f: an existing picture file may be replaced
    bool quiet = false;                 // -q: nothing on standard output
    std::uint64_t maxPixels = kDefaultPixelLimit;  // -maxpixels
    // A source of frames: the frame's size as the plane has it (-frames WXH;
    // 0 x 0 for the -dims symbols'), and the one frame to show (-frame N).
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;
    std::optional<std::int32_t> frame;
    bool plusmask = false;  // -plusmask: sprite and mask bytes in pairs
    // -tileset: a source of tiles shows its tiles in number order, as a
    // sheet of frames, instead of the picture its map makes.
    bool tileSet = false;
    // Previews: each pixel shown as zoom x zoom (-zoom), and the sprite drawn
    // over the mask of this source (-over; empty for none).
    std::int32_t zoom = 1;
    std::string overSourceFile;
    // -text: a line of text drawn with the font the source holds (-font);
    // none for a picture.
    std::optional<std::string> text;

    // The planes whose bytes take turns in each source: the sprite (plane 0)
    // and its mask (plane 1) with -plusmask, the one plane otherwise.
    Interleave Interleaving() const {
        ImgOptions options;
        options.plusmask = plusmask;
        return Interleave::Of(options);
    }
};

// Where the progress lines go ("Decoded ...", "Wrote ..."), each with its
// line end; empty for none.
using RenderProgress = std::function<void(const std::string& line)>;

}  // namespace pelmo
