// CpioGen and CpioApply: file deltas between a reference and a target.
#include <cerrno>

#include "addon/handler.h"
#include "blockio32/file_delta.h"
#include "blockio32/handlers.h"

namespace blockio {
namespace {

using addon::CallRecord;

// The delta goes out byte by byte through slot 68.
class EmittedBytes final : public codec::ByteSink {
 public:
  explicit EmittedBytes(CallRecord& record) : record_(record) {}
  void write(std::span<const std::uint8_t> bytes) override {
    for (const std::uint8_t b : bytes) record_.services->call<addon::slot::EmitByte>(&record_, b);
  }

 private:
  CallRecord& record_;
};

// The delta comes in byte by byte through slot 67.
class ArgumentBytes final : public DeltaSource {
 public:
  explicit ArgumentBytes(CallRecord& record) : record_(record) {}
  std::int32_t next_byte() override {
    return record_.services->call<addon::slot::NextArgumentByte>(&record_);
  }

 private:
  CallRecord& record_;
};

std::span<const std::uint8_t> described_bytes(const addon::BufferDescriptor& buffer) {
  if (buffer.data == nullptr) return {};
  return {buffer.data, buffer.length};
}

std::int32_t error_code(DeltaStatus status) {
  switch (status) {
    case DeltaStatus::kComplete: break;
    case DeltaStatus::kStreamFailed: return addon::error::kStreamFailed;
    case DeltaStatus::kBeforeReference: return addon::error::kBeforeReference;
    case DeltaStatus::kBeyondBounds: return addon::error::kBeyondBounds;
  }
  return 0;
}

// CpioApply reports its failures with slot 92 and leaves the script a
// status of 0.
std::int32_t apply_failed(CallRecord& record, std::int32_t code) {
  addon::report_error(record, code);
  record.status = 0;
  return record.status;
}

}  // namespace

std::int32_t CpioGen(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) {
    if (r.buffer == nullptr) return addon::raise_error(r, addon::error::kNoBuffer);
    const auto reference = addon::value_bytes(r);
    if (reference.empty()) return addon::raise_error(r, addon::error::kValueEmpty);
    addon::HostMemoryResource memory(*r.services, addon::HostHeap::kZeroed);
    EmittedBytes sink(r);
    generate_delta(reference, described_bytes(*r.buffer), sink, &memory);
    return addon::kCompleted;
  });
}

std::int32_t CpioApply(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) {
    if (r.buffer == nullptr) return addon::raise_error(r, addon::error::kNoBuffer);
    const auto size = static_cast<std::uint32_t>(r.integer);
    if (size == 0) return apply_failed(r, addon::error::kNoOutputSize);
    const addon::HostBlock output(*r.services, addon::HostHeap::kWorking, size);
    if (!output) return apply_failed(r, addon::error::kSystemBase + ENOMEM);

    addon::BufferDescriptor& reference = *r.buffer;
    std::uint32_t position = reference.position;
    ArgumentBytes delta(r);
    const DeltaApplied applied =
        apply_delta(described_bytes(reference), position, delta, {output.data(), size});
    reference.position = position;
    // A failed delta's partial output never reaches the script.
    if (applied.status != DeltaStatus::kComplete) return apply_failed(r, error_code(applied.status));

    addon::BufferDescriptor produced{output.data(), size, 0,
                                     static_cast<std::uint32_t>(applied.produced)};
    addon::CurrentBufferScope scope(r, produced);
    return scope.run_with_result();
  });
}

}  // namespace blockio
