// The sorted table of a block: its suffixes in the order the stream format
// uses, where bytes compare as unsigned values and the end of a suffix
// compares greater than any byte (so a proper prefix sorts after the longer
// suffix, and the empty suffix is last).
#pragma once

#include <cstdint>
#include <memory_resource>
#include <span>

namespace codec {

// Fills rows[r] (r = 0..n, rows.size() == n + 1) with the start of the
// suffix at row r; rows[n] is n, the empty suffix. Linear time; besides
// `rows` it takes at most about 2.3 bytes per byte of `block` from `memory`
// (only for highly repetitive blocks; usually far less).
void sort_suffixes(std::span<const std::uint8_t> block, std::span<std::uint32_t> rows,
                   std::pmr::memory_resource* memory);

}  // namespace codec
