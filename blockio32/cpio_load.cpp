// CpioLoad: cuts a file into package entries in the host's current buffer
// and hands each filled buffer to the script.
#include <cerrno>

#include "addon/handler.h"
#include "blockio32/cpio_common.h"
#include "blockio32/handlers.h"

namespace blockio {
namespace {

using addon::CallRecord;
namespace slot = addon::slot;

// Restores the second value (offsets 16 and 20) and hands the buffer over.
std::int32_t hand_buffer_off(CallRecord& r, std::uint32_t second_length, void* second_pointer) {
  r.second_length = second_length;
  r.second_pointer = second_pointer;
  const std::int32_t status = r.host_context->hand_off(&r);
  r.buffer->position = 0;
  r.buffer->length = 0;
  return status;
}

}  // namespace

std::int32_t CpioLoad(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) -> std::int32_t {
    const auto& s = *r.services;
    const addon::TextDescriptor path{r.value_length, reinterpret_cast<const char*>(r.value)};
    // The name length field holds at most 255: a longer path cannot be
    // described, so it is reported like a file that cannot be opened.
    if (r.value_length == 0 || r.value_length > codec::kMaxEntryNameLength)
      return s.call<slot::ReportFileError>(&r, &path);
    if (r.buffer == nullptr) return addon::raise_error(r, addon::error::kNoBuffer);

    const std::uint32_t second_length = r.second_length;
    void* const second_pointer = r.second_pointer;
    const bool several_per_buffer = r.integer != 0;
    const std::span<const std::uint8_t> name(r.value, r.value_length);

    const addon::FileHandle file = s.call<slot::OpenValueAsFile>(&r, addon::kReadOnly);
    if (file == 0) return s.call<slot::ReportFileError>(&r, &path);
    std::uint64_t remaining = s.call<slot::SeekFile>(file, 0, 2);
    s.call<slot::SeekFile>(file, 0, 0);
    addon::BufferDescriptor& buffer = *r.buffer;
    buffer.position = 0;
    buffer.length = 0;
    r.status = 0;
    const std::uint32_t stamp = s.call<slot::GetFileTime>(file);
    const std::size_t header_size = codec::entry_header_size(name.size());

    bool read_failed = false;
    for (std::uint16_t index = 0;; ++index) {
      const auto data_length = static_cast<std::uint32_t>(
          remaining < codec::kChunkSize ? remaining : codec::kChunkSize);
      // A buffer too small for the entry would be written past its end.
      if (buffer.capacity - buffer.length < codec::entry_size(name.size(), data_length)) {
        s.call<slot::CloseFile>(file);
        return addon::report_system_error(r, ENOBUFS);
      }
      const codec::ChunkInfo chunk{stamp, index, static_cast<std::uint16_t>(data_length),
                                   codec::chunk_continues(remaining)};
      codec::write_entry_header({buffer.data + buffer.length, header_size}, name, chunk,
                                &host_is_upper);
      buffer.length += static_cast<std::uint32_t>(header_size);

      if (data_length > 0 &&
          s.call<slot::ReadFile>(file, buffer.data + buffer.length, data_length) != 0) {
        read_failed = true;
        break;
      }
      buffer.length += data_length;
      remaining -= data_length;
      if (data_length % 2 != 0) buffer.data[buffer.length++] = 0;

      // The last buffer of a file always goes out, also when its last chunk
      // is a full one that carries the continuation flag.
      const std::uint64_t next_length = remaining < codec::kChunkSize ? remaining : codec::kChunkSize;
      const bool full = buffer.capacity - buffer.length < header_size + next_length;
      if (!several_per_buffer || !chunk.continued || full || remaining == 0)
        r.status = hand_buffer_off(r, second_length, second_pointer);
      if (r.status != 0 || remaining == 0) break;
    }
    s.call<slot::CloseFile>(file);
    if (read_failed) r.status = s.call<slot::ReportFileError>(&r, &path);
    return r.status;
  });
}

}  // namespace blockio
