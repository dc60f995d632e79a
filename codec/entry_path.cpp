#include "codec/entry_path.h"

#include <algorithm>
#include <cctype>

namespace codec {

namespace {
bool is_separator(char c) { return c == '/' || c == '\\'; }
}  // namespace

bool is_safe_entry_name(std::string_view name) {
  if (name.empty() || is_separator(name.front())) return false;
  // A NUL would cut the path short of what the entry names.
  if (name.find('\0') != std::string_view::npos) return false;
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
    return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    const auto end = std::find_if(name.begin() + start, name.end(), is_separator) - name.begin();
    if (name.substr(start, end - start) == "..") return false;
    start = static_cast<std::size_t>(end) + 1;
  }
  return true;
}

bool copy_entry_path(std::string_view name, std::span<char> out) {
  if (name.size() >= out.size()) return false;
  std::replace_copy(name.begin(), name.end(), out.begin(), '\\', '/');
  out[name.size()] = '\0';
  return true;
}

}  // namespace codec
