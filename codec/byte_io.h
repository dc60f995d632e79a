// Where codecs read their input from and write their output to.
//
// A source hands out the bytes it has ready and is told afterwards how many
// were used, so a decoder may look ahead freely and still leave its caller
// exactly at the first byte it did not use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace codec {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The next bytes of the input, not yet consumed. Empty only when the input
  // has ended (or can no longer be read); otherwise at least one byte. The
  // view stays valid until the next peek() or consume().
  virtual std::span<const std::uint8_t> peek() = 0;
  // Marks the first `count` bytes of the last peek() as used
  // (count <= its size).
  virtual void consume(std::size_t count) = 0;
};

// A source over bytes already in memory.
class SpanSource final : public ByteSource {
 public:
  explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::span<const std::uint8_t> peek() override { return bytes_.subspan(position_); }
  void consume(std::size_t count) override { position_ += count; }

  // Bytes consumed so far: the offset of the next unread byte.
  std::size_t position() const { return position_; }
  std::span<const std::uint8_t> remaining() const { return bytes_.subspan(position_); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::span<const std::uint8_t> bytes) = 0;
};

// A sink that appends to a vector.
class VectorSink final : public ByteSink {
 public:
  explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
  void write(std::span<const std::uint8_t> bytes) override {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }

 private:
  std::vector<std::uint8_t>& out_;
};

}  // namespace codec
