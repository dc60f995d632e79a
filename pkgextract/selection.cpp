#include "pkgextract/selection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "pkgextract/pattern.h"
#include "pkgextract/texts.h"
#include "pkgextract/unique_fd.h"

namespace pkgx {
void SelectionList::add(std::string_view pattern) {
  if (pattern.size() > 255 || used_ + 1 + pattern.size() > kCapacity) return;
  list_[used_++] = static_cast<unsigned char>(pattern.size());
  std::copy(pattern.begin(), pattern.end(), list_.begin() + static_cast<std::ptrdiff_t>(used_));
  used_ += pattern.size();
}

void SelectionList::add_arguments(const std::vector<std::string>& arguments,
                                  Messenger& messenger) {
  for (const auto& arg : arguments) {
    if (!arg.empty() && (arg[0] == '@' || arg[0] == '$'))
      add_response_file(arg.substr(1), messenger);
    else
      add(arg);
  }
}

void SelectionList::add_response_file(const std::string& path, Messenger& messenger) {
  UniqueFd file(::open(path.c_str(), O_RDONLY));
  if (!file.valid()) return messenger.information(text::kUnableToOpen, path);
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return messenger.information(text::kUnableToRead, path);
  if (st.st_size <= 0) return messenger.information(text::kNoSizeToFile, path);
  std::string contents(static_cast<std::size_t>(st.st_size), '\0');
  if (::read(file.get(), contents.data(), contents.size()) != static_cast<ssize_t>(st.st_size))
    return messenger.information(text::kUnableToRead, path);

  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find('\n', start);
    const std::size_t next = end == std::string::npos ? contents.size() : end + 1;
    if (end == std::string::npos) end = contents.size();
    std::string_view line(contents.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    add(line);
    start = next;
  }
}

bool SelectionList::selects(std::string_view name) const {
  if (empty()) return true;
  for (std::size_t i = 0; i < used_;) {
    const std::size_t length = list_[i];
    const std::string_view pattern(reinterpret_cast<const char*>(list_.data()) + i + 1, length);
    if (pattern_matches(pattern, name)) return true;
    i += 1 + length;
  }
  return false;
}

}  // namespace pkgx
