#include "dialogs/drop_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "dialogs/record_text.h"

namespace dialogs {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

bool lock_exclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) return false;
  return true;
}

// True when `fd` is still the file named `path` (not renamed away).
bool still_at_path(int fd, const std::filesystem::path& path) {
  struct stat held {};
  struct stat named {};
  if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

// A writer only retries when the calendar takes the file between its open
// and its lock; a handful of attempts is plenty, the bound keeps it finite.
constexpr int kMaxAttempts = 64;

}  // namespace

bool append_drop_record(const std::filesystem::path& drop_file, std::string_view record) {
  return detail::append_drop_record(drop_file, record, {});
}

bool detail::append_drop_record(const std::filesystem::path& drop_file, std::string_view record,
                                const std::function<void()>& after_open) {
  if (!is_single_record(record)) return false;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    Descriptor file(::open(drop_file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (!file.valid()) return false;
    if (after_open) after_open();
    if (!lock_exclusive(file.get())) return false;
    if (!still_at_path(file.get(), drop_file)) continue;
    return write_all(file.get(), record);
  }
  return false;
}

std::optional<std::string> read_taken_drop_file(const std::filesystem::path& taken_file) {
  Descriptor file(::open(taken_file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid() || !lock_exclusive(file.get())) return std::nullopt;
  std::string text;
  char chunk[8192];
  for (;;) {
    ssize_t got = ::read(file.get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  return text;
}

}  // namespace dialogs
