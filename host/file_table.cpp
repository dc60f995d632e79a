#include "host/file_table.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace host {

FileTable::~FileTable() {
  for (auto& [handle, fd] : files_) ::close(fd);
}

addon::FileHandle FileTable::open(const char* path, addon::ModeCode mode) {
  int flags = 0;
  switch (mode) {
    case addon::kReadOnly: flags = O_RDONLY; break;
    case addon::kReadWrite: flags = O_RDWR | O_CREAT; break;
    case addon::kCreate: flags = O_RDWR | O_CREAT | O_TRUNC; break;
    default: errno = EINVAL; return 0;
  }
  const int fd = ::open(path, flags | O_CLOEXEC, 0666);
  if (fd < 0) return 0;
  const addon::FileHandle handle = next_++;
  files_[handle] = fd;
  return handle;
}

int FileTable::descriptor(addon::FileHandle handle) const {
  const auto it = files_.find(handle);
  if (it == files_.end()) {
    errno = EBADF;
    return -1;
  }
  return it->second;
}

void FileTable::close(addon::FileHandle handle) {
  const auto it = files_.find(handle);
  if (it == files_.end()) return;
  ::close(it->second);
  files_.erase(it);
}

}  // namespace host
