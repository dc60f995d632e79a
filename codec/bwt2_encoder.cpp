// Bwt2 encoding: sorted table, last column through move-to-front (zero runs
// pending until the next other position), code lengths from the symbol
// counts, then a second pass that writes the codes.
#include <vector>

#include "codec/bit_writer.h"
#include "codec/bwt2.h"
#include "codec/huffman.h"
#include "codec/move_to_front.h"
#include "codec/run_digits.h"
#include "codec/suffix_sort.h"

namespace codec {
namespace {

struct LastColumn {
  std::pmr::vector<std::uint8_t> positions;  // move-to-front position of each row
  std::uint32_t primary_index = 0;
};

// The move-to-front positions of the last column, rows 0 to n. The row of
// the whole block has no byte before it and takes the list's front.
LastColumn last_column_positions(std::span<const std::uint8_t> block,
                                 std::pmr::memory_resource* memory) {
  const std::size_t n = block.size();
  LastColumn result{std::pmr::vector<std::uint8_t>(memory)};
  std::pmr::vector<std::uint32_t> rows(n + 1, memory);
  sort_suffixes(block, rows, memory);
  result.positions.resize(n + 1);
  MoveToFront list;
  for (std::size_t r = 0; r <= n; ++r) {
    const std::uint32_t start = rows[r];
    if (start == 0) {
      result.primary_index = static_cast<std::uint32_t>(r);
      result.positions[r] = 0;
    } else {
      result.positions[r] = list.encode(block[start - 1]);
    }
  }
  return result;
}

// Calls emit(symbol) for the coded symbols in order: zero positions before
// the last row gather into runs, written before the next other position;
// the last row is always coded, even as position 0.
template <class Emit>
void for_each_symbol(const std::pmr::vector<std::uint8_t>& positions, Emit&& emit) {
  const std::size_t last = positions.size() - 1;
  std::uint32_t run = 0;
  for (std::size_t r = 0; r < last; ++r) {
    const std::uint8_t p = positions[r];
    if (p == 0) {
      ++run;
      continue;
    }
    for_each_run_digit(run, emit);
    run = 0;
    emit(p);
  }
  for_each_run_digit(run, emit);
  emit(positions[last]);
}

}  // namespace

bool encode_block(std::span<const std::uint8_t> block, ByteSink& sink,
                  std::pmr::memory_resource* memory) {
  if (block.size() > kMaxBlockLength) return false;
  const auto n = static_cast<std::uint32_t>(block.size());
  BitWriter out(sink);
  out.put(n, 24);
  if (n == 0) {
    out.finish();
    return true;
  }

  const LastColumn column = last_column_positions(block, memory);
  huffman::Counts counts{};
  for_each_symbol(column.positions, [&](int symbol) { ++counts[symbol]; });
  const huffman::CodeLengths lengths = huffman::code_lengths(counts);
  const huffman::Codes codes = huffman::canonical_codes(lengths);

  out.put(column.primary_index, 24);
  for (const auto length : lengths) out.put(length, 5);
  for_each_symbol(column.positions,
                  [&](int symbol) { out.put(codes[symbol], lengths[symbol]); });
  out.finish();
  return true;
}

}  // namespace codec
