// The selection list: the patterns of the command line and of its response
// files, kept as {length byte, characters} one after another in 32 KB.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pkgextract/messages.h"

namespace pkgx {

class SelectionList {
 public:
  static constexpr std::size_t kCapacity = 32 * 1024;

  // Drops, without a word, a pattern that does not fit (or is longer than
  // its length byte can say).
  void add(std::string_view pattern);
  // Adds every selection argument: "@name" and "$name" read a response file,
  // anything else is a pattern. Response file troubles are information
  // messages; the run goes on without that file.
  void add_arguments(const std::vector<std::string>& arguments, Messenger& messenger);
  void add_response_file(const std::string& path, Messenger& messenger);

  bool empty() const { return used_ == 0; }
  // Empty list: everything is selected.
  bool selects(std::string_view name) const;

 private:
  std::vector<unsigned char> list_ = std::vector<unsigned char>(kCapacity);
  std::size_t used_ = 0;
};

}  // namespace pkgx
