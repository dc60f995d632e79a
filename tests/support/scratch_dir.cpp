#include "tests/support/scratch_dir.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tw-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedCurrentDir::ScopedCurrentDir(const std::filesystem::path& dir)
    : saved_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() {
  std::error_code ignored;
  std::filesystem::current_path(saved_, ignored);
}

std::vector<unsigned char> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string read_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void write_file(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
  write_file(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace testsupport
