#include "codec/suffix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The table order compared the slow, obvious way: byte by byte, the end of
// a suffix greater than any byte.
std::vector<std::uint32_t> naive_rows(const Bytes& block) {
  std::vector<std::uint32_t> rows(block.size() + 1);
  std::iota(rows.begin(), rows.end(), 0u);
  std::sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) {
    while (a < block.size() && b < block.size() && block[a] == block[b]) ++a, ++b;
    if (a == block.size()) return false;  // the end sorts last
    if (b == block.size()) return true;
    return block[a] < block[b];
  });
  return rows;
}

std::vector<std::uint32_t> sorted_rows(const Bytes& block) {
  std::vector<std::uint32_t> rows(block.size() + 1);
  codec::sort_suffixes(block, rows, std::pmr::new_delete_resource());
  return rows;
}

TEST(SuffixSort, OrdersTheExampleWhoseFirstFourBytesTie) {
  // 01 FF at position 5 sorts after the whole block, although both read
  // 01 FF FF FF when bytes past the end count as FF.
  const Bytes block = {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xFF};
  EXPECT_EQ(sorted_rows(block), (std::vector<std::uint32_t>{0, 5, 4, 3, 2, 1, 6, 7}));
}

TEST(SuffixSort, EmptyAndOneByteBlocks) {
  EXPECT_EQ(sorted_rows({}), (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(sorted_rows({0x00}), (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(sorted_rows({0xFF}), (std::vector<std::uint32_t>{0, 1}));
}

Bytes random_bytes(std::mt19937& rng, std::size_t size, int alphabet) {
  Bytes out(size);
  std::uniform_int_distribution<int> pick(0, alphabet - 1);
  const int base = std::uniform_int_distribution<int>(0, 256 - alphabet)(rng);
  for (auto& b : out) b = static_cast<std::uint8_t>(base + pick(rng));
  return out;
}

// Repeats a random seed string, with a few random changes: long equal
// stretches drive the recursion several levels deep.
Bytes periodic_bytes(std::mt19937& rng, std::size_t size, std::size_t period, int changes) {
  const Bytes seed = random_bytes(rng, period, 4);
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = seed[i % period];
  for (int k = 0; k < changes && size > 0; ++k)
    out[std::uniform_int_distribution<std::size_t>(0, size - 1)(rng)] ^= 0x80;
  return out;
}

TEST(SuffixSort, AgreesWithTheNaiveOrderOnManyBlocks) {
  std::mt19937 rng(20061);
  std::vector<Bytes> blocks;
  for (std::size_t size : {2, 3, 5, 8, 17, 64, 257, 1000, 2500}) {
    for (int alphabet : {1, 2, 3, 16, 256}) blocks.push_back(random_bytes(rng, size, alphabet));
    if (size > 1000) continue;  // the naive order is quadratic on these
    for (std::size_t period : {1, 2, 3, 7, 64})
      for (int changes : {0, 1, 3}) blocks.push_back(periodic_bytes(rng, size, period, changes));
  }
  // Fibonacci words and the like: the classic worst cases for naming.
  Bytes fib_a = {'a'}, fib_b = {'a', 'b'};
  while (fib_b.size() < 1500) {
    Bytes next = fib_b;
    next.insert(next.end(), fib_a.begin(), fib_a.end());
    fib_a = std::move(fib_b);
    fib_b = std::move(next);
  }
  blocks.push_back(fib_b);
  Bytes squares;
  for (int k = 1; squares.size() < 1500; ++k) squares.insert(squares.end(), k, std::uint8_t(k % 3));
  blocks.push_back(squares);

  for (const auto& block : blocks) {
    ASSERT_EQ(sorted_rows(block), naive_rows(block))
        << "block of " << block.size() << " bytes starting "
        << std::string(block.begin(), block.begin() + std::min<std::size_t>(block.size(), 16));
  }
}

}  // namespace
