// Calendar times to the minute and their twelve-digit stamps YYYYMMDDHHMM.
//
// A stamp is local time as the user sees it; no time zone enters it, and all
// arithmetic on stamps is plain Gregorian calendar arithmetic in minutes.
#pragma once

#include <compare>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace twcal {

struct DateTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;   // 0-23
  int minute = 0; // 0-59
  auto operator<=>(const DateTime&) const = default;
};

inline constexpr std::size_t kStampLength = 12;
// Years whose stamps have exactly twelve characters.
inline constexpr int kFirstStampYear = 1000;
inline constexpr int kLastStampYear = 9999;

bool is_leap_year(int year);
int days_in_month(int year, int month);  // 0 for a month outside 1-12
bool is_valid(const DateTime& time);     // a real date-time with a twelve-digit stamp

// `time` moved by `minutes` (negative: earlier); empty when the result has no
// twelve-digit stamp. `time` must be valid.
std::optional<DateTime> add_minutes(const DateTime& time, long long minutes);

std::string format_stamp(const DateTime& time);
// The first twelve characters of `text` as a stamp; empty when they are not
// twelve digits forming a valid date-time.
std::optional<DateTime> parse_stamp(std::string_view text);

// The current local time from the C library, seconds dropped.
DateTime local_now();
using Clock = std::function<DateTime()>;

}  // namespace twcal
