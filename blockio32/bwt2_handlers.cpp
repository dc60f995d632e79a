// Bwt2Pack and Bwt2Unpack: the block codec on the call's value and input
// stream. The codec keeps its state per call, so a nested call from inside
// slot 143 cannot disturb an outer one.
#include <array>
#include <cerrno>

#include "addon/handler.h"
#include "addon/linkage.h"
#include "blockio32/handlers.h"
#include "codec/bwt2.h"

namespace blockio {
namespace {

using addon::CallRecord;

// The stream as slot 68 takes it: one byte per call.
class EmittedStream final : public codec::ByteSink {
 public:
  explicit EmittedStream(CallRecord& record) : record_(record) {}
  void write(std::span<const std::uint8_t> bytes) override {
    for (const std::uint8_t b : bytes) record_.services->call<addon::slot::EmitByte>(&record_, b);
  }

 private:
  CallRecord& record_;
};

// The call's input stream from slot 67, gathered a chunk at a time. It ends
// at the first value that is not a byte (end of stream or read failure);
// nothing is asked for after that.
class ArgumentStream final : public codec::ByteSource {
 public:
  explicit ArgumentStream(CallRecord& record) : record_(record) {}

  std::span<const std::uint8_t> peek() override {
    if (begin_ == end_ && !ended_) {
      begin_ = end_ = 0;
      while (end_ < chunk_.size()) {
        const std::int32_t next = record_.services->call<addon::slot::NextArgumentByte>(&record_);
        if (next < 0 || next > 255) {
          ended_ = true;
          break;
        }
        chunk_[end_++] = static_cast<std::uint8_t>(next);
      }
    }
    return {chunk_.data() + begin_, end_ - begin_};
  }
  void consume(std::size_t count) override { begin_ += count; }

 private:
  CallRecord& record_;
  std::array<std::uint8_t, 4096> chunk_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
};

// Working memory for the transform: slots 27 and 23 of the library's vector.
addon::HostMemoryResource working_memory(const CallRecord& record) {
  return {OvlSubr != nullptr ? *OvlSubr : *record.services, addon::HostHeap::kWorking};
}

}  // namespace

std::int32_t Bwt2Pack(CallRecord* call) {
  return addon::guarded(call, [](CallRecord& record) {
    const auto value = addon::value_bytes(record);
    // A longer value would not fit the 3-byte length and could not come back.
    if (value.size() > codec::kMaxBlockLength)
      return addon::report_system_error(record, EOVERFLOW);
    auto memory = working_memory(record);
    EmittedStream stream(record);
    if (!codec::encode_block(value, stream, &memory))
      return addon::report_system_error(record, EOVERFLOW);
    return addon::kCompleted;
  });
}

std::int32_t Bwt2Unpack(CallRecord* call) {
  return addon::guarded(call, [](CallRecord& record) {
    ArgumentStream stream(record);
    const auto length = codec::read_block_length(stream);
    if (!length || *length == 0) return addon::kCompleted;  // no result

    addon::HostBlock output(*record.services, addon::HostHeap::kBlock, *length);
    if (!output) return addon::report_system_error(record, ENOMEM);
    auto memory = working_memory(record);
    // A damaged stream still gives n bytes; the caller's checksum tells.
    (void)codec::decode_block(stream, {output.data(), *length}, &memory);

    addon::BufferDescriptor result{output.data(), *length, 0, *length};
    addon::CurrentBufferScope current(record, result);
    return current.run_with_result();
  });
}

}  // namespace blockio
