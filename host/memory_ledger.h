// Every block the host hands out through its allocation slots, so that a
// test sees leaks and releases through the wrong slot or with the wrong size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace host {

// Where a block came from.
enum class Heap {
  kWorking,  // slot 27
  kBlock,    // slot 34
  kZeroed,   // slot 25
  kResult,   // slot 147
};

// Which slot gives a block back.
enum class ReleaseSlot {
  kFree,           // slot 23: kWorking
  kRelease,        // slot 35: kBlock, kZeroed (with the size)
  kReleaseResult,  // slot 148: kResult (with the size)
};

class MemoryLedger {
 public:
  MemoryLedger() = default;
  ~MemoryLedger();
  MemoryLedger(const MemoryLedger&) = delete;
  MemoryLedger& operator=(const MemoryLedger&) = delete;

  // Null when the size is 0 is not special: the host hands out a block
  // for any size, and null only when asked to fail.
  void* allocate(Heap heap, std::size_t size);
  // `size` is checked when the releasing slot passes one.
  void release(void* block, ReleaseSlot slot, std::optional<std::size_t> size);

  std::size_t outstanding_bytes() const { return outstanding_; }
  std::size_t outstanding_blocks() const { return blocks_.size(); }
  const std::vector<std::string>& faults() const { return faults_; }
  // Makes the next `count` allocations fail.
  void fail_next_allocations(int count) { failures_pending_ = count; }

 private:
  struct Entry {
    Heap heap;
    std::size_t size;
  };
  std::map<void*, Entry> blocks_;
  std::size_t outstanding_ = 0;
  std::vector<std::string> faults_;
  int failures_pending_ = 0;
};

const char* heap_name(Heap heap);

}  // namespace host
