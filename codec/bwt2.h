// The Bwt2 block codec: one block of up to 16,777,215 bytes as one stream
// (block-sorting transform, move-to-front, zero-run digits, one canonical
// Huffman code per block). FORMAT.md beside this file describes the stream.
//
//   std::vector<std::uint8_t> stream;
//   codec::VectorSink sink(stream);
//   codec::encode_block(block, sink, memory);
//
//   codec::SpanSource source(stream);
//   auto n = codec::read_block_length(source);      // nullopt: input too short
//   std::vector<std::uint8_t> out(*n);
//   codec::decode_block(source, out, memory);       // source now past the stream
//
// Working memory comes from the memory resource passed in; when it runs out
// the resource's std::bad_alloc propagates and nothing is left allocated.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>

#include "codec/byte_io.h"

namespace codec {

// The largest block the 3-byte length field can carry.
inline constexpr std::uint32_t kMaxBlockLength = 0xFFFFFF;

// Writes the whole stream of `block` to `sink`: length, primary index, code
// lengths, codes and the zero bits that fill the last byte. An empty block
// gives the three zero length bytes alone. Returns false, writing nothing,
// when the block is longer than kMaxBlockLength.
// Working memory: at most about 6.5 bytes per block byte, plus small tables.
[[nodiscard]] bool encode_block(std::span<const std::uint8_t> block, ByteSink& sink,
                                std::pmr::memory_resource* memory);

// Reads the 3-byte big-endian length that opens a stream. Returns nullopt
// when the input ends before all three bytes (the bytes seen are consumed).
std::optional<std::uint32_t> read_block_length(ByteSource& source);

enum class DecodeResult {
  kClean,    // every symbol of the stream was read and fitted the block
  kDamaged,  // the stream ended early or did not fit; `block` holds garbage past the damage
};

// Decodes the rest of a stream whose length n was read by read_block_length
// into `block`, which must hold exactly n bytes (n = 0: nothing is read).
// Consumes the stream up to and including its last, zero-filled byte, so the
// caller continues at the byte after it. A damaged stream never makes it
// read or write outside its arrays or loop without end; it still fills all
// n bytes, with undefined contents past the damage. Callers that need to
// know a block is right check its CRC; the result is a hint.
// Working memory: one 32-bit word per block byte, plus small tables.
DecodeResult decode_block(ByteSource& source, std::span<std::uint8_t> block,
                          std::pmr::memory_resource* memory);

}  // namespace codec
