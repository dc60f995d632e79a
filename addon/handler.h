// What every subroutine handler needs: the value as bytes, error reports,
// host memory, the current-buffer guard and the exception barrier.
#pragma once

#include <cerrno>
#include <cstdint>
#include <memory_resource>
#include <new>
#include <span>

#include "addon/abi.h"
#include "addon/services.h"

namespace addon {

inline std::span<std::uint8_t> value_bytes(const CallRecord& record) {
  if (record.value == nullptr) return {};
  return {record.value, record.value_length};
}

// Slot 41: returns the status the handler is to return.
inline std::int32_t raise_error(CallRecord& record, std::int32_t code) {
  return record.services->call<slot::RaiseError>(&record, code);
}

// Slot 92 with the class blockio32 always passes.
inline void report_error(CallRecord& record, std::int32_t code) {
  record.services->call<slot::ReportError>(&record, code, error::kReportClass);
}

// Reports a failed system call as 256 + its error number; returns kFailed.
inline std::int32_t report_system_error(CallRecord& record, int system_error) {
  report_error(record, error::kSystemBase + system_error);
  return kFailed;
}

// Which allocation slot a block comes from, and so which slot releases it.
enum class HostHeap {
  kWorking,  // 27, released with 23
  kBlock,    // 34, released with 35
  kZeroed,   // 25, released with 35
};

void* host_allocate(const ServiceVector& services, HostHeap heap, std::size_t size) noexcept;
void host_release(const ServiceVector& services, HostHeap heap, void* block,
                  std::size_t size) noexcept;

// A memory resource over the host's allocation slots, for containers used
// inside a handler. Throws std::bad_alloc when the host has no memory.
class HostMemoryResource final : public std::pmr::memory_resource {
 public:
  HostMemoryResource(const ServiceVector& services, HostHeap heap)
      : services_(services), heap_(heap) {}

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  const ServiceVector& services_;
  HostHeap heap_;
};

// One block of host memory owned for the life of a scope.
class HostBlock {
 public:
  HostBlock(const ServiceVector& services, HostHeap heap, std::size_t size)
      : services_(services), heap_(heap), size_(size),
        data_(static_cast<std::uint8_t*>(host_allocate(services, heap, size))) {}
  ~HostBlock() {
    if (data_ != nullptr) host_release(services_, heap_, data_, size_);
  }
  HostBlock(const HostBlock&) = delete;
  HostBlock& operator=(const HostBlock&) = delete;

  explicit operator bool() const { return data_ != nullptr; }
  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  const ServiceVector& services_;
  HostHeap heap_;
  std::size_t size_;
  std::uint8_t* data_;
};

// Points offset 128 at a buffer of ours for as long as it lives and puts the
// previous pointer back on every way out.
class CurrentBufferScope {
 public:
  CurrentBufferScope(CallRecord& record, BufferDescriptor& replacement)
      : record_(record), saved_(record.buffer) {
    record.buffer = &replacement;
  }
  ~CurrentBufferScope() { record_.buffer = saved_; }
  CurrentBufferScope(const CurrentBufferScope&) = delete;
  CurrentBufferScope& operator=(const CurrentBufferScope&) = delete;

  // Slot 143: the script uses the buffer; returns the status it left.
  std::int32_t run_with_result() {
    record_.services->call<slot::RunWithResult>(&record_);
    return record_.status;
  }

 private:
  CallRecord& record_;
  BufferDescriptor* saved_;
};

// Saves a piece of library-wide state and restores it when the scope ends,
// so a nested call from inside slot 143 leaves the outer call's state intact.
template <typename T>
class ScopedRestore {
 public:
  explicit ScopedRestore(T& state) : state_(state), saved_(state) {}
  ~ScopedRestore() { state_ = saved_; }
  ScopedRestore(const ScopedRestore&) = delete;
  ScopedRestore& operator=(const ScopedRestore&) = delete;

 private:
  T& state_;
  T saved_;
};

// Runs a handler body; no exception leaves it. Running out of host memory is
// reported as a system failure.
template <typename Body>
std::int32_t guarded(CallRecord* record, Body&& body) noexcept {
  try {
    return body(*record);
  } catch (const std::bad_alloc&) {
    return report_system_error(*record, ENOMEM);
  } catch (...) {
    return report_system_error(*record, EIO);
  }
}

}  // namespace addon
