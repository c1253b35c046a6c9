// Decodes a picture in a child process and streams its packed plane back.
//
// The image library is old and trusts its input: some damaged files crash it
// or make it read memory it never wrote. Decoding in a child keeps such a
// crash, or a runaway allocation, from taking the conversion down with it:
// the parent only ever sees a status and, on success, the packed plane.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/child_process.hpp"
#include "base/img_options.hpp"
#include "base/limits.hpp"
#include "picture/formats/facts.hpp"
#include "tones/stray_pixels.hpp"

namespace pelmo {

enum class DecodeStatus : std::int32_t {
    Ok = 0,
    OpenFailed,     // the decoder gave no bitmap, or the child died
    BadHeight,      // height not a multiple of 8
    ConvertFailed,  // no 32-bit conversion
    TooLarge,       // more pixels than a 32-bit signed count, or more memory than there is
    NoMemory,       // the parent could not hold the plane
    OverLimit,      // more pixels than the request allows
    Misread,        // a variant that the library misreads (`misread` says which)
    AlphaDropped,   // opacity asked for, declared, and lost in decoding
    NotFrames,      // -frames: the picture is not a whole number of frames
    PagesDiffer,    // -frames all: a page of another size than the first
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::OpenFailed;
    std::uint32_t width = 0;
    std::uint32_t height = 0;         // of the plane: padded to a multiple of 8 with -pad
    std::uint32_t pictureHeight = 0;  // as the picture has it
    Misread misread = Misread::None;
    std::uint32_t pages = 1;  // stacked top to bottom: those of -frames all, else the one
    // -tones: the pixels that are none of its colours, the pages' rows
    // counted one below the other; the last result alone carries them.
    StrayPixels strays{};
};

struct DecodeRequest {
    FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
    std::string fileName;
    ImgOptions options;  // the plane (-dim), the order of its bytes, the pixel limit
    // The decoder runs in a process of its own, which it limits to the
    // memory and processor time that the picture's header justifies.
    bool confine = false;
};

// Blocks of eight rows go out in batches of this many, about 256 KiB, and at
// least eight so that a column's bytes are placed several at a time.
std::uint32_t BlocksPerBatch(std::uint32_t width);

// What a decoder says to the parent on `out`, in this order: any number of
// time budgets and sizes, then its result; after an Ok result, the packed
// bytes of every block of eight rows, top block first, `width` bytes each, in
// batches of BlocksPerBatch(width) blocks, each batch announced, and then the
// same result again, to say that everything is there, or in place of a batch
// a refusal of a page after the first.
class ChildReply {
  public:
    explicit ChildReply(int out) : out_(out) {}
    // The processor time the decoding may take from now on, sent before the
    // library sees more than the header: the parent ends a child that has
    // not finished within DecodeDeadline(seconds) of wall time.
    bool Budget(std::uint32_t seconds) const;
    // The picture's size, sent early so that the parent can make room for
    // the plane while the decoding goes on.
    bool Size(std::uint32_t width, std::uint32_t height) const;
    bool Result(const DecodeResult& result) const;
    // A batch of blocks.
    bool Bytes(const std::uint8_t* bytes, std::size_t count) const;

  private:
    int out_;
};

// The work done in the child, which replies on `out`; `budget` is the memory
// the child may use.
using ChildDecoder = void (*)(const DecodeRequest& request, int out, std::uint64_t budget);

// Runs `decoder` in a child process with standard output and error silenced,
// its memory limited and SIGXCPU as the system has it (whatever the program
// inherited), and places the blocks it sends into `plane`, in the order that
// the request's options choose. A child that dies, is killed, stops short,
// claims more pixels than the request allows or outlasts the deadline of the
// budget it sent reads as OpenFailed. A child that delivered everything may
// still be releasing its memory: it is handed to `finishing` when given (to
// be waited for later), or else waited for at once.
DecodeResult RunDecoderIsolated(ChildDecoder decoder, const DecodeRequest& request,
                                std::vector<std::uint8_t>& plane,
                                ChildProcess* finishing = nullptr);

// Limit the calling process, a decoding child, to `bytes` of address space
// beyond what it maps now, and to `seconds` of processor time from now on
// (SIGXCPU then, and a hard limit a second later that ends it whatever it
// does with that signal; the time limit is never raised again). A decoder
// stopped by either reads as one that could not allocate, or that died: a
// failure, never a hang.
void LimitDecoderMemory(std::uint64_t bytes);
void LimitDecoderTime(std::uint64_t seconds);
// The address space the calling process has mapped.
std::uint64_t MappedBytes();

// The work of the decoding child (a ChildDecoder), one path for every
// picture: reads the headers of the document's pages within a small fixed
// budget, refuses what they cannot honestly hold, decodes each page with the
// image library within what its header justifies (a GIF's frames drawn on
// its screen with -frames all), checks it, and sends the plane that the
// options choose, the pages one below the other. From the headers, pictures
// over the pixel limit or that cannot fit in `budget` are refused before
// any pixel is decoded.
void DecodeDocument(const DecodeRequest& request, int out, std::uint64_t budget);

// The parent's side: reads what a decoder sent on `in` and places the blocks
// into `plane` as `options` say. Empty when the stream breaks off or makes no
// sense; otherwise the decoder's result (or NoMemory when the plane could not
// be held here), with `plane` filled only when it is Ok.
std::optional<DecodeResult> ReceivePlane(int in, const ImgOptions& options,
                                         std::vector<std::uint8_t>& plane);

// DecodeDocument in a child process, confined from its first instruction.
DecodeResult DecodeIsolated(const DecodeRequest& request, std::vector<std::uint8_t>& plane,
                            ChildProcess& finishing);

}  // namespace pelmo
