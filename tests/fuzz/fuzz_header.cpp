// Fuzzes the reading of picture headers, which comes before any decoder of
// the image library and must take any bytes: a verdict, and for a picture
// whether the file holds its pixels, with no read past the bytes given and
// nothing undefined on the way. (fuzz_picture runs it too, but through a
// decoding child per input, a thousand times slower.)
//
// Input: byte 0 picks the extension (bits 0 to 3, modulo the eleven), as for
// fuzz_picture, whose seeds it shares; the rest is the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "fuzz_console.hpp"
#include "picture/formats/picture_header.hpp"
#include "picture/picture_formats.hpp"
#include "support/string_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmo;
    if (size < 1) return 0;
    const PictureExtension& extension =
        kPictureExtensions[(data[0] & 15) % std::size(kPictureExtensions)];
    unit::BytesReader file({data + 1, size - 1});
    PictureFacts facts;
    if (ReadPictureHeader(extension.format, file, facts) != HeaderVerdict::Picture) return 0;
    const bool holds = HoldsItsPixels(extension.format, file, facts, size - 1);
    FUZZ_CHECK(!holds || facts.leastSize <= size - 1, "a file shorter than its least size holds");
    return 0;
}
