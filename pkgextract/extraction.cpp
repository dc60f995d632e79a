#include "pkgextract/extraction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "codec/entry_path.h"
#include "pkgextract/texts.h"
#include "pkgextract/unique_fd.h"

namespace pkgx {
namespace {

bool is_directory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool is_unsafe_entry_name(std::string_view name) { return !codec::is_safe_entry_name(name); }

std::string Extractor::output_path(std::string_view name) const {
  std::string path = root_;
  path.append(name);
  std::replace(path.begin() + static_cast<std::ptrdiff_t>(root_.size()), path.end(), '\\', '/');
  return path;
}

void Extractor::make_directories(const std::string& path) {
  const auto differ = std::mismatch(path.begin(), path.end(), previous_path_.begin(),
                                    previous_path_.end());
  std::size_t i = static_cast<std::size_t>(differ.first - path.begin());
  if (i == path.size()) i = 0;  // the same path again: check it all
  for (i = std::max<std::size_t>(i, 1); i < path.size(); ++i) {
    if (path[i] != '/' || path[i - 1] == ':') continue;
    const std::string directory = path.substr(0, i);
    // A directory that cannot be made shows when its file cannot be opened.
    if (!is_directory(directory)) ::mkdir(directory.c_str(), 0777);
  }
}

void Extractor::apply(const codec::Entry& entry, std::string_view name) {
  if (is_unsafe_entry_name(name)) messenger_.fatal(text::kUnsafeName, name);
  const std::string path = output_path(name);
  if (path.size() > kMaxOutputPath) messenger_.fatal(text::kPathTooLong, path);
  make_directories(path);
  previous_path_ = path;
  if (entry.fields.is_deletion()) {
    ::unlink(path.c_str());
    return;
  }
  write_chunk(path, entry);
}

void Extractor::write_chunk(const std::string& path, const codec::Entry& entry) {
  // The first chunk starts the file afresh: an older, longer copy must not
  // keep its tail when the last chunk carries the continuation flag.
  const int flags = O_RDWR | O_CREAT | (entry.fields.chunk_index == 0 ? O_TRUNC : 0);
  UniqueFd file(::open(path.c_str(), flags, 0666));
  if (!file.valid()) messenger_.fatal(text::kUnableToOpenOutput, path);

  const off_t start = static_cast<off_t>(entry.fields.file_offset());
  std::size_t done = 0;
  while (done < entry.data.size()) {
    const std::size_t piece = std::min(kWritePiece, entry.data.size() - done);
    const ssize_t n = ::pwrite(file.get(), entry.data.data() + done, piece,
                               start + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) messenger_.fatal(text::kUnableToWrite, path);
    done += static_cast<std::size_t>(n);
  }
  if (!entry.fields.continued &&
      ::ftruncate(file.get(), start + static_cast<off_t>(entry.data.size())) != 0)
    messenger_.fatal(text::kUnableToWrite, path);

  const timespec times[2] = {{static_cast<time_t>(entry.fields.time_stamp), 0},
                             {static_cast<time_t>(entry.fields.time_stamp), 0}};
  ::futimens(file.get(), times);
  if (!file.close()) messenger_.fatal(text::kUnableToWrite, path);
}

}  // namespace pkgx
