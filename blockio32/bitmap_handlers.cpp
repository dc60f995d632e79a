// BmapOpen and BmapRow: a script walks the rows of a one-bit bitmap while
// BmapOpen's block runs.
#include "addon/handler.h"
#include "blockio32/bitmap.h"
#include "blockio32/handlers.h"

namespace blockio {
namespace {

using addon::CallRecord;

// The bitmap of the innermost BmapOpen still running; none outside.
struct OpenBitmap {
  std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  BitmapLayout layout{};
};

constinit OpenBitmap open_bitmap;

}  // namespace

std::int32_t BmapOpen(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) {
    const auto bitmap = addon::value_bytes(r);
    // A value whose rows do not lie inside it would be read and written
    // out of bounds: refuse it before touching anything.
    const auto layout = read_bitmap_layout(bitmap);
    if (!layout) return addon::raise_error(r, addon::error::kValueTooShort);

    // A BmapOpen run from this one's block replaces the open bitmap only
    // until it returns.
    addon::ScopedRestore<OpenBitmap> outer(open_bitmap);
    open_bitmap = {bitmap.data(), r.value_length, *layout};
    invert_bitmap(bitmap, *layout);

    r.services->call<addon::slot::SetNumericResult>(
        &r, static_cast<std::int32_t>(layout->row_length), 0);
    addon::BufferDescriptor handed{bitmap.data(), r.value_length, 0, r.value_length};
    addon::CurrentBufferScope scope(r, handed);
    return scope.run_with_result();
  });
}

std::int32_t BmapRow(CallRecord* record) {
  const auto row = static_cast<std::uint32_t>(record->integer);
  if (open_bitmap.data == nullptr || row >= open_bitmap.layout.height) return addon::kFailed;
  record->value = open_bitmap.data + open_bitmap.layout.row_offset(row);
  record->value_length = open_bitmap.layout.row_length;
  return addon::kCompleted;
}

}  // namespace blockio
