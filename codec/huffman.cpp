#include "codec/huffman.h"

#include <algorithm>
#include <numeric>

namespace codec::huffman {

CodeLengths tree_code_lengths(const Counts& counts) {
  // Nodes 0..257 are the leaves, later ones the merged nodes in the order
  // they are made. Merged weights never decrease, so the merged nodes form
  // a second sorted queue, and "after every node of equal weight" means a
  // leaf wins a tie against a merged node.
  constexpr int kMaxNodes = 2 * kSymbolCount - 1;
  std::array<std::uint64_t, kMaxNodes> weight{};
  std::array<int, kMaxNodes> parent{};
  std::array<int, kSymbolCount> leaves{};
  int leaf_count = 0;
  for (int s = 0; s < kSymbolCount; ++s) {
    weight[s] = counts[s];
    if (counts[s] != 0) leaves[leaf_count++] = s;
  }
  std::stable_sort(leaves.begin(), leaves.begin() + leaf_count,
                   [&](int a, int b) { return counts[a] < counts[b]; });

  CodeLengths lengths{};
  if (leaf_count < 2) return lengths;

  int next_leaf = 0;
  int next_merged = kSymbolCount;
  int merged_end = kSymbolCount;
  auto take_lightest = [&]() {
    if (next_leaf < leaf_count &&
        (next_merged == merged_end || weight[leaves[next_leaf]] <= weight[next_merged]))
      return leaves[next_leaf++];
    return next_merged++;
  };
  for (int remaining = leaf_count; remaining > 1; --remaining) {
    const int a = take_lightest();
    const int b = take_lightest();
    weight[merged_end] = weight[a] + weight[b];
    parent[a] = parent[b] = merged_end;
    ++merged_end;
  }

  // Depths from the root (the last merged node) down.
  std::array<std::uint8_t, kMaxNodes> depth{};
  const int root = merged_end - 1;
  depth[root] = 0;
  for (int node = root - 1; node >= kSymbolCount; --node)
    depth[node] = static_cast<std::uint8_t>(depth[parent[node]] + 1);
  for (int i = 0; i < leaf_count; ++i) {
    const int s = leaves[i];
    lengths[s] = static_cast<std::uint8_t>(depth[parent[s]] + 1);
  }
  return lengths;
}

CodeLengths code_lengths(const Counts& counts) {
  Counts flattened = counts;
  for (;;) {
    const CodeLengths lengths = tree_code_lengths(flattened);
    if (*std::max_element(lengths.begin(), lengths.end()) <= kMaxCodeLength) return lengths;
    for (auto& c : flattened)
      if (c != 0) c = 1 + c / 2;
  }
}

Codes canonical_codes(const CodeLengths& lengths) {
  std::array<std::uint32_t, kMaxCodeLength + 2> count_of_length{};
  for (const auto length : lengths)
    if (length != 0) ++count_of_length[length];
  std::array<std::uint32_t, kMaxCodeLength + 2> next{};
  std::uint32_t first = 0;
  for (int length = 1; length <= kMaxCodeLength; ++length) {
    next[length] = first;
    first = 2 * (first + count_of_length[length]);
  }
  Codes codes{};
  for (int s = 0; s < kSymbolCount; ++s)
    if (lengths[s] != 0) codes[s] = next[lengths[s]]++;
  return codes;
}

}  // namespace codec::huffman
