// An add-on that uses a function another library contributed to the vector.
#include "addon/linkage.h"

namespace {

using AddNumbers = addon::Slot<200, std::int32_t(std::int32_t, std::int32_t)>;

// Offset 40 becomes offset 40 + 1000, computed by slot 200.
std::int32_t call_slot_200(addon::CallRecord* record) {
  if (!OvlSubr->has<AddNumbers>()) return 2;
  record->integer = OvlSubr->call<AddNumbers>(record->integer, 1000);
  return 0;
}

constinit const addon::SubroutineEntry kSubroutines[] = {
    {"CallSlot200", &call_slot_200, 0x7101, {}},
    {},
};

}  // namespace

TW_ADDON_LINKAGE(nullptr, {addon::kind::kSubroutines, kSubroutines})
