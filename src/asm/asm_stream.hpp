// The output file: a buffered sink that remembers whether any write failed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace pelmo {

class AsmStream {
  public:
    AsmStream() = default;
    ~AsmStream();  // closes without reporting; Close() is the checked way
    AsmStream(const AsmStream&) = delete;
    AsmStream& operator=(const AsmStream&) = delete;

    // Creates or truncates `path` for writing.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // True when the open file is a regular file (and so may be removed).
    bool IsRegularFile() const { return regular_; }

    void Write(std::string_view text);
    // Room for `count` more characters at the end of the pending text, to be
    // filled directly and then committed with Commit(count_used).
    char* Reserve(std::size_t count);
    void Commit(std::size_t used);

    // Writes out everything pending and closes the file; false when any write,
    // the flush or the close failed. Calling it without an open file is true.
    bool Close();

  private:
    void FlushIfFull();
    void Flush();

    static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

    int fd_ = -1;
    bool failed_ = false;
    bool regular_ = false;
    std::unique_ptr<char[]> pending_;  // text not yet written to the file
    std::size_t pendingCapacity_ = 0;
    std::size_t pendingSize_ = 0;  // characters of `pending_` in use
};

}  // namespace pelmo
