#include "twcal/year_store.h"

#include <algorithm>

#include "twcal/event_record.h"

namespace twcal {
namespace {

constexpr std::size_t kDayPrefix = 8;    // YYYYMMDD
constexpr std::size_t kMonthPrefix = 6;  // YYYYMM

bool is_digits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The stamp of the record behind the separator at `at`, or empty when that
// record does not start with twelve digits.
std::string_view stamp_after(std::string_view store, std::size_t at) {
  const std::string_view rest = store.substr(at + 1);
  const std::string_view stamp = rest.substr(0, std::min(kStampLength, rest.size()));
  if (stamp.size() < kStampLength || !is_digits(stamp)) return {};
  return stamp;
}

// Position of the next whole-record copy of `record` at or after `from`.
std::size_t find_whole(std::string_view store, std::string_view record, std::size_t from) {
  for (std::size_t at = store.find(record, from); at != std::string_view::npos;
       at = store.find(record, at + 1)) {
    const std::size_t end = at + record.size();
    if (end < store.size() && store[end] == kRecordSeparator) return at;
  }
  return std::string_view::npos;
}

// Where the scan for a stamp starts: the first record of the same day, else
// of the same month, else the beginning.
std::size_t scan_start(std::string_view store, std::string_view stamp) {
  for (std::size_t prefix : {kDayPrefix, kMonthPrefix}) {
    std::string needle(1, kRecordSeparator);
    needle += stamp.substr(0, prefix);
    const std::size_t at = store.find(needle);
    if (at != std::string_view::npos) return at;
  }
  return 0;
}

}  // namespace

bool insert_record(std::string& store, std::string_view record) {
  if (!dialogs::is_single_record(record) || !record_stamp(record.substr(1))) return false;
  const std::string_view stamp = record.substr(1, kStampLength);
  if (store.empty() || store.back() != kRecordSeparator) store += kRecordSeparator;

  std::size_t at = store.find(kRecordSeparator, scan_start(store, stamp));
  while (at + 1 < store.size()) {
    const std::string_view existing = stamp_after(store, at);
    if (!existing.empty() && existing >= stamp) break;
    at = store.find(kRecordSeparator, at + 1);
  }
  store.insert(at, record);
  return true;
}

std::size_t remove_records(std::string& store, std::string_view record) {
  if (!dialogs::is_single_record(record)) return 0;
  std::size_t removed = 0;
  for (std::size_t at = find_whole(store, record, 0); at != std::string::npos;
       at = find_whole(store, record, at)) {
    store.erase(at, record.size());
    ++removed;
  }
  return removed;
}

std::size_t replace_records(std::string& store, std::string_view old_record,
                            std::string_view new_record) {
  if (!dialogs::is_single_record(old_record) || !dialogs::is_single_record(new_record)) return 0;
  std::size_t replaced = 0;
  for (std::size_t at = find_whole(store, old_record, 0); at != std::string::npos;
       at = find_whole(store, old_record, at + new_record.size())) {
    store.replace(at, old_record.size(), new_record);
    ++replaced;
  }
  return replaced;
}

bool contains_record(std::string_view store, std::string_view record) {
  return dialogs::is_single_record(record) && find_whole(store, record, 0) != std::string_view::npos;
}

}  // namespace twcal
