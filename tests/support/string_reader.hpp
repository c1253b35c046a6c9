// A picture file's bytes held in memory, for the header readers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "picture/formats/facts.hpp"

namespace pelmo::unit {

class BytesReader final : public ByteReader {
  public:
    explicit BytesReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    explicit BytesReader(const std::string& bytes)
        : bytes_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) {}
    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t got = std::min<std::uint64_t>(size, bytes_.size() - offset);
        std::memcpy(data, bytes_.data() + offset, got);
        return got;
    }
    std::uint64_t Size(std::uint64_t) override { return bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace pelmo::unit
