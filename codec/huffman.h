// The canonical Huffman code of a Bwt2 block: 258 symbols, code lengths
// 1 to 29, codes assigned in increasing symbol order within each length.
#pragma once

#include <array>
#include <cstdint>

namespace codec::huffman {

inline constexpr int kSymbolCount = 258;
inline constexpr int kMaxCodeLength = 29;

using Counts = std::array<std::uint32_t, kSymbolCount>;
using CodeLengths = std::array<std::uint8_t, kSymbolCount>;  // 0: symbol absent
using Codes = std::array<std::uint32_t, kSymbolCount>;

// Depth of each symbol's leaf in the tree built by repeatedly merging the
// two lightest nodes, a merged node going after every node of smaller or
// equal weight; symbols of count 0 get no leaf. Leaves of equal count are
// ordered by symbol. The depth is not limited.
CodeLengths tree_code_lengths(const Counts& counts);

// The lengths the encoder writes: the tree's, unless its depth exceeds
// kMaxCodeLength; then the counts are flattened (halved, keeping every
// present symbol present) until it fits. Needs at least two present symbols.
CodeLengths code_lengths(const Counts& counts);

// Canonical codes for the lengths: first[1] = 0, first[L+1] = 2 (first[L] +
// count of length L), and the symbols of one length take consecutive codes
// in symbol order. Absent symbols get code 0.
Codes canonical_codes(const CodeLengths& lengths);

}  // namespace codec::huffman
