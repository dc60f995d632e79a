// The move-to-front list of byte values, starting as 0, 1, ..., 255.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>

namespace codec {

class MoveToFront {
 public:
  MoveToFront() { std::iota(list_.begin(), list_.end(), std::uint8_t{0}); }

  std::uint8_t front() const { return list_[0]; }

  // The position of `byte`, which then moves to the front.
  std::uint8_t encode(std::uint8_t byte) {
    if (list_[0] == byte) return 0;
    const auto position = static_cast<std::uint8_t>(
        static_cast<const std::uint8_t*>(std::memchr(list_.data(), byte, list_.size())) -
        list_.data());
    bring_to_front(position);
    return position;
  }

  // The byte at `position`, which then moves to the front.
  std::uint8_t decode(std::uint8_t position) {
    const std::uint8_t byte = list_[position];
    bring_to_front(position);
    return byte;
  }

 private:
  void bring_to_front(std::uint8_t position) {
    const std::uint8_t byte = list_[position];
    std::memmove(list_.data() + 1, list_.data(), position);
    list_[0] = byte;
  }

  std::array<std::uint8_t, 256> list_;
};

}  // namespace codec
