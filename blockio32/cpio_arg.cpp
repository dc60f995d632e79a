// CpioArg: writes one package entry back into the file system.
#include <cerrno>

#include "addon/handler.h"
#include "blockio32/cpio_common.h"
#include "blockio32/handlers.h"
#include "codec/entry_path.h"

namespace blockio {
namespace {

using addon::CallRecord;
namespace slot = addon::slot;

// Creates each missing directory of the path, outermost first.
void create_directories(const addon::ServiceVector& s, char* path) {
  for (char* p = path; *p != '\0'; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    if (s.call<slot::TestPath>(path, 0) < 0) s.call<slot::CreateDirectory>(path);
    *p = '/';
  }
}

}  // namespace

std::int32_t CpioArg(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) -> std::int32_t {
    const auto& s = *r.services;
    const auto entry = codec::parse_entry(addon::value_bytes(r));
    if (!entry) {
      addon::report_error(r, addon::error::kValueTooShort);
      return addon::kFailed;
    }
    r.integer = static_cast<std::int32_t>(entry->size);

    // A name that reaches outside the current directory is never written.
    auto path = entry_path(*entry);
    if (!codec::is_safe_entry_name(entry->name_text()) || !path)
      return addon::report_system_error(r, EACCES);

    if (entry->data.empty()) {
      s.call<slot::RemoveFile>(path->text);
      return addon::kCompleted;
    }
    create_directories(s, path->text);
    s.call<slot::PreparePath>(path->text, 0);
    // The first chunk starts the file afresh; later ones add to it.
    const auto mode = entry->fields.chunk_index == 0 ? addon::kCreate : addon::kReadWrite;
    const addon::FileHandle file = s.call<slot::OpenFile>(path->text, mode);
    if (file == 0) return addon::report_system_error(r, errno);

    const auto offset = static_cast<std::uint32_t>(entry->fields.file_offset());
    const auto length = static_cast<std::uint32_t>(entry->data.size());
    if (s.call<slot::SeekFile>(file, static_cast<std::int32_t>(offset), 0) != offset ||
        s.call<slot::WriteFile>(file, entry->data.data(), length) != 0) {
      const int error = errno;
      s.call<slot::CloseFile>(file);
      return addon::report_system_error(r, error);
    }
    if (!entry->fields.continued) s.call<slot::SetEndOfFile>(file, offset + length);
    s.call<slot::SetFileTime>(file, path->text, entry->fields.time_stamp);
    s.call<slot::CloseFile>(file);
    return addon::kCompleted;
  });
}

}  // namespace blockio
