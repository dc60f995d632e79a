// The host-services vector: function pointers indexed by slot number.
//
// Each slot's signature is written once, as a Slot alias below; handlers call
// `services.call<slot::OpenFile>(path, mode)` and the host fills the vector
// with `set<slot::OpenFile>(&fn)`, so both sides are checked against the same
// type and nobody casts a raw pointer.
#pragma once

#include <cstdint>
#include <utility>

#include "addon/abi.h"

namespace addon {

// Opaque file handle of the file services; 0 means failure.
using FileHandle = std::uintptr_t;

template <int Number, typename Signature>
struct Slot;

template <int Number, typename Result, typename... Args>
struct Slot<Number, Result(Args...)> {
  static constexpr int number = Number;
  using Function = Result (*)(Args...);
};

namespace slot {
// Contributed by blockio32's numbered-function table.
using AesExpandKey = Slot<8, void(const std::uint8_t* key, std::uint32_t* schedule)>;
using AesEncryptBlock =
    Slot<9, void(const std::uint8_t* in, const std::uint32_t* schedule, std::uint8_t* out)>;
using AesDecryptBlock =
    Slot<10, void(const std::uint8_t* in, const std::uint32_t* schedule, std::uint8_t* out)>;

// Files.
using OpenFile = Slot<11, FileHandle(const char* path, ModeCode mode)>;
using WriteFile = Slot<12, std::int32_t(FileHandle, const void* bytes, std::uint32_t count)>;
using ReadFile = Slot<13, std::int32_t(FileHandle, void* buffer, std::uint32_t count)>;
using SeekFile = Slot<14, std::uint32_t(FileHandle, std::int32_t offset, std::int32_t origin)>;
using CloseFile = Slot<15, void(FileHandle)>;
using RemoveFile = Slot<16, void(const char* path)>;
using PreparePath = Slot<17, void(const char* path, std::int32_t zero)>;
using TestPath = Slot<18, std::int32_t(const char* path, std::int32_t zero)>;
using CreateDirectory = Slot<20, void(const char* path)>;
using SetEndOfFile = Slot<22, void(FileHandle, std::uint32_t size)>;
using GetFileTime = Slot<70, std::uint32_t(FileHandle)>;
using SetFileTime = Slot<71, void(FileHandle, const char* path, std::uint32_t stamp)>;
using OpenValueAsFile = Slot<142, FileHandle(CallRecord*, ModeCode mode)>;

// Memory. Each allocation slot has its own release slot.
using Free = Slot<23, void(void* block)>;
using AllocateZeroed = Slot<25, void*(std::uint32_t size)>;  // release with 35
using Allocate = Slot<27, void*(std::uint32_t size)>;        // release with 23
using AllocateBlock = Slot<34, void*(std::uint32_t size)>;   // release with 35
using Release = Slot<35, void(void* block, std::uint32_t size)>;
using AllocateResult = Slot<147, void*(CallRecord*, std::uint32_t size)>;
using ReleaseResult = Slot<148, void(CallRecord*, void* block, std::uint32_t size)>;

// Errors and results.
using ReportFileError = Slot<40, std::int32_t(CallRecord*, const TextDescriptor* name)>;
using RaiseError = Slot<41, std::int32_t(CallRecord*, std::int32_t code)>;
using ReportError = Slot<92, void(CallRecord*, std::int32_t code, std::int32_t error_class)>;
using SetNumericResult = Slot<95, void(CallRecord*, std::int32_t value, std::int32_t selector)>;

// The call's byte streams and the script block.
using NextArgumentByte = Slot<67, std::int32_t(CallRecord*)>;
using EmitByte = Slot<68, void(CallRecord*, std::int32_t byte)>;
using RunWithResult = Slot<143, void(CallRecord*)>;
}  // namespace slot

// End of the call's input stream, as slot 67 reports it (any value > 255).
inline constexpr std::int32_t kEndOfStream = 256;

struct ServiceVector {
  static constexpr int kSlotCount = 256;
  using AnyFunction = void (*)();

  AnyFunction slots[kSlotCount];

  template <class S>
  typename S::Function get() const {
    return reinterpret_cast<typename S::Function>(slots[S::number]);
  }

  template <class S>
  void set(typename S::Function function) {
    slots[S::number] = reinterpret_cast<AnyFunction>(function);
  }

  template <class S>
  bool has() const {
    return slots[S::number] != nullptr;
  }

  template <class S, typename... Args>
  decltype(auto) call(Args&&... args) const {
    return get<S>()(std::forward<Args>(args)...);
  }
};

}  // namespace addon
