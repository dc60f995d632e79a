#include "codec/huffman_decoder.h"

#include <algorithm>

namespace codec::huffman {

CanonicalDecoder::CanonicalDecoder(const CodeLengths& lengths) {
  for (const auto length : lengths)
    if (length >= 1 && length <= kMaxCodeLength) ++count_[length];
  std::uint64_t first = 0;
  std::uint32_t offset = 0;
  for (int length = 1; length <= kMaxCodeLength; ++length) {
    first_[length] = first;
    offset_[length] = offset;
    first = 2 * (first + count_[length]);
    offset += count_[length];
  }
  std::array<std::uint32_t, kMaxCodeLength + 1> filled{};
  for (int s = 0; s < kSymbolCount; ++s) {
    const int length = lengths[s];
    if (length >= 1 && length <= kMaxCodeLength)
      symbols_[offset_[length] + filled[length]++] = static_cast<std::uint16_t>(s);
  }

  // Longest first, so that where damaged lengths make codes overlap, the
  // shortest match (the one read first bit by bit) wins.
  for (int length = kTableBits; length >= 1; --length) {
    const std::uint64_t end = std::min<std::uint64_t>(first_[length] + count_[length],
                                                      std::uint64_t{1} << length);
    for (std::uint64_t code = first_[length]; code < end; ++code) {
      const auto symbol = symbols_[offset_[length] + (code - first_[length])];
      const auto entry = static_cast<std::uint16_t>(symbol << kLengthBits | length);
      const int spread = kTableBits - length;
      std::fill_n(table_.begin() + (code << spread), std::size_t{1} << spread, entry);
    }
  }
}

int CanonicalDecoder::decode_long(BitReader& reader, std::uint64_t window) const {
  for (int length = kTableBits + 1; length <= kMaxCodeLength; ++length) {
    const int symbol = match(window >> (64 - length), length);
    if (symbol != kInvalid) {
      reader.skip(length);
      return symbol;
    }
  }
  return kInvalid;
}

int CanonicalDecoder::decode_bitwise(BitReader& reader) const {
  std::uint64_t code = 0;
  for (int length = 1; length <= kMaxCodeLength; ++length) {
    const auto bit = reader.bit();
    if (!bit) return kInvalid;
    code = code << 1 | *bit;
    const int symbol = match(code, length);
    if (symbol != kInvalid) return symbol;
  }
  return kInvalid;
}

}  // namespace codec::huffman
