// Open files of the file services: small handles over POSIX descriptors.
#pragma once

#include <map>

#include "addon/abi.h"
#include "addon/services.h"

namespace host {

class FileTable {
 public:
  FileTable() = default;
  ~FileTable();
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;

  // Opens with one of the three mode codes; 0 on failure (errno set).
  addon::FileHandle open(const char* path, addon::ModeCode mode);
  // The descriptor of a handle, or -1 (errno EBADF).
  int descriptor(addon::FileHandle handle) const;
  void close(addon::FileHandle handle);
  std::size_t open_count() const { return files_.size(); }

 private:
  std::map<addon::FileHandle, int> files_;
  addon::FileHandle next_ = 1;
};

}  // namespace host
