// What the package-entry handlers share: the entry's name as a path the
// file services take, and the host's idea of upper case.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "addon/abi.h"
#include "codec/package_entry.h"

namespace blockio {

// An entry's name, NUL-terminated, "\" turned into "/".
struct EntryPath {
  char text[codec::kMaxEntryNameLength + 1];
};

std::optional<EntryPath> entry_path(const codec::Entry& entry);

// The host's character table says which bytes are upper-case letters.
bool host_is_upper(std::uint8_t c);

// The time stamp a file gets from its entry.
inline std::uint32_t entry_time(const codec::Entry& entry) { return entry.fields.time_stamp; }

}  // namespace blockio
