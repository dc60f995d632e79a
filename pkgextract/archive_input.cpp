#include "pkgextract/archive_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "pkgextract/texts.h"

namespace pkgx {
namespace {

std::size_t read_fully(int fd, std::span<std::uint8_t> out) {
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

std::uint32_t load_le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

}  // namespace

ArchiveInput::ArchiveInput(std::string name, Messenger& messenger)
    : name_(std::move(name)), messenger_(messenger) {
  fd_.reset(::open(name_.c_str(), O_RDONLY));
  if (!fd_.valid()) messenger_.fatal(text::kUnableToOpen, name_);
  const off_t size = ::lseek(fd_.get(), 0, SEEK_END);
  if (size <= 0) messenger_.fatal(text::kArchiveFileEmpty, name_);
  total_size_ = static_cast<std::uint32_t>(size);
  if (size > static_cast<off_t>(kVolumeHeaderSize)) {
    std::uint8_t header[kVolumeHeaderSize];
    if (::lseek(fd_.get(), 0, SEEK_SET) != 0 || read_fully(fd_.get(), header) != kVolumeHeaderSize)
      messenger_.fatal(text::kUnableToRead, name_);
    if (header[0] == kVolumeMagic0 && header[1] == kVolumeMagic1) {
      if ((header[2] | header[3] << 8) != 1) messenger_.fatal(text::kNeedFirstVolume, name_);
      total_size_ = load_le32(header + 4);
      volume_mode_ = true;
      return;
    }
  }
  ::lseek(fd_.get(), 0, SEEK_SET);
}

std::size_t ArchiveInput::read(std::span<std::uint8_t> out) {
  for (;;) {
    const std::size_t n = fd_.valid() ? read_fully(fd_.get(), out) : 0;
    payload_read_ += n;
    if (n > 0 || out.empty() || !volume_mode_ || payload_read_ >= total_size_) return n;
    change_volume();
  }
}

ArchiveInput::HeaderCheck ArchiveInput::read_volume_header(int expected_number) {
  std::uint8_t header[kVolumeHeaderSize];
  if (read_fully(fd_.get(), header) != kVolumeHeaderSize) return HeaderCheck::kShort;
  if (header[0] != kVolumeMagic0 || header[1] != kVolumeMagic1) return HeaderCheck::kBadMagic;
  if ((header[2] | header[3] << 8) != expected_number) return HeaderCheck::kWrongNumber;
  return HeaderCheck::kGood;
}

void ArchiveInput::change_volume() {
  fd_.reset();
  const int next = volume_ + 1;
  std::string first = format_number(text::kEndVolume, volume_) + text::kInsertNextDisk;
  for (;;) {
    const PromptAnswer answer = messenger_.prompt(first, name_);
    if (answer == PromptAnswer::kIgnore) throw RunStopped{kExitFatal};
    if (answer != PromptAnswer::kRetry) continue;
    fd_.reset(::open(name_.c_str(), O_RDONLY));
    if (!fd_.valid()) {
      first = format_number(text::kUnableToFindVolume, next);
      continue;
    }
    const HeaderCheck check = read_volume_header(next);
    if (check == HeaderCheck::kGood) {
      volume_ = next;
      return;
    }
    fd_.reset();
    first = format_number(check == HeaderCheck::kWrongNumber ? text::kInsertSequence
                                                              : text::kBadDiskHeader,
                          next);
  }
}

}  // namespace pkgx
