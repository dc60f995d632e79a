#include "addon/handler.h"

#include <cstddef>
#include <cstdint>

namespace addon {

void* host_allocate(const ServiceVector& services, HostHeap heap, std::size_t size) noexcept {
  if (size > UINT32_MAX) return nullptr;
  const auto n = static_cast<std::uint32_t>(size);
  switch (heap) {
    case HostHeap::kWorking: return services.call<slot::Allocate>(n);
    case HostHeap::kBlock: return services.call<slot::AllocateBlock>(n);
    case HostHeap::kZeroed: return services.call<slot::AllocateZeroed>(n);
  }
  return nullptr;
}

void host_release(const ServiceVector& services, HostHeap heap, void* block,
                  std::size_t size) noexcept {
  if (heap == HostHeap::kWorking)
    services.call<slot::Free>(block);
  else
    services.call<slot::Release>(block, static_cast<std::uint32_t>(size));
}

void* HostMemoryResource::do_allocate(std::size_t bytes, std::size_t alignment) {
  // The host's blocks are aligned like malloc's; nothing here needs more.
  if (alignment > alignof(std::max_align_t)) throw std::bad_alloc();
  void* block = host_allocate(services_, heap_, bytes == 0 ? 1 : bytes);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void HostMemoryResource::do_deallocate(void* block, std::size_t bytes, std::size_t) {
  host_release(services_, heap_, block, bytes == 0 ? 1 : bytes);
}

}  // namespace addon
