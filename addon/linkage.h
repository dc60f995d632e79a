// The tables an add-on library exports so that the host can find its
// subroutines and contributed functions without running any library code.
#pragma once

#include <cstdint>

#include "addon/abi.h"
#include "addon/services.h"

namespace addon {

namespace kind {
inline constexpr std::uint32_t kEnd = 0;
inline constexpr std::uint32_t kNumberedFunctions = 0x11;
inline constexpr std::uint32_t kReserved12 = 0x12;
inline constexpr std::uint32_t kReserved13 = 0x13;
inline constexpr std::uint32_t kModuleHandle = 0x14;
inline constexpr std::uint32_t kSubroutines = 0x15;
}  // namespace kind

struct LinkageEntry {
  std::uint32_t kind;
  const void* pointer;
};

// One named subroutine. The name has at most 15 characters so that its NUL
// always fits; a longer literal does not compile.
struct SubroutineEntry {
  char name[16];
  Handler handler;
  std::uint32_t number;
  std::uint32_t reserved[2];
};

// One function placed into the host-services vector at `slot`.
struct NumberedFunctionEntry {
  ServiceVector::AnyFunction function;
  std::uint32_t slot;
  std::uint32_t zero;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(LinkageEntry) == 8);
static_assert(sizeof(SubroutineEntry) == 32);
static_assert(offsetof(SubroutineEntry, handler) == 16);
static_assert(offsetof(SubroutineEntry, number) == 20);
static_assert(offsetof(SubroutineEntry, reserved) == 24);
static_assert(sizeof(NumberedFunctionEntry) == 12);
#endif

}  // namespace addon

#define TW_ADDON_EXPORT __attribute__((visibility("default")))

// The three exports. Library code reaches the host through them; the host
// writes Tarn and OvlSubr after loading.
extern "C" {
TW_ADDON_EXPORT extern const addon::LinkageEntry Linkage[];
TW_ADDON_EXPORT extern addon::HostData* Tarn;
TW_ADDON_EXPORT extern addon::ServiceVector* OvlSubr;
}

// Defines the three exports. MODULE_HANDLE_SLOT is the address of a void*
// the host fills with the module handle, or nullptr; the further arguments
// are the 0x11 and 0x15 entries in that order. Everything is constant data.
#define TW_ADDON_LINKAGE(MODULE_HANDLE_SLOT, ...)                                     \
  extern "C" {                                                                         \
  constinit addon::HostData* Tarn = nullptr;                           \
  constinit addon::ServiceVector* OvlSubr = nullptr;                   \
  constinit const addon::LinkageEntry Linkage[] = {                    \
      {addon::kind::kModuleHandle, MODULE_HANDLE_SLOT},                                \
      {addon::kind::kReserved12, nullptr},                                             \
      {addon::kind::kReserved13, nullptr},                                             \
      __VA_ARGS__ __VA_OPT__(, ){addon::kind::kEnd, nullptr}};                         \
  }
