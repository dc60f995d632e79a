// The archive's bytes as they lie in its file or files. A first volume
// longer than 16 bytes may open with a volume header (C7 73, volume number,
// total size of the package); then the package runs on in further volumes
// under the same name, and at the end of each one that does not complete
// the total the user is asked for the next disk.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "pkgextract/messages.h"
#include "pkgextract/unique_fd.h"

namespace pkgx {

inline constexpr std::size_t kVolumeHeaderSize = 16;
inline constexpr std::uint8_t kVolumeMagic0 = 0xC7;
inline constexpr std::uint8_t kVolumeMagic1 = 0x73;

class ArchiveInput {
 public:
  // Opens the first volume; every failure is a fatal message.
  ArchiveInput(std::string name, Messenger& messenger);
  ArchiveInput(const ArchiveInput&) = delete;
  ArchiveInput& operator=(const ArchiveInput&) = delete;

  const std::string& name() const { return name_; }
  // The size the progress is measured against: the header's total, or the
  // size of a single-file archive.
  std::uint32_t total_size() const { return total_size_; }
  bool volume_mode() const { return volume_mode_; }

  // Reads up to out.size() bytes; 0 only at the end of the archive.
  std::size_t read(std::span<std::uint8_t> out);

 private:
  // Asks for the next volume until it is in place; ESC (or the end of the
  // input) ends the run.
  void change_volume();
  enum class HeaderCheck { kGood, kShort, kBadMagic, kWrongNumber };
  HeaderCheck read_volume_header(int expected_number);

  std::string name_;
  Messenger& messenger_;
  UniqueFd fd_;
  bool volume_mode_ = false;
  std::uint32_t total_size_ = 0;
  int volume_ = 1;
  std::uint64_t payload_read_ = 0;  // bytes read after the volume headers
};

}  // namespace pkgx
