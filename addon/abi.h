// The records that pass between the host runtime and an add-on library.
//
// On a 32-bit target every field sits at the byte offset the host expects
// (checked below); on a 64-bit target the same fields keep their order with
// natural widths, so pointers grow to 8 bytes and later offsets move.
#pragma once

#include <cstddef>
#include <cstdint>

namespace addon {

struct ServiceVector;
struct CallRecord;

// Handler status values.
inline constexpr std::int32_t kCompleted = 0;
inline constexpr std::int32_t kFailed = 2;

using Handler = std::int32_t (*)(CallRecord*);

// {length; pointer} text parameter or result.
struct TextDescriptor {
  std::uint32_t length;
  const char* text;
};

// A buffer handed between host and handler.
struct BufferDescriptor {
  std::uint8_t* data;
  std::uint32_t capacity;
  std::uint32_t position;  // read cursor; the reference position of a delta
  std::uint32_t length;    // bytes valid
};

// The host object at call record offset 96; only its hand-off function is
// ours to call.
struct HostContext {
  std::uint8_t host_owned[4164];
  std::int32_t (*hand_off)(CallRecord*);
};

// The block the Tarn export points at.
struct HostData {
  std::uint32_t host_owned[4];
  const std::uint8_t* char_class;  // indexed by character code
  void* instance;
  void* host_structure;
};

// Bit of HostData::char_class that marks an upper-case letter.
inline constexpr std::uint8_t kUpperCaseClass = 4;

struct CallRecord {
  std::uint32_t value_length;
  std::uint8_t* value;
  TextDescriptor* text;
  std::uint32_t host_owned_12;
  std::uint32_t second_length;
  void* second_pointer;
  std::uint32_t further_length;
  void* further_pointer;
  std::int32_t status;
  const ServiceVector* services;
  std::int32_t integer;
  std::int32_t integer2;
  std::uint32_t host_owned_48[6];
  void* stream_block;
  void* owner;
  std::uint32_t host_owned_80[4];
  HostContext* host_context;
  std::uint32_t host_owned_100[6];
  void* window_context;
  BufferDescriptor* buffer;
};

// Mode codes of the file services: two letters, the first in the low byte.
using ModeCode = std::uint16_t;
constexpr ModeCode mode_code(const char (&letters)[3]) {
  return static_cast<ModeCode>(static_cast<std::uint8_t>(letters[0]) |
                               static_cast<std::uint8_t>(letters[1]) << 8);
}
inline constexpr ModeCode kReadOnly = mode_code("ro");
inline constexpr ModeCode kReadWrite = mode_code("rw");
inline constexpr ModeCode kCreate = mode_code("cr");
static_assert(kReadOnly == 0x6f72 && kReadWrite == 0x7772 && kCreate == 0x7263);

// Error codes blockio32 passes to slots 41 and 92.
namespace error {
inline constexpr std::int32_t kNoBuffer = 35;
inline constexpr std::int32_t kValueTooShort = 66;
inline constexpr std::int32_t kValueEmpty = 67;
inline constexpr std::int32_t kNoOutputSize = 70;
inline constexpr std::int32_t kStreamFailed = 74;
inline constexpr std::int32_t kBeforeReference = 76;
inline constexpr std::int32_t kBeyondBounds = 77;
inline constexpr std::int32_t kSystemBase = 256;  // + system error number
// Class passed with every code to slot 92.
inline constexpr std::int32_t kReportClass = 3;
}  // namespace error

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(TextDescriptor) == 8);
static_assert(sizeof(BufferDescriptor) == 16);
static_assert(offsetof(BufferDescriptor, capacity) == 4);
static_assert(offsetof(BufferDescriptor, position) == 8);
static_assert(offsetof(BufferDescriptor, length) == 12);
static_assert(offsetof(HostContext, hand_off) == 4164);
static_assert(offsetof(HostData, char_class) == 16);
static_assert(offsetof(HostData, instance) == 20);
static_assert(offsetof(HostData, host_structure) == 24);
static_assert(offsetof(CallRecord, value_length) == 0);
static_assert(offsetof(CallRecord, value) == 4);
static_assert(offsetof(CallRecord, text) == 8);
static_assert(offsetof(CallRecord, second_length) == 16);
static_assert(offsetof(CallRecord, second_pointer) == 20);
static_assert(offsetof(CallRecord, further_length) == 24);
static_assert(offsetof(CallRecord, further_pointer) == 28);
static_assert(offsetof(CallRecord, status) == 32);
static_assert(offsetof(CallRecord, services) == 36);
static_assert(offsetof(CallRecord, integer) == 40);
static_assert(offsetof(CallRecord, integer2) == 44);
static_assert(offsetof(CallRecord, stream_block) == 72);
static_assert(offsetof(CallRecord, owner) == 76);
static_assert(offsetof(CallRecord, host_context) == 96);
static_assert(offsetof(CallRecord, window_context) == 124);
static_assert(offsetof(CallRecord, buffer) == 128);
#endif

}  // namespace addon
