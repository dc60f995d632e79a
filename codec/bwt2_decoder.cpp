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

  // Walks from the empty suffix's row (the last) to the front of the block.
  void rebuild(std::span<std::uint8_t> block) const {
    std::uint32_t row = static_cast<std::uint32_t>(words_.size()) - 1;
    for (std::size_t i = block.size(); i-- > 0;) {
      const std::uint32_t word = words_[row];
      block[i] = static_cast<std::uint8_t>(word);
      row = word >> 8;
    }
  }

 private:
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
