// The output file: a buffered sink that remembers whether any write failed,
// and puts the file in place only when everything was written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/output_file.hpp"
#include "codec/source_sink.hpp"

namespace pelmo {

class AsmStream final : public TextStream {
  public:
    AsmStream() = default;
    // Without Close(), nothing is put in place: an existing file stays as it was.
    ~AsmStream();
    AsmStream(const AsmStream&) = delete;
    AsmStream& operator=(const AsmStream&) = delete;

    // Prepares to write `path` (see OutputFile); false when it cannot be.
    bool Open(const std::string& path, const OutputFile::Settings& settings = {});
    bool IsOpen() const { return file_.IsOpen(); }
    // The line of the output's check when it refused the file (see OutputFile).
    const std::string& Refusal() const { return file_.Refusal(); }

    void Write(std::string_view text) override;
    // Room for `count` more characters at the end of the pending text, to be
    // filled directly and then committed with Commit(count_used).
    char* Reserve(std::size_t count);
    void Commit(std::size_t used);

    // Writes out everything pending and puts the file in place; false when
    // any write, the flush, the close or the replacement failed. Calling it
    // without an open file is true.
    bool Close();

  private:
    void FlushIfFull();
    void Flush();

    static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

    OutputFile file_;
    std::unique_ptr<char[]> pending_;  // text not yet written to the file
    std::size_t pendingCapacity_ = 0;
    std::size_t pendingSize_ = 0;  // characters of `pending_` in use
};

}  // namespace pelmo
