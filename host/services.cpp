// The services of the substitute host. Files are POSIX files relative to the
// current directory; memory goes through the ledger; the call services work
// on the active call that owns the record they are given.
#include "host/services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/host.h"

namespace host {

struct ServiceAccess {
  static Host* owner;

  static ActiveCall& call_of(addon::CallRecord* record) {
    for (auto it = owner->active_.rbegin(); it != owner->active_.rend(); ++it)
      if (&(*it)->record_ == record) return **it;
    // A record the host did not issue: nothing sensible can be served.
    std::abort();
  }

  static std::int32_t run_block(ActiveCall& call, const Block& block) {
    const Bytes handed = call.current_buffer();
    call.outcome_.handoffs.push_back(handed);
    call.outcome_.out.insert(call.outcome_.out.end(), handed.begin(), handed.end());
    return block ? block(call) : 0;
  }

  static int& reads_served() { return owner->reads_served_; }
  static FaultPlan& faults() { return owner->faults_; }
};

Host* ServiceAccess::owner = nullptr;

namespace {

using addon::CallRecord;
using addon::FileHandle;
using addon::ModeCode;

FileTable& files() { return ServiceAccess::owner->files(); }
MemoryLedger& ledger() { return ServiceAccess::owner->ledger(); }

int fd_of(FileHandle handle) { return files().descriptor(handle); }

// --- files -----------------------------------------------------------------

FileHandle open_file(const char* path, ModeCode mode) { return files().open(path, mode); }

std::int32_t write_file(FileHandle handle, const void* bytes, std::uint32_t count) {
  const int fd = fd_of(handle);
  if (fd < 0) return 1;
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  while (count > 0) {
    const ssize_t n = ::write(fd, p, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return 1;
    }
    p += n;
    count -= static_cast<std::uint32_t>(n);
  }
  return 0;
}

std::int32_t read_file(FileHandle handle, void* buffer, std::uint32_t count) {
  const auto& plan = ServiceAccess::faults();
  if (plan.fail_read_after && ServiceAccess::reads_served() >= *plan.fail_read_after) {
    errno = EIO;
    return 1;
  }
  ++ServiceAccess::reads_served();
  const int fd = fd_of(handle);
  if (fd < 0) return 1;
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    const ssize_t n = ::read(fd, p, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 1;
    p += n;
    count -= static_cast<std::uint32_t>(n);
  }
  return 0;
}

std::uint32_t seek_file(FileHandle handle, std::int32_t offset, std::int32_t origin) {
  const int fd = fd_of(handle);
  if (fd < 0) return UINT32_MAX;
  const off_t position = ::lseek(fd, offset, origin == 2 ? SEEK_END : SEEK_SET);
  return position < 0 ? UINT32_MAX : static_cast<std::uint32_t>(position);
}

void close_file(FileHandle handle) { files().close(handle); }

void remove_file(const char* path) { ::unlink(path); }

// Before a file is written: an existing file that its owner may not write
// (a read-only copy from an old package) is made writable.
void prepare_path(const char* path, std::int32_t) {
  struct stat st {};
  if (::stat(path, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
    ::chmod(path, st.st_mode | S_IWUSR);
}

// 0 for a file, 1 for a directory, -1 when the path does not exist.
std::int32_t test_path(const char* path, std::int32_t) {
  struct stat st {};
  if (::stat(path, &st) != 0) return -1;
  return S_ISDIR(st.st_mode) ? 1 : 0;
}

void create_directory(const char* path) { ::mkdir(path, 0777); }

void set_end_of_file(FileHandle handle, std::uint32_t size) {
  const int fd = fd_of(handle);
  if (fd >= 0) (void)::ftruncate(fd, size);
}

std::uint32_t get_file_time(FileHandle handle) {
  struct stat st {};
  const int fd = fd_of(handle);
  if (fd < 0 || ::fstat(fd, &st) != 0) return 0;
  return static_cast<std::uint32_t>(st.st_mtime);
}

void set_file_time(FileHandle handle, const char*, std::uint32_t stamp) {
  const int fd = fd_of(handle);
  if (fd < 0) return;
  const timespec times[2] = {{static_cast<time_t>(stamp), 0}, {static_cast<time_t>(stamp), 0}};
  ::futimens(fd, times);
}

FileHandle open_value_as_file(CallRecord* record, ModeCode mode) {
  const std::string path(reinterpret_cast<const char*>(record->value), record->value_length);
  return files().open(path.c_str(), mode);
}

// --- memory ----------------------------------------------------------------

void free_block(void* block) { ledger().release(block, ReleaseSlot::kFree, std::nullopt); }
void* allocate_zeroed(std::uint32_t size) { return ledger().allocate(Heap::kZeroed, size); }
void* allocate_working(std::uint32_t size) { return ledger().allocate(Heap::kWorking, size); }
void* allocate_block(std::uint32_t size) { return ledger().allocate(Heap::kBlock, size); }
void release_block(void* block, std::uint32_t size) {
  ledger().release(block, ReleaseSlot::kRelease, size);
}
void* allocate_result(CallRecord*, std::uint32_t size) {
  return ledger().allocate(Heap::kResult, size);
}
void release_result(CallRecord*, void* block, std::uint32_t size) {
  ledger().release(block, ReleaseSlot::kReleaseResult, size);
}

// --- errors and results ------------------------------------------------------

std::int32_t report_file_error(CallRecord* record, const addon::TextDescriptor* name) {
  auto& call = ServiceAccess::call_of(record);
  std::string text;
  if (name != nullptr && name->text != nullptr) text.assign(name->text, name->length);
  call.outcome().file_errors.push_back(text);
  return addon::kFailed;
}

std::int32_t raise_error(CallRecord* record, std::int32_t code) {
  ServiceAccess::call_of(record).outcome().errors.push_back(code);
  return addon::kFailed;
}

void report_error(CallRecord* record, std::int32_t code, std::int32_t) {
  ServiceAccess::call_of(record).outcome().errors.push_back(code);
}

void set_numeric_result(CallRecord* record, std::int32_t value, std::int32_t) {
  ServiceAccess::call_of(record).outcome().numeric.push_back(value);
}

// --- streams and blocks ------------------------------------------------------

std::int32_t next_argument_byte(CallRecord* record) {
  auto& call = ServiceAccess::call_of(record);
  return call.next_stream_byte();
}

void emit_byte(CallRecord* record, std::int32_t byte) {
  auto& out = ServiceAccess::call_of(record).outcome();
  out.emitted.push_back(static_cast<std::uint8_t>(byte));
  out.out.push_back(static_cast<std::uint8_t>(byte));
}

void run_with_result(CallRecord* record) {
  auto& call = ServiceAccess::call_of(record);
  record->status = ServiceAccess::run_block(call, call.spec().on_result);
}

}  // namespace

std::int32_t hand_off(CallRecord* record) {
  auto& call = ServiceAccess::call_of(record);
  return ServiceAccess::run_block(call, call.spec().on_hand_off);
}

void install_services(addon::ServiceVector& services, Host* owner) {
  namespace s = addon::slot;
  ServiceAccess::owner = owner;
  services.set<s::OpenFile>(&open_file);
  services.set<s::WriteFile>(&write_file);
  services.set<s::ReadFile>(&read_file);
  services.set<s::SeekFile>(&seek_file);
  services.set<s::CloseFile>(&close_file);
  services.set<s::RemoveFile>(&remove_file);
  services.set<s::PreparePath>(&prepare_path);
  services.set<s::TestPath>(&test_path);
  services.set<s::CreateDirectory>(&create_directory);
  services.set<s::SetEndOfFile>(&set_end_of_file);
  services.set<s::GetFileTime>(&get_file_time);
  services.set<s::SetFileTime>(&set_file_time);
  services.set<s::OpenValueAsFile>(&open_value_as_file);
  services.set<s::Free>(&free_block);
  services.set<s::AllocateZeroed>(&allocate_zeroed);
  services.set<s::Allocate>(&allocate_working);
  services.set<s::AllocateBlock>(&allocate_block);
  services.set<s::Release>(&release_block);
  services.set<s::AllocateResult>(&allocate_result);
  services.set<s::ReleaseResult>(&release_result);
  services.set<s::ReportFileError>(&report_file_error);
  services.set<s::RaiseError>(&raise_error);
  services.set<s::ReportError>(&report_error);
  services.set<s::SetNumericResult>(&set_numeric_result);
  services.set<s::NextArgumentByte>(&next_argument_byte);
  services.set<s::EmitByte>(&emit_byte);
  services.set<s::RunWithResult>(&run_with_result);
}

void uninstall_services(Host* owner) {
  if (ServiceAccess::owner == owner) ServiceAccess::owner = nullptr;
}

}  // namespace host
