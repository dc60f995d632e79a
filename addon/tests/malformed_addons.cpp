// Libraries the host must refuse; which one is chosen at compile time.
#include "addon/linkage.h"

#if defined(MALFORMED_NO_LINKAGE)
extern "C" {
TW_ADDON_EXPORT addon::HostData* Tarn = nullptr;
TW_ADDON_EXPORT addon::ServiceVector* OvlSubr = nullptr;
}
#elif defined(MALFORMED_ORDER)
extern "C" {
TW_ADDON_EXPORT constinit addon::HostData* Tarn = nullptr;
TW_ADDON_EXPORT constinit addon::ServiceVector* OvlSubr = nullptr;
constinit const addon::LinkageEntry Linkage[] = {
    {addon::kind::kReserved12, nullptr},
    {addon::kind::kModuleHandle, nullptr},
    {addon::kind::kReserved13, nullptr},
    {addon::kind::kEnd, nullptr}};
}
#elif defined(MALFORMED_NAME)
namespace {
std::int32_t nothing(addon::CallRecord*) { return 0; }
// A name that fills all 16 bytes leaves no room for its NUL.
constinit const addon::SubroutineEntry kSubroutines[] = {
    {{'S', 'i', 'x', 't', 'e', 'e', 'n', 'C', 'h', 'a', 'r', 's', 'L', 'o', 'n', 'g'},
     &nothing, 0x7201, {}},
    {},
};
}  // namespace
TW_ADDON_LINKAGE(nullptr, {addon::kind::kSubroutines, kSubroutines})
#endif
