#include "host/host.h"

#include <dlfcn.h>

#include <cstring>

#include "host/services.h"

namespace host {
namespace {

// Upper bounds that tell a malformed table from a long one.
constexpr int kMaxLinkageEntries = 64;
constexpr int kMaxTableEntries = 1024;

std::string describe(const std::string& path, const std::string& fault) {
  return path + ": " + fault;
}

// Reads one named-subroutine table; throws LoadError on a malformed entry.
void read_subroutines(const std::string& path, const addon::SubroutineEntry* table,
                      std::vector<Subroutine>& found) {
  if (table == nullptr) throw LoadError(describe(path, "subroutine table pointer is null"));
  for (int i = 0;; ++i) {
    if (i == kMaxTableEntries)
      throw LoadError(describe(path, "subroutine table has no terminating entry"));
    const addon::SubroutineEntry& entry = table[i];
    static constexpr addon::SubroutineEntry kZero{};
    if (std::memcmp(&entry, &kZero, sizeof entry) == 0) return;
    const void* nul = std::memchr(entry.name, 0, sizeof entry.name);
    if (nul == nullptr || entry.name[0] == 0)
      throw LoadError(describe(path, "subroutine entry " + std::to_string(i) +
                                         " has no NUL-terminated name within 16 bytes"));
    const std::string name(entry.name);
    if (entry.handler == nullptr)
      throw LoadError(describe(path, "subroutine " + name + " has no handler"));
    if (entry.reserved[0] != 0 || entry.reserved[1] != 0)
      throw LoadError(describe(path, "subroutine " + name + " has non-zero reserved bytes"));
    found.push_back({name, entry.number, entry.handler, path});
  }
}

struct NumberedFunction {
  addon::ServiceVector::AnyFunction function;
  std::uint32_t slot;
};

void read_numbered_functions(const std::string& path, const addon::NumberedFunctionEntry* table,
                             std::vector<NumberedFunction>& found) {
  if (table == nullptr)
    throw LoadError(describe(path, "numbered-function table pointer is null"));
  for (int i = 0;; ++i) {
    if (i == kMaxTableEntries)
      throw LoadError(describe(path, "numbered-function table has no terminating entry"));
    const auto& entry = table[i];
    if (entry.function == nullptr && entry.slot == 0 && entry.zero == 0) return;
    if (entry.function == nullptr || entry.zero != 0 ||
        entry.slot >= static_cast<std::uint32_t>(addon::ServiceVector::kSlotCount))
      throw LoadError(describe(path, "numbered-function entry " + std::to_string(i) +
                                         " is malformed (slot " + std::to_string(entry.slot) +
                                         ")"));
    found.push_back({entry.function, entry.slot});
  }
}

}  // namespace

// --- ActiveCall --------------------------------------------------------------

ActiveCall::ActiveCall(Host& host, CallSpec& spec, CallOutcome& outcome)
    : host_(host), spec_(spec), outcome_(outcome),
      context_(std::make_unique<addon::HostContext>()) {
  record_.services = &host.services_;
  context_->hand_off = &hand_off;
  record_.host_context = context_.get();
  record_.integer = spec.integer;

  if (spec.value) {
    value_storage_ = *spec.value;
    // An empty value still has an address, as the host's always do.
    if (value_storage_.empty()) value_storage_.reserve(1);
    record_.value = value_storage_.data();
    record_.value_length = static_cast<std::uint32_t>(spec.value->size());
  }
  if (spec.buffer) {
    const std::size_t size = spec.buffer->size();
    const std::size_t capacity = std::max<std::size_t>(size, spec.buffer_capacity);
    buffer_storage_.assign(std::max<std::size_t>(capacity, 1), 0);
    std::copy(spec.buffer->begin(), spec.buffer->end(), buffer_storage_.begin());
    caller_buffer_ = {buffer_storage_.data(), static_cast<std::uint32_t>(capacity),
                      spec.buffer_position, static_cast<std::uint32_t>(size)};
    record_.buffer = &caller_buffer_;
  }
  if (spec.further) {
    further_storage_ = *spec.further;
    record_.further_length = static_cast<std::uint32_t>(further_storage_.size());
    record_.further_pointer = further_storage_.data();
  }
}

Bytes ActiveCall::current_buffer() const {
  const addon::BufferDescriptor* d = record_.buffer;
  if (d == nullptr || d->data == nullptr) return {};
  return Bytes(d->data, d->data + d->length);
}

std::int32_t ActiveCall::next_stream_byte() {
  if (spec_.stream_fails_after && stream_position_ >= *spec_.stream_fails_after) return -1;
  if (stream_position_ >= spec_.stream.size()) return addon::kEndOfStream;
  return spec_.stream[stream_position_++];
}

CallBuilder ActiveCall::nested(std::string_view name) { return host_.call(name); }

// --- CallBuilder -------------------------------------------------------------

CallBuilder& CallBuilder::value(Bytes bytes) {
  spec_.value = std::move(bytes);
  return *this;
}
CallBuilder& CallBuilder::value(std::string_view text) {
  spec_.value = Bytes(text.begin(), text.end());
  return *this;
}
CallBuilder& CallBuilder::integer(std::int32_t n) {
  spec_.integer = n;
  return *this;
}
CallBuilder& CallBuilder::stream(Bytes bytes) {
  spec_.stream = std::move(bytes);
  return *this;
}
CallBuilder& CallBuilder::stream_fails_after(std::size_t bytes) {
  spec_.stream_fails_after = bytes;
  return *this;
}
CallBuilder& CallBuilder::buffer(Bytes bytes, std::uint32_t capacity) {
  spec_.buffer = std::move(bytes);
  spec_.buffer_capacity = capacity;
  return *this;
}
CallBuilder& CallBuilder::empty_buffer(std::uint32_t capacity) { return buffer({}, capacity); }
CallBuilder& CallBuilder::buffer_position(std::uint32_t position) {
  spec_.buffer_position = position;
  return *this;
}
CallBuilder& CallBuilder::further(std::string text) {
  spec_.further = std::move(text);
  return *this;
}
CallBuilder& CallBuilder::on_result(Block block) {
  spec_.on_result = std::move(block);
  return *this;
}
CallBuilder& CallBuilder::on_hand_off(Block block) {
  spec_.on_hand_off = std::move(block);
  return *this;
}
CallOutcome CallBuilder::run() { return host_.run(number_, std::move(spec_)); }

// --- Host ----------------------------------------------------------------------

Host::Host() {
  for (int c = 'A'; c <= 'Z'; ++c) char_class_[c] |= addon::kUpperCaseClass;
  data_.char_class = char_class_;
  install_services(services_, this);
}

Host::~Host() {
  uninstall_services(this);
  // Libraries stay mapped: there is no unload notification, and a library
  // may hold pointers into the host that its own state still names.
}

void Host::load(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) throw LoadError(dlerror());  // names the path itself

  auto* linkage = static_cast<const addon::LinkageEntry*>(dlsym(handle, "Linkage"));
  auto** tarn = static_cast<addon::HostData**>(dlsym(handle, "Tarn"));
  auto** ovl = static_cast<addon::ServiceVector**>(dlsym(handle, "OvlSubr"));
  const char* missing = linkage == nullptr ? "Linkage" : tarn == nullptr ? "Tarn"
                        : ovl == nullptr   ? "OvlSubr" : nullptr;
  if (missing != nullptr) {
    dlclose(handle);
    throw LoadError(describe(path, std::string("does not export ") + missing));
  }

  // Read the whole table before changing anything, so a malformed library
  // leaves the host as it was.
  static constexpr std::uint32_t kLeadIn[] = {addon::kind::kModuleHandle,
                                              addon::kind::kReserved12,
                                              addon::kind::kReserved13};
  void** module_slot = nullptr;
  std::vector<Subroutine> found;
  std::vector<NumberedFunction> functions;
  try {
    bool seen_subroutines = false;
    for (int i = 0;; ++i) {
      if (i == kMaxLinkageEntries) throw LoadError(describe(path, "Linkage is not terminated"));
      const addon::LinkageEntry& e = linkage[i];
      if (i < 3) {
        if (e.kind != kLeadIn[i])
          throw LoadError(describe(path, "Linkage entry " + std::to_string(i) + " has kind " +
                                             std::to_string(e.kind) + ", expected " +
                                             std::to_string(kLeadIn[i])));
        if (i == 0) module_slot = static_cast<void**>(const_cast<void*>(e.pointer));
        continue;
      }
      if (e.kind == addon::kind::kEnd) {
        if (e.pointer != nullptr) throw LoadError(describe(path, "Linkage end entry has a pointer"));
        break;
      }
      if (e.kind == addon::kind::kNumberedFunctions && !seen_subroutines) {
        read_numbered_functions(path, static_cast<const addon::NumberedFunctionEntry*>(e.pointer),
                                functions);
      } else if (e.kind == addon::kind::kSubroutines) {
        seen_subroutines = true;
        read_subroutines(path, static_cast<const addon::SubroutineEntry*>(e.pointer), found);
      } else {
        throw LoadError(describe(path, "Linkage entry " + std::to_string(i) +
                                           " has unexpected kind " + std::to_string(e.kind)));
      }
    }
  } catch (...) {
    dlclose(handle);
    throw;
  }

  libraries_.push_back(handle);
  if (module_slot != nullptr) *module_slot = handle;
  *tarn = &data_;
  *ovl = &services_;
  for (const auto& f : functions) services_.slots[f.slot] = f.function;
  // A later library offering the same number is an alternative
  // implementation of the same contract: the newest one serves it.
  for (auto& s : found) {
    numbers_by_name_[s.name] = s.number;
    subroutines_[s.number] = std::move(s);
  }
}

bool Host::offers(std::string_view name) const { return number_of(name).has_value(); }

std::optional<std::uint32_t> Host::number_of(std::string_view name) const {
  const auto it = numbers_by_name_.find(name);
  if (it == numbers_by_name_.end()) return std::nullopt;
  return it->second;
}

CallBuilder Host::call(std::string_view name) {
  const auto number = number_of(name);
  if (!number) throw std::out_of_range("no loaded library offers " + std::string(name));
  return CallBuilder(*this, *number);
}

CallOutcome Host::run(std::uint32_t number, CallSpec spec) {
  const auto it = subroutines_.find(number);
  if (it == subroutines_.end())
    throw std::out_of_range("no loaded library offers subroutine " + std::to_string(number));

  CallOutcome outcome;
  const std::size_t outstanding_before = ledger_.outstanding_bytes();
  const std::size_t faults_before = ledger_.faults().size();
  {
    ActiveCall call(*this, spec, outcome);
    active_.push_back(&call);
    outcome.status = it->second.handler(&call.record_);
    active_.pop_back();

    outcome.integer = call.record_.integer;
    outcome.integer2 = call.record_.integer2;
    if (call.record_.value != nullptr)
      outcome.value.assign(call.record_.value, call.record_.value + call.record_.value_length);
    if (spec.buffer) {
      outcome.buffer_after = call.caller_buffer_;
      const std::size_t n = std::min<std::size_t>(call.caller_buffer_.length,
                                                  call.buffer_storage_.size());
      outcome.buffer_bytes.assign(call.buffer_storage_.begin(), call.buffer_storage_.begin() + n);
    }
    if (call.record_.buffer != (spec.buffer ? &call.caller_buffer_ : nullptr))
      outcome.memory_faults.push_back("offset 128 was not restored");
  }
  const std::size_t outstanding_after = ledger_.outstanding_bytes();
  outcome.leaked = outstanding_after > outstanding_before ? outstanding_after - outstanding_before : 0;
  const auto& faults = ledger_.faults();
  outcome.memory_faults.insert(outcome.memory_faults.end(), faults.begin() + faults_before,
                               faults.end());
  return outcome;
}

}  // namespace host
