// The common reflected CRC-32 (polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement).
#pragma once

#include <cstdint>
#include <span>

namespace codec {

class Crc32 {
 public:
  void update(std::span<const std::uint8_t> bytes);
  std::uint32_t value() const { return ~state_; }

 private:
  std::uint32_t state_ = 0xFFFFFFFFu;
};

std::uint32_t crc32(std::span<const std::uint8_t> bytes);

}  // namespace codec
