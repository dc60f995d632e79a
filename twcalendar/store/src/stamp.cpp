#include "twcal/stamp.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace twcal {
namespace {

constexpr long long kMinutesPerDay = 24 * 60;
constexpr char kStampFormat[] = "%d%02d%02d%02d%02d";

bool is_digits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

int two_digits(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && is_leap_year(year) ? 29 : kLengths[month - 1];
}

bool is_valid(const DateTime& t) {
  return t.year >= kFirstStampYear && t.year <= kLastStampYear && t.month >= 1 && t.month <= 12 &&
         t.day >= 1 && t.day <= days_in_month(t.year, t.month) && t.hour >= 0 && t.hour <= 23 &&
         t.minute >= 0 && t.minute <= 59;
}

std::optional<DateTime> add_minutes(const DateTime& t, long long minutes) {
  using namespace std::chrono;
  const sys_days date{year{t.year} / month{static_cast<unsigned>(t.month)} /
                      day{static_cast<unsigned>(t.day)}};
  // Keep the shift inside the range of stamps so the sum cannot overflow.
  constexpr long long kLimit = 10000LL * 366 * kMinutesPerDay;
  if (minutes > kLimit || minutes < -kLimit) return std::nullopt;
  const long long total = date.time_since_epoch().count() * kMinutesPerDay + t.hour * 60LL +
                          t.minute + minutes;
  long long days = total / kMinutesPerDay;
  long long in_day = total % kMinutesPerDay;
  if (in_day < 0) {
    in_day += kMinutesPerDay;
    --days;
  }
  const year_month_day ymd{sys_days{std::chrono::days{days}}};
  DateTime moved{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                 static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(in_day / 60),
                 static_cast<int>(in_day % 60)};
  if (!is_valid(moved)) return std::nullopt;
  return moved;
}

std::string format_stamp(const DateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, kStampFormat, t.year, t.month, t.day, t.hour, t.minute);
  return text;
}

std::optional<DateTime> parse_stamp(std::string_view text) {
  if (text.size() < kStampLength) return std::nullopt;
  text = text.substr(0, kStampLength);
  if (!is_digits(text)) return std::nullopt;
  DateTime t{two_digits(text, 0) * 100 + two_digits(text, 2), two_digits(text, 4),
             two_digits(text, 6), two_digits(text, 8), two_digits(text, 10)};
  if (!is_valid(t)) return std::nullopt;
  return t;
}

DateTime local_now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

}  // namespace twcal
