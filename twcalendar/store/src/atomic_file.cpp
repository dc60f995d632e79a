#include "twcal/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace twcal {
namespace {

constexpr std::string_view kTemporarySuffix = ".saving";

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

// Makes the rename itself durable; a failure here loses nothing already safe.
void flush_directory(const std::filesystem::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::filesystem::path temporary_beside(const std::filesystem::path& path) {
  std::filesystem::path temporary = path;
  temporary += kTemporarySuffix;
  return temporary;
}

bool write_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
  const std::filesystem::path temporary = temporary_beside(path);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  flush_directory(path.parent_path());
  return true;
}

}  // namespace twcal
