// User text that goes into an event record.
//
// An event record is plain text inside "~"-separated year stores and drop
// files, and inside year files whose records stand behind "dt0001<TAB>" tags;
// neither the separator nor the tags are escaped. User text that contains one
// of them would split the record when it is read back, so every writer of a
// record passes its subject and notes through record_safe_text().
#pragma once

#include <string>
#include <string_view>

namespace dialogs {

// Separates the records of a year store and of a drop file.
inline constexpr char kRecordSeparator = '~';
// What a separator in user text becomes: the nearest plain character that
// keeps the text readable and keeps its length.
inline constexpr char kSeparatorStandIn = '-';

enum class RecordField {
  subject,  // line 2 of a record: exactly one line
  notes,    // line 4 on: any number of lines
};

// Returns `text` made safe for `field`:
//  - every "~" becomes "-";
//  - the TAB of anything that reads as a year-file tag ("dt", four or more
//    digits, TAB) becomes a blank;
//  - in a subject, CR and LF become blanks, so the subject stays line 2 and
//    the lead time stays on line 3.
std::string record_safe_text(std::string_view text, RecordField field);

// True when `record` is exactly one record as a drop file carries it: a
// leading "~", at least one character after it, and no other "~".
bool is_single_record(std::string_view record);

}  // namespace dialogs
