#include "host/memory_ledger.h"

#include <cstdlib>
#include <cstring>

namespace host {
namespace {

bool slot_releases(ReleaseSlot slot, Heap heap) {
  switch (slot) {
    case ReleaseSlot::kFree: return heap == Heap::kWorking;
    case ReleaseSlot::kRelease: return heap == Heap::kBlock || heap == Heap::kZeroed;
    case ReleaseSlot::kReleaseResult: return heap == Heap::kResult;
  }
  return false;
}

const char* slot_name(ReleaseSlot slot) {
  switch (slot) {
    case ReleaseSlot::kFree: return "slot 23";
    case ReleaseSlot::kRelease: return "slot 35";
    case ReleaseSlot::kReleaseResult: return "slot 148";
  }
  return "?";
}

}  // namespace

const char* heap_name(Heap heap) {
  switch (heap) {
    case Heap::kWorking: return "slot 27";
    case Heap::kBlock: return "slot 34";
    case Heap::kZeroed: return "slot 25";
    case Heap::kResult: return "slot 147";
  }
  return "?";
}

MemoryLedger::~MemoryLedger() {
  for (auto& [block, entry] : blocks_) std::free(block);
}

void* MemoryLedger::allocate(Heap heap, std::size_t size) {
  if (failures_pending_ > 0) {
    --failures_pending_;
    return nullptr;
  }
  // Contents are undefined for slots 27 and 34; fill them with a pattern so
  // that a handler relying on zeros shows up in tests.
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  const bool zeroed = heap == Heap::kZeroed || heap == Heap::kResult;
  std::memset(block, zeroed ? 0 : 0xA5, size == 0 ? 1 : size);
  blocks_[block] = {heap, size};
  outstanding_ += size;
  return block;
}

void MemoryLedger::release(void* block, ReleaseSlot slot, std::optional<std::size_t> size) {
  if (block == nullptr) return;
  const auto it = blocks_.find(block);
  if (it == blocks_.end()) {
    faults_.push_back(std::string(slot_name(slot)) + " released a block the host never gave out");
    return;
  }
  const Entry entry = it->second;
  if (!slot_releases(slot, entry.heap))
    faults_.push_back(std::string(slot_name(slot)) + " released a block from " +
                      heap_name(entry.heap));
  if (size && *size != entry.size)
    faults_.push_back(std::string(slot_name(slot)) + " released " + std::to_string(*size) +
                      " bytes of a block of " + std::to_string(entry.size));
  outstanding_ -= entry.size;
  blocks_.erase(it);
  std::free(block);
}

}  // namespace host
