#include "pkgextract/pattern.h"

namespace pkgx {
namespace {

bool same_letter(char a, char b) { return (a & 0x5F) == (b & 0x5F); }

}  // namespace

bool pattern_matches(std::string_view pattern, std::string_view name) {
  if (!pattern.empty() && !name.empty() && name[0] == '.') return false;
  std::size_t n = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    const char c = pattern[p];
    if (c == '*') {
      if (p + 1 == pattern.size()) return true;
      const char stop = pattern[++p];
      // Up to and including the first occurrence of the stop character.
      while (n < name.size() && !same_letter(name[n], stop)) ++n;
      if (n == name.size()) return false;
      ++n;
      continue;
    }
    if (n == name.size()) return false;
    if (c != '?' && !same_letter(c, name[n])) return false;
    ++n;
  }
  return n == name.size() || name[n] == '/' || name[n] == '\\';
}

}  // namespace pkgx
