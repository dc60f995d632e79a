#include "codec/huffman.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "codec/bit_reader.h"
#include "codec/huffman_decoder.h"

namespace {

using namespace codec::huffman;

double kraft_sum(const CodeLengths& lengths) {
  double sum = 0;
  for (const auto length : lengths)
    if (length != 0) sum += 1.0 / static_cast<double>(std::uint64_t{1} << length);
  return sum;
}

int max_length(const CodeLengths& lengths) {
  return *std::max_element(lengths.begin(), lengths.end());
}

TEST(Huffman, MergedNodeGoesAfterNodesOfEqualWeight) {
  // 1 1 2 2: the merged 2 goes behind both leaves of weight 2, giving four
  // codes of length 2 (ahead of them it would give 1, 2, 3, 3).
  Counts counts{};
  counts[10] = 1;
  counts[11] = 1;
  counts[12] = 2;
  counts[13] = 2;
  const CodeLengths lengths = tree_code_lengths(counts);
  EXPECT_EQ(lengths[10], 2);
  EXPECT_EQ(lengths[11], 2);
  EXPECT_EQ(lengths[12], 2);
  EXPECT_EQ(lengths[13], 2);
  EXPECT_EQ(lengths[0], 0);
}

TEST(Huffman, FibonacciCountsAreLimitedTo29Bits) {
  // Counts growing like Fibonacci numbers make the deepest possible tree:
  // one more level per symbol.
  Counts counts{};
  std::uint32_t a = 1, b = 1;
  for (int s = 0; s < 34; ++s) {
    counts[s * 7] = a;
    const std::uint32_t next = a + b;
    a = b;
    b = next;
  }
  ASSERT_GT(max_length(tree_code_lengths(counts)), kMaxCodeLength);

  const CodeLengths limited = code_lengths(counts);
  EXPECT_LE(max_length(limited), kMaxCodeLength);
  EXPECT_DOUBLE_EQ(kraft_sum(limited), 1.0);
  for (int s = 0; s < kSymbolCount; ++s) EXPECT_EQ(limited[s] != 0, counts[s] != 0) << s;
}

TEST(Huffman, OrdinaryCountsKeepTheTreeLengths) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    Counts counts{};
    const int present = std::uniform_int_distribution<int>(2, kSymbolCount)(rng);
    for (int i = 0; i < present; ++i)
      counts[std::uniform_int_distribution<int>(0, kSymbolCount - 1)(rng)] =
          std::uniform_int_distribution<std::uint32_t>(1, 60000)(rng);
    if (std::count_if(counts.begin(), counts.end(), [](auto c) { return c != 0; }) < 2) continue;
    const CodeLengths lengths = tree_code_lengths(counts);
    EXPECT_EQ(code_lengths(counts), lengths);
    EXPECT_DOUBLE_EQ(kraft_sum(lengths), 1.0);
  }
}

TEST(Huffman, CanonicalCodesFollowTheLengthsAndSymbolOrder) {
  // The worked example of the canonical construction: lengths 3 3 3 3 3 2 4 4.
  CodeLengths lengths{};
  const int example[] = {3, 3, 3, 3, 3, 2, 4, 4};
  for (int s = 0; s < 8; ++s) lengths[s] = static_cast<std::uint8_t>(example[s]);
  const Codes codes = canonical_codes(lengths);
  const std::uint32_t expected[] = {0b010, 0b011, 0b100, 0b101, 0b110, 0b00, 0b1110, 0b1111};
  for (int s = 0; s < 8; ++s) EXPECT_EQ(codes[s], expected[s]) << s;
}

// The decoding rule itself: one bit at a time, the first length at which
// the code lies in [first, first + count) gives the symbol.
std::vector<int> decode_bit_by_bit(const CodeLengths& lengths, const std::vector<std::uint8_t>& bytes) {
  std::uint64_t count[kMaxCodeLength + 1] = {};
  for (const auto length : lengths)
    if (length >= 1 && length <= kMaxCodeLength) ++count[length];
  std::uint64_t first[kMaxCodeLength + 1] = {};
  for (int length = 1; length < kMaxCodeLength; ++length)
    first[length + 1] = 2 * (first[length] + count[length]);

  std::vector<int> symbols;
  std::size_t bit = 0;
  const std::size_t total = bytes.size() * 8;
  while (bit < total) {
    std::uint64_t code = 0;
    int found = -1;
    for (int length = 1; length <= kMaxCodeLength && bit < total; ++length) {
      code = code << 1 | ((bytes[bit / 8] >> (7 - bit % 8)) & 1);
      ++bit;
      if (code >= first[length] && code < first[length] + count[length]) {
        std::uint64_t index = code - first[length];
        for (int s = 0; s < kSymbolCount; ++s)
          if (lengths[s] == length && index-- == 0) found = s;
        break;
      }
    }
    symbols.push_back(found);
    if (found < 0) break;
  }
  return symbols;
}

TEST(Huffman, TableDecoderEqualsTheBitByBitRuleEvenForDamagedLengths) {
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    CodeLengths lengths{};
    const int kind = round % 3;
    if (kind == 0) {  // a real code, often with long lengths
      Counts counts{};
      for (int s = 0; s < kSymbolCount; ++s)
        if (rng() % 3 == 0) counts[s] = 1 + (rng() % (1u << (rng() % 20)));
      counts[0] = counts[257] = 1;
      lengths = code_lengths(counts);
    } else {  // arbitrary 5-bit lengths: oversubscribed, incomplete, 30 and 31
      for (auto& length : lengths)
        length = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % 32 : 0);
    }
    std::vector<std::uint8_t> bytes(1 + rng() % 200);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(kind == 0 ? rng() : rng() | rng());

    const std::vector<int> expected = decode_bit_by_bit(lengths, bytes);
    const CanonicalDecoder decoder(lengths);
    codec::SpanSource source(bytes);
    codec::BitReader reader(source);
    std::vector<int> actual;
    while (actual.size() < expected.size()) {
      actual.push_back(decoder.decode(reader));
      if (actual.back() < 0) break;
    }
    // The reference reports a trailing partial code as invalid too.
    ASSERT_EQ(actual, expected) << "round " << round;
  }
}

}  // namespace
