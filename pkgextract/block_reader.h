// Blocks of the plain stream: magic D1 62 77 74, one Bwt2 stream, the bits
// up to the next byte boundary, and the CRC-32 of the block's bytes, least
// significant byte first.
#pragma once

#include <cstdint>
#include <vector>

#include "pkgextract/messages.h"
#include "pkgextract/plain_stream.h"

namespace pkgx {

inline constexpr std::uint8_t kBlockMagic[4] = {0xD1, 0x62, 0x77, 0x74};
// Writers fill the last 64-byte unit of a carried stream with zeros; fewer
// than that many zeros at the very end are no block but the archive's end.
inline constexpr std::size_t kMaxEndPadding = 63;

enum class BlockRead {
  kBlock,   // `block` holds the next block, its CRC checked
  kEnd,     // the input ended where a block could begin (after padding)
  kBroken,  // bad magic, zero length, truncated, or a CRC mismatch
};

// A block buffer that cannot be had is a fatal "Out of memory: ".
BlockRead read_block(PlainStream& in, std::vector<std::uint8_t>& block, Messenger& messenger,
                     const std::string& archive_name);

}  // namespace pkgx
