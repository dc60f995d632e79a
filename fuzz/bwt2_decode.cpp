// Any bytes as a Bwt2 stream: the decoder stays inside its arrays, ends,
// fills the block and leaves the source no further than the input's end.
// A stream it calls clean must hold a block that encodes and decodes back.
#include <cstdint>
#include <cstdlib>
#include <memory_resource>
#include <vector>

#include "codec/bwt2.h"

namespace {

// Larger blocks only cost time: the same paths run on smaller ones.
constexpr std::uint32_t kLargestFuzzedBlock = 1u << 20;

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::pmr::memory_resource* memory = std::pmr::new_delete_resource();
  codec::SpanSource source({data, size});
  const auto length = codec::read_block_length(source);
  if (!length || *length > kLargestFuzzedBlock) return 0;

  std::vector<std::uint8_t> block(*length);
  const codec::DecodeResult result = codec::decode_block(source, block, memory);
  check(source.position() <= size);
  if (result != codec::DecodeResult::kClean) return 0;

  std::vector<std::uint8_t> stream;
  codec::VectorSink sink(stream);
  check(codec::encode_block(block, sink, memory));
  codec::SpanSource again(stream);
  check(codec::read_block_length(again) == *length);
  std::vector<std::uint8_t> back(*length);
  check(codec::decode_block(again, back, memory) == codec::DecodeResult::kClean);
  check(back == block);
  check(again.position() == stream.size());
  return 0;
}
