// The text of one calendar year in memory: "~" before every record and one
// more at the end ("~r1~r2~...~rN~"; an empty year is "~"). Records are in
// ascending order of their line-1 stamp, events and twins mixed. A record has
// no identity but its text, so removing or replacing works on every copy.
//
// "~" is never part of a record (writers keep it out of user text), so every
// "~" in a year store is a record boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "dialogs/record_text.h"

namespace twcal {

using dialogs::kRecordSeparator;
inline constexpr std::string_view kEmptyYearStore = "~";

// Calls `visit(record)` for the text between each pair of consecutive
// separators, in order; text before the first separator is not a record.
template <class Visit>
void for_each_record(std::string_view store, Visit visit) {
  std::size_t at = store.find(kRecordSeparator);
  while (at != std::string_view::npos) {
    const std::size_t next = store.find(kRecordSeparator, at + 1);
    if (next == std::string_view::npos) return;
    visit(store.substr(at + 1, next - at - 1));
    at = next;
  }
}

// Puts `record` ("~" + record) in front of the first record whose stamp is not
// smaller than its own, so it goes before records with an equal stamp.
// Records whose stamp cannot be read are passed over. Returns false, leaving
// the store unchanged, when `record` is not one record with a valid stamp.
bool insert_record(std::string& store, std::string_view record);

// Cuts every whole-record copy of `record` ("~" + record) out of the store;
// returns how many. A record that merely begins with the same text is kept.
std::size_t remove_records(std::string& store, std::string_view record);

// Every whole-record copy of `old_record` becomes `new_record`, in place;
// returns how many. Nothing changes when `new_record` is not one record.
std::size_t replace_records(std::string& store, std::string_view old_record,
                            std::string_view new_record);

// True when the store holds a whole-record copy of `record` ("~" + record).
bool contains_record(std::string_view store, std::string_view record);

}  // namespace twcal
