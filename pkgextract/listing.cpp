#include "pkgextract/listing.h"

#include <cstdio>
#include <ctime>

namespace pkgx {
namespace {

constexpr char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::size_t kNameLimit = 80;
constexpr std::uint32_t kPositionDigits = 1000000000;  // the column shows the last 9 digits

}  // namespace

std::string progress_column(std::uint32_t taken_in, std::uint32_t total) {
  if (total == 0) return "    ";
  char out[16];
  std::snprintf(out, sizeof out, "%3u%%", static_cast<std::uint32_t>(taken_in * 100u) / total);
  return out;
}

std::string local_date_column(std::uint32_t time_stamp) {
  const std::time_t t = static_cast<std::time_t>(time_stamp);
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return std::string(20, '?');
  char out[64];
  std::snprintf(out, sizeof out, "%s %2d %02d:%02d:%02d %4d", kMonths[local.tm_mon % 12],
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec & ~1,
                local.tm_year + 1900);
  return out;
}

std::string listing_line(std::uint32_t taken_in, std::uint32_t total, const codec::EntryFields& entry,
                         std::string_view name, bool verbose) {
  std::string line = progress_column(taken_in, total);
  const auto end = static_cast<std::uint32_t>(entry.file_offset() + entry.data_length());
  char position[16];
  std::snprintf(position, sizeof position, "  %9u", end % kPositionDigits);
  line += position;
  if (verbose) {
    line += "  ";
    line += local_date_column(entry.time_stamp);
  }
  line += "  ";
  line += name.substr(0, kNameLimit);
  line += '\r';
  if (!entry.continued) line += '\n';
  return line;
}

}  // namespace pkgx
