#include "pkgextract/block_reader.h"

#include <memory_resource>
#include <new>

#include "codec/bwt2.h"
#include "codec/crc32.h"
#include "pkgextract/texts.h"

namespace pkgx {
namespace {

std::optional<std::uint8_t> next_byte(PlainStream& in) {
  const auto bytes = in.peek();
  if (bytes.empty()) return std::nullopt;
  const std::uint8_t b = bytes[0];
  in.consume(1);
  return b;
}

// After the zero bytes seen so far: the end when only a little padding is
// left before the end of the input.
BlockRead end_or_broken(PlainStream& in, std::size_t zeros) {
  for (;;) {
    const auto b = next_byte(in);
    if (!b) return BlockRead::kEnd;
    if (*b != 0 || ++zeros > kMaxEndPadding) return BlockRead::kBroken;
  }
}

}  // namespace

BlockRead read_block(PlainStream& in, std::vector<std::uint8_t>& block, Messenger& messenger,
                     const std::string& archive_name) {
  block.clear();
  std::size_t zeros = 0;
  for (std::size_t i = 0; i < sizeof kBlockMagic; ++i) {
    const auto b = next_byte(in);
    if (!b) return zeros == i ? BlockRead::kEnd : BlockRead::kBroken;
    if (*b == kBlockMagic[i] && zeros == 0) continue;
    if (*b != 0 || zeros != i) return BlockRead::kBroken;
    ++zeros;
  }
  if (zeros == sizeof kBlockMagic) return end_or_broken(in, zeros);

  const auto length = codec::read_block_length(in);
  if (!length || *length == 0) return BlockRead::kBroken;
  try {
    block.resize(*length);
    codec::decode_block(in, block, std::pmr::new_delete_resource());
  } catch (const std::bad_alloc&) {
    block.clear();
    block.shrink_to_fit();
    messenger.fatal(text::kOutOfMemory, archive_name);
  }
  std::uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) {
    const auto b = next_byte(in);
    if (!b) return BlockRead::kBroken;
    stored |= std::uint32_t{*b} << (8 * i);
  }
  return stored == codec::crc32(block) ? BlockRead::kBlock : BlockRead::kBroken;
}

}  // namespace pkgx
