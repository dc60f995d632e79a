// File deltas: a byte stream of operations that rebuilds a target file from
// a reference file (an older version of it).
//
// Each operation opens with a byte: bits 7-6 the kind, bit 5 set when one
// extension byte follows holding the value divided by 32, bits 4-0 the value
// modulo 32. Kinds: 0 literal run (value bytes follow; value 0 ends the
// delta), 1 copy from the reference position, 2 move the reference position
// forward, 3 move it back. Values run from 0 to 8,191.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <span>

#include "codec/byte_io.h"

namespace blockio {

// Finds the delta that rebuilds `target` from `reference` and writes it to
// `sink`. The result is fully determined by the search (a hash of two bytes,
// the most recent candidates first, a window of 8,191 bytes either side of
// the reference position), so that any two implementations agree byte for
// byte. Working memory, from `memory`: 4 bytes per reference byte plus
// 32 KB. Throws what `memory` throws when it runs out, before writing.
void generate_delta(std::span<const std::uint8_t> reference,
                    std::span<const std::uint8_t> target, codec::ByteSink& sink,
                    std::pmr::memory_resource* memory);

// Where a delta is read from, one byte at a time.
class DeltaSource {
 public:
  virtual ~DeltaSource() = default;
  // 0 to 255: the next byte; above 255: the delta has ended; negative: it
  // can no longer be read.
  virtual std::int32_t next_byte() = 0;
};

enum class DeltaStatus {
  kComplete,         // the delta ended where an operation may end
  kStreamFailed,     // the delta failed or stopped inside an operation
  kBeforeReference,  // a move went back before the reference's first byte
  kBeyondBounds,     // an operation reached past the reference or the output
};

struct DeltaApplied {
  DeltaStatus status;
  std::size_t produced;  // bytes of output written
};

// Applies `delta` to `reference` starting at `position`, writing into
// `output`; `position` is left where the last operation put it. Reads
// nothing outside `reference` and writes nothing outside `output`,
// whatever the delta holds.
DeltaApplied apply_delta(std::span<const std::uint8_t> reference, std::uint32_t& position,
                         DeltaSource& delta, std::span<std::uint8_t> output);

}  // namespace blockio
