// The picture file, opened once and read through the image library.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/io.hpp"
#include "picture/bitmap.hpp"
#include "picture/formats/facts.hpp"

namespace pelmo {

// Opens the picture once. A file that can seek is read from where it lies,
// as often as the decoders ask; anything else (a FIFO, a character device)
// is read into memory as far as it is asked for, and never further than
// LimitReading allows, so that it can be read again without a second open,
// which could wait for ever, and an endless stream costs no more than the
// picture it claims to hold.
//
// Some decoders ignore short reads at the end of a damaged file and go on
// with whatever their buffer held; the part a short read leaves unset is
// zeroed (up to 64 KiB a read), so such a file always decodes the same way,
// and never from memory that nobody wrote, and EndedEarly tells it.
class PictureInput : public ByteReader {
  public:
    PictureInput() = default;
    PictureInput(const PictureInput&) = delete;
    PictureInput& operator=(const PictureInput&) = delete;

    // False when the file cannot be opened.
    bool Open(const std::string& fileName);

    // No byte of a stream past the first `bytes` is read or handed out.
    void LimitReading(std::uint64_t bytes);

    // The file's size; a stream's is what it holds up to the reading limit.
    std::uint64_t Size();
    // The file's size, or a stream's as far as it is known once it holds
    // `bytes` bytes (or has ended): no more of a stream is read.
    std::uint64_t SizeAtLeast(std::uint64_t bytes);
    // True for a stream (a FIFO, a character device), which is read into
    // memory.
    bool IsStream() const { return !file_; }

    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override;

    // Decodes the picture from its start with `format` and `flags`; null when
    // the decoder gives no bitmap.
    Bitmap Load(FREE_IMAGE_FORMAT format, int flags);

    // The file's pages (GIF frames, TIFF pages, ICO images), each decoded
    // with `flags` when it is locked; null when the decoder cannot list them.
    // The input must outlive them.
    struct PagesCloser {
        void operator()(FIMULTIBITMAP* pages) const { FreeImage_CloseMultiBitmap(pages, 0); }
    };
    using Pages = std::unique_ptr<FIMULTIBITMAP, PagesCloser>;
    Pages OpenPages(FREE_IMAGE_FORMAT format, int flags);

    // True when the last Load found the file's end before its decoder had all
    // it needed: the decoders of some formats go on from zeros and hand back a
    // bitmap, which is then not the picture. Decoders that read exactly what
    // they need (BMP, ICO, PSD, TIFF) never meet a short read in a whole
    // file; the JPEG decoder reads ahead in blocks, and only asks again past
    // the end when it lacks data. PNG and GIF check their data themselves;
    // the PCX and TGA decoders read ahead and may ask past the end of a
    // whole file, whose run-length data the header's reader follows instead.
    bool EndedEarly(FREE_IMAGE_FORMAT format) const;

  private:
    // What the decoders' reads met, since the last Load began.
    struct ReadEnds {
        bool shortRead = false;  // a read got fewer bytes than it asked for
        bool pastEnd = false;    // a read asked for bytes at or past the end
    };

    // Reads the stream on until it holds `end` bytes, ends, or reaches the limit.
    void Fill(std::uint64_t end);

    // The image library's reading callbacks; the handle is the input itself.
    static unsigned DLL_CALLCONV Read(void* buffer, unsigned size, unsigned count,
                                      fi_handle handle);
    static int DLL_CALLCONV Seek(fi_handle handle, long offset, int origin);
    static long DLL_CALLCONV Tell(fi_handle handle);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::unique_ptr<std::FILE, FileCloser> file_;  // a file that can seek
    Fd stream_;                                    // a stream still being read
    std::vector<std::uint8_t> bytes_;              // what was read of a stream, and room
    std::size_t held_ = 0;                         // bytes of `bytes_` read
    std::uint64_t limit_ = UINT64_MAX;             // the most of a stream to read
    std::size_t position_ = 0;                     // the decoders' place in `bytes_`
    ReadEnds ends_;
    FreeImageIO io_{};  // the callbacks that open pages keep reading through
};

}  // namespace pelmo
