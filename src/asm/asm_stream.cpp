#include "asm/asm_stream.hpp"

#include <cstring>

namespace pelmo {

AsmStream::~AsmStream() = default;

bool AsmStream::Open(const std::string& path, const OutputFile::Settings& settings) {
    if (!file_.Open(path, settings)) return false;
    // Left unwritten until used: a small source touches only its first page.
    pendingCapacity_ = kFlushSize + 4096;
    pending_ = std::make_unique_for_overwrite<char[]>(pendingCapacity_);
    pendingSize_ = 0;
    return true;
}

void AsmStream::Write(std::string_view text) {
    if (text.empty()) return;  // an empty view may hold a null pointer, which memcpy must not get
    std::memcpy(Reserve(text.size()), text.data(), text.size());
    Commit(text.size());
}

char* AsmStream::Reserve(std::size_t count) {
    if (pendingSize_ + count > pendingCapacity_) {
        Flush();
        if (count > pendingCapacity_) {
            pendingCapacity_ = count;
            pending_ = std::make_unique_for_overwrite<char[]>(pendingCapacity_);
        }
    }
    return pending_.get() + pendingSize_;
}

void AsmStream::Commit(std::size_t used) {
    pendingSize_ += used;
    FlushIfFull();
}

void AsmStream::FlushIfFull() {
    if (pendingSize_ >= kFlushSize) Flush();
}

void AsmStream::Flush() {
    // After the first failure nothing more is written: the file is lost anyway.
    file_.Write(pending_.get(), pendingSize_);
    pendingSize_ = 0;
}

bool AsmStream::Close() {
    if (!file_.IsOpen()) return true;
    Flush();
    pending_.reset();
    pendingCapacity_ = 0;
    return file_.Commit();
}

}  // namespace pelmo
