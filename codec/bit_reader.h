// Reads bits most significant first from a byte source.
//
// It works directly on the source's view and tells the source only at the
// end (or when a view is used up) how many bytes it took, so a caller
// continues exactly after the last byte that held a bit of ours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/byte_io.h"

namespace codec {

class BitReader {
 public:
  explicit BitReader(ByteSource& source) : source_(source), view_(source.peek()) {}
  BitReader(const BitReader&) = delete;
  BitReader& operator=(const BitReader&) = delete;
  ~BitReader() { finish(); }

  // The next bit, or nullopt once the input has ended.
  std::optional<std::uint32_t> bit() {
    if (bit_position_ == view_.size() * 8 && !next_view()) return std::nullopt;
    const std::uint32_t b = (view_[bit_position_ / 8] >> (7 - bit_position_ % 8)) & 1u;
    ++bit_position_;
    return b;
  }

  // The next `count` bits (count <= 32) as a number, or nullopt when the
  // input ends first.
  std::optional<std::uint32_t> bits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const auto b = bit();
      if (!b) return std::nullopt;
      value = value << 1 | *b;
    }
    return value;
  }

  // Fast access: when at least 8 bytes of the current view lie ahead,
  // window() holds at least the next 57 bits, left-aligned.
  bool window_available() const { return bit_position_ / 8 + 8 <= view_.size(); }
  std::uint64_t window() const {
    const std::uint8_t* p = view_.data() + bit_position_ / 8;
    std::uint64_t w = 0;
    for (int i = 0; i < 8; ++i) w = w << 8 | p[i];  // compiles to one load and a byte swap
    return w << (bit_position_ % 8);
  }
  void skip(int count) { bit_position_ += static_cast<std::size_t>(count); }

  // Gives the source the bytes used so far (a partly used byte counts as
  // used). Reading may continue afterwards.
  void finish() {
    const std::size_t used = (bit_position_ + 7) / 8;
    if (used > 0) {
      source_.consume(used);
      view_ = source_.peek();
    }
    bit_position_ = 0;
  }

 private:
  bool next_view() {
    source_.consume(view_.size());
    view_ = source_.peek();
    bit_position_ = 0;
    return !view_.empty();
  }

  ByteSource& source_;
  std::span<const std::uint8_t> view_;
  std::size_t bit_position_ = 0;  // bits of view_ already read
};

}  // namespace codec
