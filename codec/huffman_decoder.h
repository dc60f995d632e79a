// Decodes symbols of a canonical code given by its code lengths, with the
// result of reading one bit at a time: after each bit, the code read so far
// is a symbol of length L when it lies in [first[L], first[L] + count[L]).
// A table resolves the first 12 bits at once; longer codes, and the last
// bytes of the input, go the slow way. Lengths over 29 (and damaged sets of
// lengths) behave exactly as the bit-by-bit rule says.
#pragma once

#include <array>
#include <cstdint>

#include "codec/bit_reader.h"
#include "codec/huffman.h"

namespace codec::huffman {

class CanonicalDecoder {
 public:
  static constexpr int kInvalid = -1;  // no code within 29 bits, or the input ended

  explicit CanonicalDecoder(const CodeLengths& lengths);

  int decode(BitReader& reader) const {
    if (reader.window_available()) {
      const std::uint64_t window = reader.window();
      const std::uint16_t entry = table_[window >> (64 - kTableBits)];
      if ((entry & kLengthMask) != 0) {
        reader.skip(entry & kLengthMask);
        return entry >> kLengthBits;
      }
      return decode_long(reader, window);
    }
    return decode_bitwise(reader);
  }

 private:
  static constexpr int kTableBits = 12;
  static constexpr int kLengthBits = 5;
  static constexpr std::uint16_t kLengthMask = (1u << kLengthBits) - 1;

  // The symbol of `code`, `length` bits long, if there is one.
  int match(std::uint64_t code, int length) const {
    const std::uint64_t first = first_[length];
    if (code < first || code - first >= count_[length]) return kInvalid;
    return symbols_[offset_[length] + static_cast<std::uint32_t>(code - first)];
  }

  int decode_long(BitReader& reader, std::uint64_t window) const;
  int decode_bitwise(BitReader& reader) const;

  // Per length: first code (grows past 32 bits for damaged sets), count and
  // where its symbols start in symbols_.
  std::array<std::uint64_t, kMaxCodeLength + 1> first_{};
  std::array<std::uint32_t, kMaxCodeLength + 1> count_{};
  std::array<std::uint32_t, kMaxCodeLength + 1> offset_{};
  std::array<std::uint16_t, kSymbolCount> symbols_{};
  // symbol << kLengthBits | length for every 12-bit prefix that resolves;
  // 0 where the code is longer.
  std::array<std::uint16_t, 1u << kTableBits> table_{};
};

}  // namespace codec::huffman
