// The reminder lead times the calendar offers, in the order of its list.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace twcal {

struct LeadTime {
  std::string_view label;  // as the list shows it
  int minutes;             // as the record carries it
};

inline constexpr std::array<LeadTime, 14> kLeadTimes{{
    {"  None", 0},
    {"  15 Minutes", 15},
    {"  30 Minutes", 30},
    {"  1 Hour", 60},
    {"  2 Hours", 120},
    {"  12 Hours", 720},
    {"  1 Day", 1440},
    {"  2 Days", 2880},
    {"  3 Days", 4320},
    {"  7 Days", 10080},
    {"  10 Days", 14400},
    {"  2 Weeks", 20160},
    {"  3 Weeks", 30240},
    {"  4 Weeks", 40320},
}};

// The list position of the entry with `minutes`; empty when no entry has it.
constexpr std::optional<std::size_t> lead_time_index(long long minutes) {
  for (std::size_t i = 0; i < kLeadTimes.size(); ++i)
    if (kLeadTimes[i].minutes == minutes) return i;
  return std::nullopt;
}

}  // namespace twcal
