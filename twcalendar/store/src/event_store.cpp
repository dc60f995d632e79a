#include "twcal/event_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <system_error>

#include "dialogs/drop_file.h"
#include "dialogs/file_text.h"
#include "twcal/atomic_file.h"
#include "twcal/event_record.h"
#include "twcal/year_file.h"
#include "twcal/year_store.h"

namespace twcal {

// The changes of one operation: records go into the store of their own year,
// and every store that changed is saved once when the operation ends.
class CEventStore::Batch {
 public:
  explicit Batch(CEventStore& owner) : owner_(owner) {}

  bool insert(std::string_view record) {
    YearStore* store = store_for(record);
    if (!store || !insert_record(store->text, record)) return false;
    store->unsaved = true;
    return true;
  }

  bool contains(std::string_view record) {
    YearStore* store = store_for(record);
    return store && contains_record(store->text, record);
  }

  // Saves every changed store; false when any save failed.
  bool commit() {
    bool saved = true;
    for (auto& [year, store] : others_)
      if (store.unsaved) saved = write_year(store) && saved;
    if (owner_.current_.unsaved) saved = write_year(owner_.current_) && saved;
    return saved;
  }

 private:
  YearStore* store_for(std::string_view record) {
    if (record.empty() || record.front() != kRecordSeparator) return nullptr;
    const auto stamp = record_stamp(record.substr(1));
    if (!stamp) return nullptr;
    if (stamp->year == owner_.current_.year) return &owner_.current_;
    auto found = others_.find(stamp->year);
    if (found == others_.end()) found = others_.emplace(stamp->year, owner_.read_year(stamp->year)).first;
    return &found->second;
  }

  CEventStore& owner_;
  std::map<int, YearStore> others_;
};

CEventStore::CEventStore(StoreSetup setup) : setup_(std::move(setup)) {
  std::error_code ignored;
  std::filesystem::create_directory(setup_.product_dir / kYearFileDirectory, ignored);
  current_ = read_year(setup_.clock().year);
}

CEventStore::YearStore CEventStore::read_year(int year) const {
  YearStore store;
  store.year = year;
  store.path = year_file_path(setup_.product_dir, year);
  std::string file;
  dialogs::read_file_text(store.path, file);
  store.text = year_store_from_file(file);
  return store;
}

bool CEventStore::write_year(YearStore& store) {
  if (!write_file_atomically(store.path, year_file_from_store(store.text))) return false;
  store.unsaved = false;
  return true;
}

void CEventStore::notify_refresh() const {
  if (setup_.refresh) setup_.refresh();
}

void CEventStore::load_year(int year) {
  StoreGuard guard(lock_);
  current_ = read_year(year == 0 ? current_.year : year);
}

void CEventStore::switch_year(int year) {
  StoreGuard guard(lock_);
  if (current_.unsaved) write_year(current_);
  load_year(year);
}

bool CEventStore::save() {
  StoreGuard guard(lock_);
  current_.unsaved = true;
  return write_year(current_);
}

bool CEventStore::insert(std::string_view record) {
  StoreGuard guard(lock_);
  Batch batch(*this);
  const bool inserted = batch.insert(record);
  return batch.commit() && inserted;
}

std::size_t CEventStore::remove(std::string_view record) {
  StoreGuard guard(lock_);
  const std::size_t removed = remove_records(current_.text, record);
  if (removed > 0) {
    current_.unsaved = true;
    write_year(current_);
  }
  return removed;
}

std::size_t CEventStore::replace(std::string_view old_record, std::string_view new_record) {
  StoreGuard guard(lock_);
  const std::size_t replaced = replace_records(current_.text, old_record, new_record);
  if (replaced > 0) {
    current_.unsaved = true;
    write_year(current_);
  }
  return replaced;
}

// The drop file is taken by renaming it, so that records the reminder program
// appends meanwhile start a new drop file. The taken file is removed only once
// its records are saved in their year files; one left behind by an import that
// did not finish is imported again first, skipping the records that already
// made it into their year.
bool CEventStore::import_drop_file() {
  StoreGuard guard(lock_);
  const auto drop = setup_.product_dir / dialogs::kDropFilePath;
  const auto taken = setup_.product_dir / kTakenDropFilePath;
  std::error_code error;
  bool inserted = false;
  if (std::filesystem::exists(taken, error)) inserted = import_taken_file(true);
  if (!std::filesystem::exists(taken, error) && std::rename(drop.c_str(), taken.c_str()) == 0)
    inserted = import_taken_file(false) || inserted;

  // Leave an empty drop file for the writer, but never replace one it started.
  const int fd = ::open(drop.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) ::close(fd);

  if (inserted) notify_refresh();
  return inserted;
}

bool CEventStore::import_taken_file(bool recovering) {
  const auto taken = setup_.product_dir / kTakenDropFilePath;
  auto text = dialogs::read_taken_drop_file(taken);
  if (!text) return false;
  *text += kRecordSeparator;

  Batch batch(*this);
  bool inserted = false;
  auto take = [&](std::string_view record) {
    if (recovering && batch.contains(record)) return;
    inserted = batch.insert(record) || inserted;
  };
  for_each_record(*text, [&](std::string_view dropped) {
    if (dropped.empty()) return;
    // Records the calendar writes end in LF, and a year file gives every
    // record but its last one that LF anyway; without it here an event and
    // its twin would differ once read back, and lose track of each other.
    std::string record(dropped);
    if (record.back() != '\n') record += '\n';
    take(kRecordSeparator + record);
    const std::string twin = twin_of(record);
    if (!twin.empty()) take(kRecordSeparator + twin);
  });
  if (batch.commit()) ::unlink(taken.c_str());
  return inserted;
}

std::vector<std::string> CEventStore::due_twins() const {
  const std::string now = format_stamp(setup_.clock());
  const std::string copy = current_.text;
  std::vector<std::string> due;
  for_each_record(copy, [&](std::string_view record) {
    if (kind_letter(record) != kReminderLetter || !record_stamp(record)) return;
    if (record.substr(0, kStampLength) <= now) due.emplace_back(record);
  });
  return due;
}

MonthEvents CEventStore::month_events(int year, int month) const {
  MonthEvents days(static_cast<std::size_t>(days_in_month(year, month)));
  if (days.empty()) return days;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%d%02d", year, month);
  for_each_record(current_.text, [&](std::string_view record) {
    if (!record.starts_with(prefix) || kind_letter(record) != kEventLetter) return;
    const auto stamp = record_stamp(record);
    if (!stamp) return;
    std::string& day = days[static_cast<std::size_t>(stamp->day - 1)];
    day += record;
    day += kRecordSeparator;
  });
  return days;
}

EditOutcome CEventStore::apply_edit(const EditResult& edit) {
  StoreGuard guard(lock_);
  Batch batch(*this);
  auto remove_here = [&](std::string_view record) {
    const std::size_t removed = remove_records(current_.text, record);
    if (removed > 0) current_.unsaved = true;
    return removed;
  };
  auto replace_here = [&](std::string_view old_record, std::string_view new_record) {
    if (replace_records(current_.text, old_record, new_record) > 0) current_.unsaved = true;
  };
  const bool has_reminder = edit.lead_time > 0;

  EditOutcome outcome;
  if (edit.save_requested) {
    if (edit.existing_record && edit.start_changed) {
      remove_here(edit.old_record);
      batch.insert(edit.new_record);
      remove_here(edit.old_twin);
      if (has_reminder) batch.insert(edit.new_twin);
    } else if (edit.existing_record && edit.reminder_changed) {
      replace_here(edit.old_record, edit.new_record);
      remove_here(edit.old_twin);
      if (has_reminder) batch.insert(edit.new_twin);
    } else if (edit.existing_record) {
      replace_here(edit.old_record, edit.new_record);
      replace_here(edit.old_twin, edit.new_twin);
    } else {
      batch.insert(edit.new_record);
      if (has_reminder) batch.insert(edit.new_twin);
    }
  } else if (edit.delete_requested) {
    if (remove_here(edit.old_record) > 0)
      outcome.message = remove_here(edit.old_twin) > 0 ? kEntryAndReminderDeleted : kEntryDeleted;
    else
      remove_here(edit.old_twin);
  }
  batch.commit();
  notify_refresh();
  return outcome;
}

}  // namespace twcal
