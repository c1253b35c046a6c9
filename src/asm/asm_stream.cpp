#include "asm/asm_stream.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "app/write_all.hpp"

namespace pelmo {

AsmStream::~AsmStream() {
    if (fd_ >= 0) ::close(fd_);
}

bool AsmStream::Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    struct stat info {};
    regular_ = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    failed_ = false;
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
    if (!failed_ && !WriteAll(fd_, pending_.get(), pendingSize_)) failed_ = true;
    pendingSize_ = 0;
}

bool AsmStream::Close() {
    if (fd_ < 0) return true;
    Flush();
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    pending_.reset();
    pendingCapacity_ = 0;
    return !failed_;
}

}  // namespace pelmo
