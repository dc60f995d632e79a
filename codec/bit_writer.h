// Writes bits most significant first into bytes, and the bytes to a sink in
// chunks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/byte_io.h"

namespace codec {

class BitWriter {
 public:
  explicit BitWriter(ByteSink& sink) : sink_(sink) {}
  BitWriter(const BitWriter&) = delete;
  BitWriter& operator=(const BitWriter&) = delete;

  // Appends the low `count` bits of `bits` (count <= 32), highest first.
  void put(std::uint32_t bits, int count) {
    pending_ = (pending_ << count) | (bits & mask(count));
    pending_count_ += count;
    if (pending_count_ >= 32) {
      pending_count_ -= 32;
      const auto word = static_cast<std::uint32_t>(pending_ >> pending_count_);
      if (used_ + 4 > buffer_.size()) drain();
      buffer_[used_] = static_cast<std::uint8_t>(word >> 24);
      buffer_[used_ + 1] = static_cast<std::uint8_t>(word >> 16);
      buffer_[used_ + 2] = static_cast<std::uint8_t>(word >> 8);
      buffer_[used_ + 3] = static_cast<std::uint8_t>(word);
      used_ += 4;
    }
  }

  // Fills the last byte with zero bits and hands everything to the sink.
  void finish() {
    put(0, (8 - pending_count_ % 8) % 8);
    while (pending_count_ > 0) {
      pending_count_ -= 8;
      if (used_ == buffer_.size()) drain();
      buffer_[used_++] = static_cast<std::uint8_t>(pending_ >> pending_count_);
    }
    drain();
  }

 private:
  static std::uint64_t mask(int count) { return (std::uint64_t{1} << count) - 1; }

  void drain() {
    if (used_ > 0) sink_.write({buffer_.data(), used_});
    used_ = 0;
  }

  ByteSink& sink_;
  std::uint64_t pending_ = 0;  // the low pending_count_ bits are not yet in buffer_
  int pending_count_ = 0;
  std::size_t used_ = 0;
  std::array<std::uint8_t, 4096> buffer_{};
};

}  // namespace codec
