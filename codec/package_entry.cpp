#include "codec/package_entry.h"

#include <algorithm>

namespace codec {

std::optional<EntryFields> read_entry_fields(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kEntryFixedSize) return std::nullopt;
  EntryFields f;
  f.has_magic = bytes[0] == kEntryMagic0 && bytes[1] == kEntryMagic1;
  f.continued = bytes[2] == 1;
  f.name_length = bytes[3];
  f.time_stamp = std::uint32_t{bytes[4]} << 24 | std::uint32_t{bytes[5]} << 16 |
                 std::uint32_t{bytes[6]} << 8 | std::uint32_t{bytes[7]};
  f.chunk_index = static_cast<std::uint16_t>(bytes[8] | bytes[9] << 8);
  f.stored_length = static_cast<std::uint16_t>(bytes[10] | bytes[11] << 8);
  return f;
}

std::optional<Entry> parse_entry(std::span<const std::uint8_t> bytes, ZeroLengthRule rule) {
  const auto fields = read_entry_fields(bytes);
  if (!fields) return std::nullopt;
  const std::size_t size = fields->size(rule);
  if (bytes.size() < size) return std::nullopt;
  Entry e;
  e.fields = *fields;
  e.name = bytes.subspan(kEntryFixedSize, fields->name_length);
  e.data = bytes.subspan(fields->header_size(), fields->data_length(rule));
  e.size = size;
  return e;
}

std::optional<Entry> EntryWalker::next() {
  if (at_end()) return std::nullopt;
  auto entry = parse_entry(buffer_.subspan(offset_), rule_);
  if (entry) offset_ += entry->size;
  return entry;
}

bool is_ascii_upper(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }

std::uint8_t entry_name_byte(std::uint8_t c, IsUpperCase is_upper) {
  c &= 0x7F;
  return is_upper(c) ? static_cast<std::uint8_t>(c | 0x20) : c;
}

std::size_t write_entry_header(std::span<std::uint8_t> out, std::span<const std::uint8_t> name,
                               const ChunkInfo& chunk, IsUpperCase is_upper) {
  if (name.empty() || name.size() > kMaxEntryNameLength || chunk.data_length > kChunkSize)
    return 0;
  const std::size_t h = entry_header_size(name.size());
  if (out.size() < h) return 0;
  std::fill_n(out.begin(), h, std::uint8_t{0});
  out[0] = kEntryMagic0;
  out[1] = kEntryMagic1;
  out[2] = chunk.continued ? 1 : 0;
  out[3] = static_cast<std::uint8_t>(name.size());
  out[4] = static_cast<std::uint8_t>(chunk.time_stamp >> 24);
  out[5] = static_cast<std::uint8_t>(chunk.time_stamp >> 16);
  out[6] = static_cast<std::uint8_t>(chunk.time_stamp >> 8);
  out[7] = static_cast<std::uint8_t>(chunk.time_stamp);
  out[8] = static_cast<std::uint8_t>(chunk.chunk_index);
  out[9] = static_cast<std::uint8_t>(chunk.chunk_index >> 8);
  out[10] = static_cast<std::uint8_t>(chunk.data_length);
  out[11] = static_cast<std::uint8_t>(chunk.data_length >> 8);
  for (std::size_t i = 0; i < name.size(); ++i)
    out[kEntryFixedSize + i] = entry_name_byte(name[i], is_upper);
  return h;
}

namespace {

std::span<const std::uint8_t> as_bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

bool append_entry(std::vector<std::uint8_t>& out, std::string_view name, std::uint32_t time_stamp,
                  std::uint16_t chunk_index, std::span<const std::uint8_t> data, bool continued) {
  if (data.size() > kChunkSize) return false;
  const std::size_t start = out.size();
  const std::size_t size = entry_size(name.size(), data.size());
  out.resize(start + size);
  const ChunkInfo chunk{time_stamp, chunk_index, static_cast<std::uint16_t>(data.size()), continued};
  const std::size_t h = write_entry_header(std::span(out).subspan(start), as_bytes(name), chunk);
  if (h == 0) {
    out.resize(start);
    return false;
  }
  std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(start + h));
  // The pad byte after odd data is already zero from resize().
  return true;
}

bool append_file_entries(std::vector<std::uint8_t>& out, std::string_view name,
                         std::uint32_t time_stamp, std::span<const std::uint8_t> contents) {
  const std::size_t chunks = std::max<std::size_t>(1, (contents.size() + kChunkSize - 1) / kChunkSize);
  if (chunks > 0x10000 || name.empty() || name.size() > kMaxEntryNameLength) return false;
  std::size_t offset = 0;
  for (std::size_t index = 0; index < chunks; ++index) {
    const std::size_t remaining = contents.size() - offset;
    const std::size_t length = std::min<std::size_t>(remaining, kChunkSize);
    append_entry(out, name, time_stamp, static_cast<std::uint16_t>(index),
                 contents.subspan(offset, length), chunk_continues(remaining));
    offset += length;
  }
  return true;
}

}  // namespace codec
