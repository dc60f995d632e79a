#include "dialogs/file_text.h"

#include <cstdio>
#include <memory>

namespace dialogs {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

long long read_file_text(const std::filesystem::path& path, std::string& text) {
  text.clear();
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return -1;
  char chunk[8192];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
  return static_cast<long long>(text.size());
}

int write_file_text(const std::filesystem::path& path, std::string_view text) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return -1;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) return -1;
  return std::fclose(file.release()) == 0 ? 0 : -1;
}

}  // namespace dialogs
