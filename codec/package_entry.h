// Package entries: one chunk of a file (at most 65,000 bytes) with the file's
// name, time stamp and the chunk's place in the file.
//
//   offset 0   2  magic C7 72
//          2   1  continuation flag (1: the rest of the file, this chunk
//                 included, was at least 65,000 bytes)
//          3   1  name length n
//          4   4  time stamp, seconds since 1970 UTC, big-endian
//          8   2  chunk index, little-endian (chunk starts at index * 65,000)
//         10   2  data length, little-endian (0 with flag 1 reads as 65,000)
//         12   n  name, then one zero and a pad zero up to an even length
//     header end  data, then a zero when the data length is odd
//
// Writing: write_entry_header() fills in a header in place (the caller reads
// the data straight after it); append_entry() and append_file_entries() build
// whole entries in a vector. Reading: read_entry_fields() looks at the fixed
// 12 bytes only; parse_entry() checks that the whole entry lies inside the
// buffer; EntryWalker steps through a buffer of entries. No reader looks at a
// byte past the span it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace codec {

inline constexpr std::uint8_t kEntryMagic0 = 0xC7;
inline constexpr std::uint8_t kEntryMagic1 = 0x72;
inline constexpr std::size_t kEntryFixedSize = 12;
inline constexpr std::uint32_t kChunkSize = 65000;
inline constexpr std::size_t kMaxEntryNameLength = 255;

// Header size for a name of n bytes: 12 + (n + 1) rounded up to even.
constexpr std::size_t entry_header_size(std::size_t name_length) {
  return kEntryFixedSize + ((name_length + 2) & ~std::size_t{1});
}

// Entry size: header plus data, rounded up to even.
constexpr std::size_t entry_size(std::size_t name_length, std::size_t data_length) {
  return (entry_header_size(name_length) + data_length + 1) & ~std::size_t{1};
}

// The continuation flag of a chunk cut from a file with `remaining` bytes
// left (this chunk included).
constexpr bool chunk_continues(std::uint64_t remaining) { return remaining >= kChunkSize; }

// How a stored data length of 0 with the flag set is read. Almost every reader
// takes it as a full chunk; one build of the checker takes it literally.
enum class ZeroLengthRule { kFullChunk, kLiteral };

// The fixed part of an entry as stored.
struct EntryFields {
  bool has_magic = false;
  bool continued = false;
  std::uint8_t name_length = 0;
  std::uint32_t time_stamp = 0;
  std::uint16_t chunk_index = 0;
  std::uint16_t stored_length = 0;  // the raw data length field

  // The data length as readers use it.
  std::uint32_t data_length(ZeroLengthRule rule = ZeroLengthRule::kFullChunk) const {
    if (stored_length == 0 && continued && rule == ZeroLengthRule::kFullChunk) return kChunkSize;
    return stored_length;
  }
  std::size_t header_size() const { return entry_header_size(name_length); }
  std::size_t size(ZeroLengthRule rule = ZeroLengthRule::kFullChunk) const {
    return entry_size(name_length, data_length(rule));
  }
  // Byte offset in the file where this chunk starts.
  std::uint64_t file_offset() const { return std::uint64_t{chunk_index} * kChunkSize; }
  // A zero-length, final entry: the file is to be absent.
  bool is_deletion() const { return stored_length == 0 && !continued; }
};

// Reads the fixed 12 bytes; nullopt when fewer are given. The magic is
// reported, not required: the readers of entries never insisted on it.
std::optional<EntryFields> read_entry_fields(std::span<const std::uint8_t> bytes);

struct Entry {
  EntryFields fields;
  std::span<const std::uint8_t> name;  // n bytes, without the terminating zero
  std::span<const std::uint8_t> data;  // data_length bytes
  std::size_t size = 0;                // bytes the entry occupies, pad included

  std::string_view name_text() const {
    return {reinterpret_cast<const char*>(name.data()), name.size()};
  }
};

// The entry at the start of `bytes`, or nullopt when the buffer is shorter
// than the entry says it is (header, data or pad byte cut off).
std::optional<Entry> parse_entry(std::span<const std::uint8_t> bytes,
                                 ZeroLengthRule rule = ZeroLengthRule::kFullChunk);

// Steps through entries that follow each other without gaps.
class EntryWalker {
 public:
  explicit EntryWalker(std::span<const std::uint8_t> buffer,
                       ZeroLengthRule rule = ZeroLengthRule::kFullChunk)
      : buffer_(buffer), rule_(rule) {}

  bool at_end() const { return offset_ == buffer_.size(); }
  std::size_t offset() const { return offset_; }
  // The next entry, advancing past it; nullopt at the end or when the entry
  // there runs past the buffer (then the walker stays where it is, so
  // at_end() tells the two apart).
  std::optional<Entry> next();

 private:
  std::span<const std::uint8_t> buffer_;
  ZeroLengthRule rule_;
  std::size_t offset_ = 0;
};

// Name bytes are stored with their top bit cleared and upper-case letters
// lowered. Which bytes count as upper case is the caller's (the host has its
// own character table); the predicate sees the byte with its top bit cleared.
using IsUpperCase = bool (*)(std::uint8_t);
bool is_ascii_upper(std::uint8_t c);
std::uint8_t entry_name_byte(std::uint8_t c, IsUpperCase is_upper = is_ascii_upper);

struct ChunkInfo {
  std::uint32_t time_stamp = 0;
  std::uint16_t chunk_index = 0;
  std::uint16_t data_length = 0;  // 0 to 65,000; 65,000 may also be stored as 0
  bool continued = false;
};

// Writes the header for `name` at the start of `out` and returns its size,
// or 0 (writing nothing) when the name is empty or longer than 255 bytes,
// the data length is above 65,000, or `out` is shorter than the header.
std::size_t write_entry_header(std::span<std::uint8_t> out, std::span<const std::uint8_t> name,
                               const ChunkInfo& chunk, IsUpperCase is_upper = is_ascii_upper);

// Appends one whole entry (header, data, pad). Returns false, appending
// nothing, for the cases write_entry_header() refuses.
bool append_entry(std::vector<std::uint8_t>& out, std::string_view name, std::uint32_t time_stamp,
                  std::uint16_t chunk_index, std::span<const std::uint8_t> data, bool continued);

// Appends the entries of a whole file: chunks of 65,000 bytes, each flagged
// while the rest of the file is at least that long; an empty file gives one
// entry of length 0 with flag 0. Returns false, appending nothing, when the
// name does not fit or the file needs more than 65,536 chunks.
bool append_file_entries(std::vector<std::uint8_t>& out, std::string_view name,
                         std::uint32_t time_stamp, std::span<const std::uint8_t> contents);

}  // namespace codec
