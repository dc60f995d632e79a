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

enum class Heap { kWorking, kBlock, kZeroed, kResult };

class MemoryLedger {
 public:
  void* allocate(Heap heap, std::size_t size, bool zeroed);
  // Releases a block; `size` is checked when the releasing slot passes one.
  void release(void* block, Heap expected_heap, std::optional<std::size_t> size);

  std::size_t outstanding_bytes() const { return outstanding_; }
  std::size_t outstanding_blocks() const { return blocks_.size(); }
  const std::vector<std::string>& faults() const { return faults_; }
  std::size_t fault_count() const { return faults_.size(); }
  // Makes the next allocations fail (returning null) while positive.
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

}  // namespace host
