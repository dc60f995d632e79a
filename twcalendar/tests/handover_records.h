// The records the hand-over test drops, shared by the writer program and the
// test that checks what arrived.
#pragma once

#include <string>

#include "twcal/event_record.h"
#include "twcal/lead_times.h"

namespace storetest {

inline constexpr int kHandoverRecords = 1000;

// Record `i` without its "~": spread over the turn of the year 2006/2007,
// with every lead time of the list, so twins land in both years.
inline std::string handover_record(int i) {
  const twcal::DateTime first{2006, 12, 20, 0, 0};
  const twcal::DateTime start = *twcal::add_minutes(first, static_cast<long long>(i) * 37);
  const twcal::DateTime end = *twcal::add_minutes(start, 60);
  const auto& lead = twcal::kLeadTimes[static_cast<std::size_t>(i) % twcal::kLeadTimes.size()];
  const std::string subject = "Client " + std::to_string(i);
  return twcal::format_record({.start = start,
                               .kind = twcal::kKindEvent,
                               .subject = subject,
                               .end = end,
                               .lead_minutes = lead.minutes,
                               .notes = "Bring forms\n\nContact Information:\nJo Doe"});
}

}  // namespace storetest
