// The listing line of one entry: progress, where the chunk ends in its
// file, the local date in verbose mode, and the name; a CR, and an LF only
// after a file's last chunk, so a file's chunk lines overwrite each other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/package_entry.h"

namespace pkgx {

// Progress of `taken_in` bytes of `total`, in 32-bit arithmetic like the
// counter it shows; four blanks when the total is 0.
std::string progress_column(std::uint32_t taken_in, std::uint32_t total);

// "Mon dd hh:mm:ss yyyy" in local time, the seconds rounded down to even.
std::string local_date_column(std::uint32_t time_stamp);

std::string listing_line(std::uint32_t taken_in, std::uint32_t total, const codec::EntryFields& entry,
                         std::string_view name, bool verbose);

}  // namespace pkgx
