// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

 private:
  std::filesystem::path path_;
};

// Makes the process's current directory `dir` until the object goes away.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::filesystem::path& dir);
  ~ScopedCurrentDir();
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

 private:
  std::filesystem::path saved_;
};

std::vector<unsigned char> read_file(const std::filesystem::path& path);
std::string read_text(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view bytes);
void write_file(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

}  // namespace testsupport
