// Bytes read a range at a time at 64-bit offsets: a file of any length on the disk, or bytes
// already in memory. The PE reader sees its input only through this, so a file of gigabytes costs
// what its headers and tables cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarn {

class ByteSource {
 public:
  // Up to `count` bytes from `offset`, fewer only where the source ends; the view lasts until the
  // next read. Throws a Failure when the bytes are there but cannot be read.
  virtual std::string_view Read(std::uint64_t offset, std::size_t count) = 0;

 protected:
  ~ByteSource() = default;
};

class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  std::string_view Read(std::uint64_t offset, std::size_t count) override {
    if (offset >= bytes_.size()) return {};
    return bytes_.substr(static_cast<std::size_t>(offset), count);
  }

 private:
  std::string_view bytes_;
};

}  // namespace tarn
