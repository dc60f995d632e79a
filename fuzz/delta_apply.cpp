// Input: 2 bytes output size, 2 bytes start position, 2 bytes reference
// length (its top bit: the delta fails instead of ending after its last
// byte), then the reference and the delta. The same reference with the
// delta bytes taken as a target must also survive generate-then-apply.
#include <cstdint>
#include <cstdlib>
#include <memory_resource>
#include <vector>

#include "blockio32/file_delta.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class Source final : public blockio::DeltaSource {
 public:
  Source(const Bytes& bytes, bool fails_at_end) : bytes_(bytes), fails_at_end_(fails_at_end) {}
  std::int32_t next_byte() override {
    if (at_ < bytes_.size()) return bytes_[at_++];
    return fails_at_end_ ? -1 : 256;
  }

 private:
  const Bytes& bytes_;
  bool fails_at_end_;
  std::size_t at_ = 0;
};

std::uint32_t u16(const std::uint8_t* p) { return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8; }

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const std::uint32_t output_size = u16(data);
  std::uint32_t position = u16(data + 2);
  const bool fails_at_end = (data[5] & 0x80) != 0;
  const std::size_t reference_size = std::min<std::size_t>(u16(data + 4) & 0x7FFF, size - 6);
  // Heap copies of exactly their sizes, so that any overrun is caught.
  const Bytes reference(data + 6, data + 6 + reference_size);
  const Bytes delta(data + 6 + reference_size, data + size);

  Bytes output(output_size);
  Source source(delta, fails_at_end);
  const auto applied = blockio::apply_delta(reference, position, source, output);
  require(applied.produced <= output.size());

  Bytes generated;
  codec::VectorSink sink(generated);
  blockio::generate_delta(reference, delta, sink, std::pmr::new_delete_resource());
  Bytes rebuilt(delta.size());
  std::uint32_t from = 0;
  Source generated_source(generated, false);
  const auto back = blockio::apply_delta(reference, from, generated_source, rebuilt);
  require(back.status == blockio::DeltaStatus::kComplete);
  require(back.produced == delta.size() && rebuilt == delta);
  return 0;
}
