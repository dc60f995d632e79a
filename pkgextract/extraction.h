// Writing entries under the root directory: the directories of the path,
// then the chunk at index * 65,000, the file cut to size after its last
// chunk, and the entry's time stamp on the file. Deletion entries remove
// the file.
#pragma once

#include <string>
#include <string_view>

#include "codec/package_entry.h"
#include "pkgextract/messages.h"

namespace pkgx {

// The output path buffer holds 95 bytes with its terminating zero.
inline constexpr std::size_t kMaxOutputPath = 94;
inline constexpr std::size_t kWritePiece = 1024;

// Names that would reach outside the root: absolute, with a drive letter,
// or with a ".." component ("\" separates like "/").
bool is_unsafe_entry_name(std::string_view name);

class Extractor {
 public:
  Extractor(std::string root_directory, Messenger& messenger)
      : root_(std::move(root_directory)), messenger_(messenger) {}

  // `name` is the entry's name as listed. Every failure is fatal.
  void apply(const codec::Entry& entry, std::string_view name);

 private:
  std::string output_path(std::string_view name) const;
  void make_directories(const std::string& path);
  void write_chunk(const std::string& path, const codec::Entry& entry);

  std::string root_;
  Messenger& messenger_;
  std::string previous_path_;
};

}  // namespace pkgx
