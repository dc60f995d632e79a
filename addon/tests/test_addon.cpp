// A small add-on that exercises the interface: a 15-character name, the
// current-buffer guard, the byte streams, the memory slots, a contributed
// function and library-wide state that lasts from one call to the next.
#include <cerrno>
#include <cstring>

#include "addon/handler.h"
#include "addon/linkage.h"

namespace {

using addon::CallRecord;

// Contributed to the vector as slot 200.
std::int32_t add_numbers(std::int32_t a, std::int32_t b) { return a + b; }

// Hands back a copy of the value as a new buffer through slot 143.
std::int32_t echo_value(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) {
    const auto value = addon::value_bytes(r);
    addon::HostBlock copy(*r.services, addon::HostHeap::kBlock, value.size());
    if (!copy) return addon::report_system_error(r, ENOMEM);
    if (!value.empty()) std::memcpy(copy.data(), value.data(), value.size());
    addon::BufferDescriptor result{copy.data(), static_cast<std::uint32_t>(value.size()), 0,
                                   static_cast<std::uint32_t>(value.size())};
    addon::CurrentBufferScope scope(r, result);
    return scope.run_with_result();
  });
}

// Copies the input stream to the result stream; a failing stream is code 74.
std::int32_t copy_stream(CallRecord* record) {
  for (;;) {
    const std::int32_t b = record->services->call<addon::slot::NextArgumentByte>(record);
    if (b < 0) {
      addon::report_error(*record, addon::error::kStreamFailed);
      return addon::kFailed;
    }
    if (b > 255) return addon::kCompleted;
    record->services->call<addon::slot::EmitByte>(record, b);
  }
}

// Takes 100 bytes from slot 27 and keeps them.
std::int32_t leak(CallRecord* record) {
  return record->services->call<addon::slot::Allocate>(100) != nullptr ? 0 : 2;
}

// Gives a slot-34 block back through slot 23, and a slot-25 block with the
// wrong size.
std::int32_t wrong_release(CallRecord* record) {
  const auto& s = *record->services;
  s.call<addon::slot::Free>(s.call<addon::slot::AllocateBlock>(16));
  s.call<addon::slot::Release>(s.call<addon::slot::AllocateZeroed>(16), 8);
  return 0;
}

// Library-wide counter: offset 40 receives the number of calls so far.
int g_calls = 0;
std::int32_t count_calls(CallRecord* record) {
  record->integer = ++g_calls;
  record->services->call<addon::slot::SetNumericResult>(record, g_calls, 0);
  return 0;
}

constinit const addon::SubroutineEntry kSubroutines[] = {
    {"FifteenCharName", &count_calls, 0x7001, {}},
    {"EchoValue", &echo_value, 0x7002, {}},
    {"CopyStream", &copy_stream, 0x7003, {}},
    {"Leak", &leak, 0x7004, {}},
    {"WrongRelease", &wrong_release, 0x7005, {}},
    {},
};

const addon::NumberedFunctionEntry kFunctions[] = {
    {reinterpret_cast<addon::ServiceVector::AnyFunction>(&add_numbers), 200, 0},
    {},
};

void* g_module_handle = nullptr;

}  // namespace

TW_ADDON_LINKAGE(&g_module_handle,
                 {addon::kind::kNumberedFunctions, kFunctions},
                 {addon::kind::kSubroutines, kSubroutines})
