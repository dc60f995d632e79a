// One event record: the text of one calendar entry or of its reminder twin.
//
//   line 1  start stamp, blank, kind word ("EVENT" or "REMINDER")
//   line 2  subject
//   line 3  end stamp, blank, lead time in minutes ("0": no reminder)
//   line 4  and on: notes
//
// Lines end in a single LF. The functions here take a record without the
// "~" that separates it from its neighbours in a store.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "twcal/stamp.h"

namespace twcal {

inline constexpr std::string_view kKindEvent = "EVENT";
inline constexpr std::string_view kKindReminder = "REMINDER";
// Only the first letter of the kind word is ever looked at.
inline constexpr std::size_t kKindLetterOffset = 13;
inline constexpr char kEventLetter = 'E';
inline constexpr char kReminderLetter = 'R';

// The stamp at the start of line 1; empty when it is not a valid stamp.
std::optional<DateTime> record_stamp(std::string_view record);
// The first letter of the kind word, or '\0' for a record too short to have one.
char kind_letter(std::string_view record);
// The lead time: the digits after the first blank behind the second LF, up to
// the next LF. A missing or non-numeric field is 0.
long long lead_minutes(std::string_view record);

// `record` with line 1 replaced by the stamp of `when`, a blank and `kind`.
std::string with_first_line(std::string_view record, const DateTime& when, std::string_view kind);

// The reminder twin of an event: line 1 holds the start minus the lead time
// and "REMINDER". Empty for a lead time of 0 and for a record whose stamp or
// reminder time cannot be read.
std::string twin_of(std::string_view record);
// The event a twin was derived from; empty when the twin cannot be read.
std::string event_of(std::string_view twin);

struct RecordFields {
  DateTime start;
  std::string_view kind;
  std::string_view subject;
  DateTime end;
  long long lead_minutes = 0;
  std::string_view notes;
};
// The record for `fields`; subject and notes are made safe for a record.
// The notes are written as given: a final LF is the caller's choice.
std::string format_record(const RecordFields& fields);

}  // namespace twcal
