#include "blockio32/cpio_common.h"

#include "addon/linkage.h"
#include "codec/entry_path.h"

namespace blockio {

std::optional<EntryPath> entry_path(const codec::Entry& entry) {
  EntryPath path;
  if (!codec::copy_entry_path(entry.name_text(), path.text)) return std::nullopt;
  return path;
}

bool host_is_upper(std::uint8_t c) {
  return Tarn != nullptr && Tarn->char_class != nullptr &&
         (Tarn->char_class[c] & addon::kUpperCaseClass) != 0;
}

}  // namespace blockio
