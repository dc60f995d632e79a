// The substitute host runtime: loads add-on libraries the way the product's
// host does and serves the host-services vector for real (POSIX files, a
// memory ledger, the call's byte streams, nested script blocks).
//
//   host::Host host;
//   host.load("build/lib/blockio32a.so");
//   auto out = host.call("Bwt2Pack").value(bytes).run();
//
// One Host at a time per process: the services are plain functions and find
// their host through a process-wide pointer, as the real host's do.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "addon/abi.h"
#include "addon/linkage.h"
#include "addon/services.h"
#include "host/file_table.h"
#include "host/memory_ledger.h"

namespace host {

using Bytes = std::vector<std::uint8_t>;

class Host;
class CallBuilder;
struct CallSpec;

// What one call did, as the host saw it.
struct CallOutcome {
  std::int32_t status = 0;
  std::vector<std::int32_t> errors;      // codes passed to slots 41 and 92, in order
  std::vector<std::string> file_errors;  // names passed to slot 40, in order
  std::vector<std::int32_t> numeric;     // values passed to slot 95, in order
  std::vector<Bytes> handoffs;           // buffers handed over (slot 143, hand-off function)
  Bytes emitted;                         // bytes emitted through slot 68
  Bytes out;                // emitted bytes and handed-over buffers, in the order produced
  std::int32_t integer = 0;   // offset 40 after the call
  std::int32_t integer2 = 0;  // offset 44 after the call
  Bytes value;                // the current value after the call (handlers may rewrite it)
  std::optional<addon::BufferDescriptor> buffer_after;  // the caller's buffer descriptor
  Bytes buffer_bytes;                   // and its bytes after the call
  std::size_t leaked = 0;               // bytes taken during the call and not given back
  std::vector<std::string> memory_faults;  // releases with the wrong slot or size, unknown blocks
};

// The call being served; a block run by slot 143 or the hand-off function
// receives it and may call further subroutines (nested, same thread).
class ActiveCall {
 public:
  ActiveCall(Host& host, CallSpec& spec, CallOutcome& outcome);
  ActiveCall(const ActiveCall&) = delete;
  ActiveCall& operator=(const ActiveCall&) = delete;

  addon::CallRecord& record() { return record_; }
  Host& host() { return host_; }
  const CallSpec& spec() const { return spec_; }
  CallOutcome& outcome() { return outcome_; }
  // The buffer offset 128 describes at this moment (empty when null).
  Bytes current_buffer() const;
  // Slot 67: the next byte of the input stream, end of stream, or failure.
  std::int32_t next_stream_byte();
  // A nested call of any loaded library's subroutine.
  CallBuilder nested(std::string_view name);

 private:
  friend class Host;
  friend struct ServiceAccess;

  addon::CallRecord record_{};
  Host& host_;
  CallSpec& spec_;
  CallOutcome& outcome_;
  std::size_t stream_position_ = 0;
  std::unique_ptr<addon::HostContext> context_;
  addon::BufferDescriptor caller_buffer_{};
  Bytes value_storage_;
  Bytes buffer_storage_;
  std::string further_storage_;
};

// Runs during slot 143 or the hand-off function; returns the status the host
// leaves at offset 32. The default records the buffer and returns 0.
using Block = std::function<std::int32_t(ActiveCall&)>;

struct CallSpec {
  std::optional<Bytes> value;  // current value; absent: length 0, null pointer
  std::int32_t integer = 0;    // offset 40
  Bytes stream;                // input stream of slot 67, then end of stream
  std::optional<std::size_t> stream_fails_after;  // slot 67 fails after this many bytes
  std::optional<Bytes> buffer;                    // current buffer (offset 128)
  std::uint32_t buffer_capacity = 0;  // at least the buffer's size
  std::uint32_t buffer_position = 0;
  std::optional<std::string> further;  // offsets 24/28
  Block on_result;    // slot 143
  Block on_hand_off;  // hand-off function at offset 4164 of the offset-96 object
};

class CallBuilder {
 public:
  CallBuilder(Host& host, std::uint32_t number) : host_(host), number_(number) {}
  CallBuilder& value(Bytes bytes);
  CallBuilder& value(std::string_view text);
  CallBuilder& integer(std::int32_t n);
  CallBuilder& stream(Bytes bytes);
  CallBuilder& stream_fails_after(std::size_t bytes);
  CallBuilder& buffer(Bytes bytes, std::uint32_t capacity = 0);
  CallBuilder& empty_buffer(std::uint32_t capacity);
  CallBuilder& buffer_position(std::uint32_t position);
  CallBuilder& further(std::string text);
  CallBuilder& on_result(Block block);
  CallBuilder& on_hand_off(Block block);
  CallOutcome run();

 private:
  Host& host_;
  std::uint32_t number_;
  CallSpec spec_;
};

class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Subroutine {
  std::string name;
  std::uint32_t number;
  addon::Handler handler;
  std::string library;
};

// File-service faults a test can ask for.
struct FaultPlan {
  std::optional<int> fail_read_after;  // slot 13 fails once this many reads succeeded
};

class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Loads an add-on library; throws LoadError with a message that names the
  // path and the fault.
  void load(const std::string& path);

  bool offers(std::string_view name) const;
  std::optional<std::uint32_t> number_of(std::string_view name) const;
  const std::map<std::uint32_t, Subroutine>& subroutines() const { return subroutines_; }

  CallBuilder call(std::string_view name);  // throws std::out_of_range for an unknown name
  CallBuilder call(std::uint32_t number) { return CallBuilder(*this, number); }
  CallOutcome run(std::uint32_t number, CallSpec spec);

  const addon::ServiceVector& services() const { return services_; }
  addon::HostData& data() { return data_; }
  MemoryLedger& ledger() { return ledger_; }
  FileTable& files() { return files_; }
  FaultPlan& faults() { return faults_; }

 private:
  friend struct ServiceAccess;
  friend class ActiveCall;

  addon::ServiceVector services_{};
  addon::HostData data_{};
  std::uint8_t char_class_[256]{};
  MemoryLedger ledger_;
  FileTable files_;
  FaultPlan faults_;
  int reads_served_ = 0;
  std::vector<void*> libraries_;
  std::vector<std::unique_ptr<void*>> module_handles_;
  std::map<std::uint32_t, Subroutine> subroutines_;
  std::map<std::string, std::uint32_t, std::less<>> numbers_by_name_;
  std::vector<ActiveCall*> active_;
};

}  // namespace host
