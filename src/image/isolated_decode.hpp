// Decodes a picture in a child process and streams its tone levels back.
//
// The image library is old and trusts its input: some damaged files crash it
// or make it read memory it never wrote. Decoding in a child keeps such a
// crash, or a runaway allocation, from taking the conversion down with it:
// the parent only ever sees a status and, on success, the tone levels.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/child_process.hpp"

namespace pelmo {

enum class DecodeStatus : std::int32_t {
    SizeKnown = -1,  // not an outcome: the size, sent early so the parent can
                     // make room for the tone levels while the child decodes
    Ok = 0,
    OpenFailed,     // the decoder gave no bitmap, or the child died
    BadHeight,      // height not a multiple of 8
    ConvertFailed,  // no 32-bit conversion
    TooLarge,       // the pixel count does not fit a 32-bit signed integer
    NoMemory,       // the parent could not hold the tone levels
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::OpenFailed;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The work done in the child: it writes one DecodeResult to `out` (after any
// number of SizeKnown ones) and, when the status is Ok, width * height tone
// levels and then the same result again, to say that everything is there. `budget` is the
// address space the child may use.
using ChildDecoder = void (*)(FREE_IMAGE_FORMAT format, const std::string& fileName, int out,
                              std::uint64_t budget);

// Runs `decoder` in a child process with standard output and error silenced
// and its memory limited, and collects what it sends. A child that dies, is
// killed, or stops short reads as OpenFailed. A child that delivered tone
// levels may still be releasing its memory: it is handed to `finishing` when
// given (to be waited for later), or else waited for at once.
DecodeResult RunDecoderIsolated(ChildDecoder decoder, FREE_IMAGE_FORMAT format,
                                const std::string& fileName, std::vector<std::uint8_t>& tones,
                                ChildProcess* finishing = nullptr);

// Loads `fileName` with the decoder `format`, turns it upright, checks its
// height, converts it to 32 bits and classifies every pixel into `tones`
// (row-major, top row first). `tones` is filled only when the status is Ok.
DecodeResult DecodeIsolated(FREE_IMAGE_FORMAT format, const std::string& fileName,
                            std::vector<std::uint8_t>& tones, ChildProcess& finishing);

}  // namespace pelmo
