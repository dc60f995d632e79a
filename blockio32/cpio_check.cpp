// CpioChk: tells whether the file system already holds an entry's bytes.
// Built three times; the builds differ in how they read an empty entry:
//   A  a stored length of 0 is 0 even with the continuation flag; an entry
//      asking for the file's removal answers 0 at once.
//   B  such an entry answers 1 when the file can be opened.
//   C  such an entry answers 1 when the file cannot be opened (it is absent,
//      as the entry asks).
#include <cerrno>
#include <cstring>

#include "addon/handler.h"
#include "blockio32/cpio_common.h"
#include "blockio32/handlers.h"

#ifndef BLOCKIO_CPIO_CHK_BUILD
#error "BLOCKIO_CPIO_CHK_BUILD must be 'A', 'B' or 'C'"
#endif

namespace blockio {
namespace {

using addon::CallRecord;
namespace slot = addon::slot;

constexpr char kBuild = BLOCKIO_CPIO_CHK_BUILD;
static_assert(kBuild == 'A' || kBuild == 'B' || kBuild == 'C');
constexpr auto kZeroRule =
    kBuild == 'A' ? codec::ZeroLengthRule::kLiteral : codec::ZeroLengthRule::kFullChunk;

// 1 when the file holds exactly the entry's data at the entry's place.
std::int32_t file_holds(const addon::ServiceVector& s, addon::FileHandle file,
                        const codec::Entry& entry, bool& out_of_memory) {
  const auto length = static_cast<std::uint32_t>(entry.data.size());
  const auto offset = static_cast<std::uint32_t>(entry.fields.file_offset());
  void* bytes = s.call<slot::Allocate>(length);
  if (bytes == nullptr) {
    out_of_memory = true;
    return 0;
  }
  const bool same = s.call<slot::SeekFile>(file, static_cast<std::int32_t>(offset), 0) == offset &&
                    s.call<slot::ReadFile>(file, bytes, length) == 0 &&
                    (length == 0 || std::memcmp(bytes, entry.data.data(), length) == 0);
  s.call<slot::Free>(bytes);
  return same ? 1 : 0;
}

}  // namespace

std::int32_t CpioChk(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) -> std::int32_t {
    const auto& s = *r.services;
    const auto value = addon::value_bytes(r);
    const auto fields = codec::read_entry_fields(value);
    if (kBuild == 'A' && fields && fields->is_deletion()) {
      r.integer2 = 0;
      return addon::kCompleted;
    }
    const auto entry = codec::parse_entry(value, kZeroRule);
    if (!entry) {
      addon::report_error(r, addon::error::kValueTooShort);
      return addon::kFailed;
    }
    r.integer = static_cast<std::int32_t>(entry->size);
    const auto path = entry_path(*entry);
    const addon::FileHandle file =
        path ? s.call<slot::OpenFile>(path->text, addon::kReadOnly) : addon::FileHandle{0};

    if (kBuild == 'C' && entry->fields.is_deletion()) {
      r.integer2 = file == 0 ? 1 : 0;
    } else if (file == 0) {
      r.integer2 = 0;
    } else {
      bool out_of_memory = false;
      r.integer2 = file_holds(s, file, *entry, out_of_memory);
      if (out_of_memory) {
        s.call<slot::CloseFile>(file);
        return addon::report_system_error(r, ENOMEM);
      }
    }
    if (file != 0) s.call<slot::CloseFile>(file);
    return addon::kCompleted;
  });
}

}  // namespace blockio
