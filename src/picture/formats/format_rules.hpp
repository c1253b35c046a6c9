// What each format's decoder does at the end of its data, and which readers
// here serve it: one row per format, so that nothing else switches on the
// format.
#pragma once

#include <FreeImage.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "picture/formats/facts.hpp"

namespace pelmo {

// What a read at the end of the file means, as each format's decoder goes.
enum class DataEnd {
    // Nothing: the decoder checks its data itself (PNG, GIF; JPEG, whose
    // decoder warns of the end it meets, see ReportLosesPixels), or reads
    // ahead in blocks and may ask past the end of a whole file, whose
    // run-length data the header's reader follows instead (PCX, TGA).
    Checked,
    // Data is missing: the decoder reads exactly what it needs (BMP, ICO,
    // PSD, TIFF), so it never meets a short read in a whole file.
    AnyShortRead,
};

// The pages of a file of several: the splice of each, in order; for a GIF
// the screen they are shown on and its background colour.
struct PageSplices {
    std::vector<Splice> pages;
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    std::optional<std::array<std::uint8_t, 3>> background;
    // For each frame, true when it is cleared to the background colour once
    // shown, whatever the decoded frame says.
    std::vector<bool> clearedOnceShown;
};

struct FormatRules {
    FREE_IMAGE_FORMAT format;
    // The first picture's header.
    Expected<PictureFacts> (*header)(ByteReader& file);
    // Where the pages of a file of several lie; null where a file holds one.
    Expected<PageSplices> (*pages)(ByteReader& file);
    // Whether the data covers every pixel, where the decoder goes on from
    // nothing at its end without a word; null where the least size says all.
    bool (*holdsItsPixels)(ByteReader& file, const PictureFacts& facts, std::uint64_t size);
    DataEnd dataEnd;
    // The checks read the file to its end (a PCX's palette, a TGA's last
    // packet).
    bool checksNeedTheEnd;
    // The pages are frames shown one over the other on a screen (a GIF's).
    bool framesOnScreen;
};

// The row of `format`; null for a format the converter does not read.
const FormatRules* RulesFor(FREE_IMAGE_FORMAT format);

}  // namespace pelmo
