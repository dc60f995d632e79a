// Bwt2 decoding: symbols to last-column entries (each with its byte and how
// many equal bytes came before it), then the block rebuilt from its end by
// following each row to the row of the suffix one byte longer.
#include <algorithm>
#include <array>
#include <vector>

#include "codec/bit_reader.h"
#include "codec/bwt2.h"
#include "codec/huffman_decoder.h"
#include "codec/move_to_front.h"

namespace codec {
namespace {

// Last-column entries, one word each: byte | count of earlier equal bytes << 8.
// Counts stay below 2^24 because a block has fewer entries.
class Entries {
 public:
  Entries(std::span<std::uint32_t> words, std::uint32_t primary_index)
      : words_(words), primary_index_(primary_index) {}

  std::uint32_t size() const { return filled_; }
  std::uint32_t room() const { return static_cast<std::uint32_t>(words_.size()) - filled_; }

  // `length` entries of `byte`; the caller has checked the room. The entry at
  // the primary index is not counted.
  void append(std::uint8_t byte, std::uint32_t length) {
    std::uint32_t count = counts_[byte];
    std::uint32_t row = filled_;
    const std::uint32_t end = filled_ + length;
    if (primary_index_ >= row && primary_index_ < end) {
      for (; row < primary_index_; ++row) words_[row] = byte | count++ << 8;
      words_[row++] = byte;
    }
    for (; row < end; ++row) words_[row] = byte | count++ << 8;
    counts_[byte] = count;
    filled_ = end;
  }

  // Rewrites every entry as byte | next row << 8, where the next row is
  // that of the suffix one byte longer.
  void link_rows() {
    std::array<std::uint32_t, 256> start{};
    std::uint32_t sum = 0;
    for (int c = 0; c < 256; ++c) {
      start[c] = sum;
      sum += counts_[c];
    }
    for (auto& word : words_) {
      const std::uint32_t byte = word & 0xFF;
      word = byte | (start[byte] + (word >> 8)) << 8;
    }
  }

  // Writes the block from its end, following the rows from the empty
  // suffix's (the last) to the whole block's.
  void rebuild(std::span<std::uint8_t> block) const {
    if (block.size() < kChainedFrom || !rebuild_chained(block)) rebuild_serially(block);
  }

 private:
  // One step of the walk waits for the memory read of the step before, so
  // big blocks walk many stretches of the path at once instead: it is cut
  // at the rows that are multiples of a power of two, a first round finds
  // the length of every stretch (and so where each one starts in the
  // block), a second writes them. Both rounds advance all stretches in
  // turn, keeping many reads in flight.
  static constexpr std::size_t kChainedFrom = 1u << 16;
  static constexpr int kStretchShift = 6;  // 64 to 128 stretches
  static constexpr std::uint32_t kMaxStretches = (2u << kStretchShift) + 1;

  struct Stretch {
    std::uint32_t row;       // where the walk is
    std::uint32_t steps;     // bytes in the stretch
    std::uint32_t end_row;   // the row it stops at: a cut or the whole block's
    std::uint32_t position;  // block offset after its last byte
  };

  void rebuild_serially(std::span<std::uint8_t> block) const {
    std::uint32_t row = static_cast<std::uint32_t>(words_.size()) - 1;
    for (std::size_t i = block.size(); i-- > 0;) {
      const std::uint32_t word = words_[row];
      block[i] = static_cast<std::uint8_t>(word);
      row = word >> 8;
    }
  }

  // False when the rows do not form one path from the last row to the
  // primary index, which only a damaged stream does.
  bool rebuild_chained(std::span<std::uint8_t> block) const {
    const auto last_row = static_cast<std::uint32_t>(words_.size()) - 1;
    if (primary_index_ >= last_row) return false;
    int shift = 0;
    while ((last_row >> (shift + 1)) >= (1u << kStretchShift)) ++shift;
    const std::uint32_t cut_mask = (1u << shift) - 1;
    // Cut k is row k << shift; the last row, when not a multiple, comes after.
    const std::uint32_t multiples = (last_row >> shift) + 1;
    const std::uint32_t cuts = multiples + ((last_row & cut_mask) != 0 ? 1 : 0);
    auto cut_index = [&](std::uint32_t row) -> std::uint32_t {
      return (row & cut_mask) == 0 ? row >> shift : multiples;
    };
    auto ends_stretch = [&](std::uint32_t row) {
      return (row & cut_mask) == 0 || row == last_row || row == primary_index_;
    };
    std::array<Stretch, kMaxStretches> stretches{};
    std::array<std::uint32_t, kMaxStretches> walking{};
    std::uint32_t walking_count = 0;
    for (std::uint32_t k = 0; k < cuts; ++k) {
      const std::uint32_t row = k < multiples ? k << shift : last_row;
      stretches[k].row = row;
      if (row != primary_index_) walking[walking_count++] = k;
    }

    // Round one: the length of every stretch. A path through every row is
    // n steps long; more means the rows loop.
    std::size_t total_steps = 0;
    while (walking_count > 0) {
      total_steps += walking_count;
      if (total_steps > block.size()) return false;
      for (std::uint32_t i = 0; i < walking_count;) {
        Stretch& s = stretches[walking[i]];
        s.row = words_[s.row] >> 8;
        ++s.steps;
        if (ends_stretch(s.row)) {
          s.end_row = s.row;
          walking[i] = walking[--walking_count];
        } else {
          ++i;
        }
      }
    }

    // From the last row's stretch along the path to the primary index, every
    // stretch met once, each starting where the one before it ended.
    std::uint32_t position = last_row;
    std::uint32_t k = cut_index(last_row);
    for (std::uint32_t met = 0;; ++met) {
      Stretch& s = stretches[k];
      if (met == cuts || s.position != 0 || s.steps == 0 || s.steps > position) return false;
      s.position = position;
      position -= s.steps;
      if (s.end_row == primary_index_) {
        if (position != 0) return false;
        break;
      }
      k = cut_index(s.end_row);
    }

    // Round two: the same walks, writing their bytes.
    walking_count = 0;
    for (std::uint32_t j = 0; j < cuts; ++j) {
      Stretch& s = stretches[j];
      if (s.steps == 0) continue;
      s.row = j < multiples ? j << shift : last_row;
      walking[walking_count++] = j;
    }
    while (walking_count > 0) {
      for (std::uint32_t i = 0; i < walking_count;) {
        Stretch& s = stretches[walking[i]];
        const std::uint32_t word = words_[s.row];
        block[--s.position] = static_cast<std::uint8_t>(word);
        s.row = word >> 8;
        if (--s.steps == 0)
          walking[i] = walking[--walking_count];
        else
          ++i;
      }
    }
    return true;
  }

  std::span<std::uint32_t> words_;
  std::uint32_t primary_index_;
  std::uint32_t filled_ = 0;
  std::array<std::uint32_t, 256> counts_{};
};

// Reads the coded symbols until the entries are complete. False when the
// stream is damaged: a code that does not resolve, the input ending, or a
// run that would overfill the entries.
bool read_entries(BitReader& reader, const huffman::CanonicalDecoder& decoder,
                  Entries& entries) {
  MoveToFront list;
  std::uint32_t run = 0;
  int run_digit = 0;
  while (entries.room() > 0) {
    const int symbol = decoder.decode(reader);
    if (symbol == huffman::CanonicalDecoder::kInvalid) return false;
    if (symbol >= 256) {
      // Digit k of a run is worth 1 or 2 times 2^k; the room check keeps the
      // shift small.
      run += static_cast<std::uint32_t>(symbol - 255) << run_digit++;
      if (run >= entries.room()) return false;
      continue;
    }
    if (run >= entries.room()) return false;
    if (run > 0) entries.append(list.front(), run);
    entries.append(list.decode(static_cast<std::uint8_t>(symbol)), 1);
    run = 0;
    run_digit = 0;
  }
  return true;
}

DecodeResult damaged(std::span<std::uint8_t> block) {
  std::fill(block.begin(), block.end(), std::uint8_t{0});
  return DecodeResult::kDamaged;
}

}  // namespace

std::optional<std::uint32_t> read_block_length(ByteSource& source) {
  BitReader reader(source);
  return reader.bits(24);
}

DecodeResult decode_block(ByteSource& source, std::span<std::uint8_t> block,
                          std::pmr::memory_resource* memory) {
  const auto n = static_cast<std::uint32_t>(block.size());
  if (n == 0) return DecodeResult::kClean;
  BitReader reader(source);

  const auto primary_index = reader.bits(24);
  if (!primary_index || *primary_index > n) return damaged(block);
  huffman::CodeLengths lengths{};
  for (auto& length : lengths) {
    const auto bits = reader.bits(5);
    if (!bits) return damaged(block);
    length = static_cast<std::uint8_t>(*bits);
  }
  const huffman::CanonicalDecoder decoder(lengths);

  std::pmr::vector<std::uint32_t> words(std::size_t{n} + 1, memory);
  Entries entries(words, *primary_index);
  if (!read_entries(reader, decoder, entries)) return damaged(block);
  reader.finish();
  entries.link_rows();
  entries.rebuild(block);
  return DecodeResult::kClean;
}

}  // namespace codec
