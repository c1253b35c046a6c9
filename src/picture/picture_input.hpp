// The picture file, opened once: its bytes for the header readers, and for
// the image library through a splice (picture/library_reading.hpp).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/io.hpp"
#include "picture/formats/splice.hpp"

namespace pelmo {

// A file that can seek is read where it lies, as often as the readers ask,
// through windows of its bytes that serve the many small reads of the header
// readers and the decoders at the cost of a copy. Anything else (a
// FIFO, a character device) is read into memory as far as it is asked for,
// and never further than LimitReading allows, so that it can be read again
// without a second open, which could wait for ever, and an endless stream
// costs no more than the picture it claims to hold.
class PictureInput final : public ByteReader {
  public:
    PictureInput() = default;
    PictureInput(const PictureInput&) = delete;
    PictureInput& operator=(const PictureInput&) = delete;

    // False when the file cannot be opened.
    bool Open(const std::string& fileName);

    // No byte of a stream past the first `bytes` is read or handed out.
    void LimitReading(std::uint64_t bytes);
    // True when a read of a stream wanted bytes past the reading limit that
    // the stream may well have held: what stopped it is the limit, not the
    // stream's end.
    bool ReachedLimit() const { return limited_; }

    std::uint64_t Size(std::uint64_t atLeast = UINT64_MAX) override;
    // True for a stream (a FIFO, a character device), which is read into
    // memory.
    bool IsStream() const { return file_.Get() < 0; }

    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override;

  private:
    // Reads the stream on until it holds `end` bytes, ends, or reaches the limit.
    void Fill(std::uint64_t end);
    // Reads a file's bytes from `offset` on, without the windows.
    std::size_t ReadFile(std::uint64_t offset, void* data, std::size_t size) const;

    // A window of a file's bytes: two of them, so that reading a page's
    // header at the file's start and its data further on take turns without
    // reading either again.
    struct Window {
        std::vector<std::uint8_t> bytes;
        std::uint64_t at = 0;
        std::uint64_t used = 0;  // when it was last read from
    };
    Fd file_;  // a file that can seek
    Window windows_[2];
    std::uint64_t reads_ = 0;
    Fd stream_;                         // a stream still being read
    std::vector<std::uint8_t> bytes_;   // what was read of a stream, and room
    std::size_t held_ = 0;              // bytes of `bytes_` read
    std::uint64_t limit_ = UINT64_MAX;  // the most of a stream to read
    bool limited_ = false;
};

}  // namespace pelmo
