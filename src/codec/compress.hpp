// The codec base class, which is also the raw codec: its output is the packed
// bytes unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "base/img_options.hpp"
#include "base/raw_bytes.hpp"
#include "codec/decode.hpp"
#include "codec/source_sink.hpp"

namespace pelmo {

// Leaves the elements that a vector's resize adds unwritten. A codec's buffer
// is sized at its worst case, often two or three times what it writes; only
// the bytes it writes should cost memory traffic.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}

    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0) {
            ::new (static_cast<void*>(p)) U;
        } else {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    }
};

using OutputBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

class CPelmoImgCompress {
  public:
    ImgOptions options;
    // Output bytes; sized once per Compress at the codec's worst case, of
    // which only the first `size` are written and output.
    OutputBytes buffer;
    std::int32_t start = 0;    // the packed bitmap's start count, passed through
    std::int32_t size = 0;     // output bytes at the front of `buffer`
    std::int32_t packets = 0;  // the codec's packet count (always 0 for raw)

    explicit CPelmoImgCompress(const ImgOptions& opts)
        : CPelmoImgCompress(opts, ImgCodecKind::Raw) {}
    virtual ~CPelmoImgCompress() = default;
    CPelmoImgCompress(const CPelmoImgCompress&) = delete;
    CPelmoImgCompress& operator=(const CPelmoImgCompress&) = delete;

    // Encodes the first `raw.length` bytes of `raw.buffer`, replacing any
    // earlier output. On failure prints its own error line and returns false.
    virtual bool Compress(const RawBytes& raw);
    // Writes the size, packets and start symbols, then the data block.
    virtual bool WriteOutput(SourceSink& writer);
    // Writes this codec's decoder include line to the open stream.
    virtual void WriteTableCode(TextStream& stream) const;

    // False when Compress would refuse `raw` (the flagged codecs find no free
    // byte value in it), without a word.
    virtual bool CanCompress(const RawBytes& raw) const;

    // What the last Compress made besides its bytes, so that the output can
    // be kept while the codec goes on to other data, and written later.
    struct Made {
        std::int32_t start = 0;
        std::int32_t size = 0;
        std::int32_t packets = 0;
        std::int32_t flag = -1;  // the flag byte, for the codec that publishes one
    };
    virtual Made Outcome() const { return {start, size, packets, -1}; }
    // Takes back the output that `made` and its `made.size` bytes describe.
    virtual void Resume(const Made& made, const std::uint8_t* bytes);
    ImgCodecKind Kind() const { return kind_; }

    // The raw stream is the packed bytes themselves; it has no packets.
    static Expected<DecodedStream> Decode(const EncodedStream& in);

  protected:
    CPelmoImgCompress(const ImgOptions& opts, ImgCodecKind kind) : options(opts), kind_(kind) {}

    // Drops earlier output, sizes `buffer` at `capacity` bytes (at least one;
    // their contents are undefined until written), takes the start count and
    // clears the counters.
    std::uint8_t* BeginOutput(const RawBytes& raw, std::size_t capacity);
    // Writes the size, packets and start symbols.
    void WriteCommonSymbols(SourceSink& writer) const;

  private:
    ImgCodecKind kind_;
};

}  // namespace pelmo
