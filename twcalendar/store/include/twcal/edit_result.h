// What the event detail dialog hands back to the store when it closes, and
// what the store has to tell the user after applying it.
#pragma once

#include <string>
#include <string_view>

#include "twcal/stamp.h"

namespace twcal {

struct EditResult {
  bool delete_requested = false;
  bool save_requested = false;     // Save, or Update in a reminder pop-up
  bool existing_record = false;    // opened on a stored event, not on the new-event template
  long long lead_time = 0;         // minutes chosen in the dialog
  std::string old_record;          // "~" + the record the dialog was opened with
  std::string old_twin;            // "~" + old record with the old reminder stamp and "REMINDER"
  std::string new_record;          // "~" + the record built from the dialog
  std::string new_twin;            // "~" + new record with the new reminder stamp and "REMINDER"
  bool start_changed = false;      // start date or time changed
  bool reminder_changed = false;   // a lead time was picked from the list
};

inline constexpr std::string_view kEntryAndReminderDeleted =
    "The Calendar Entry and Reminder have been Deleted";
inline constexpr std::string_view kEntryDeleted = "The Calendar Entry has been Deleted";

struct EditOutcome {
  std::string_view message;  // to show with an OK button; empty: nothing to show
};

// "~" + `record` (which has its leading "~") with line 1 holding `reminder`
// and "REMINDER": the twin the dialog puts into an edit result, built
// whatever the lead time is.
std::string edit_twin(std::string_view record, const DateTime& reminder);

}  // namespace twcal
