// The calendar's event store: the year store of the year shown, its year
// file, the records of other years it inserts into, and the drop file through
// which the reminder program hands over new events.
//
// Every change is written to its year file at once (atomically), so nothing
// the user or the reminder program entered lives only in memory. The store
// shows nothing itself: what the user must be told comes back as a value, and
// the owner is told to refresh through the injected callback.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "twcal/edit_result.h"
#include "twcal/stamp.h"
#include "twcal/store_lock.h"

namespace twcal {

// The drop file while an import owns it, relative to the product directory.
inline constexpr std::string_view kTakenDropFilePath = "tmp/twreminder.importing";

struct StoreSetup {
  std::filesystem::path product_dir;  // every file of the store lies under it
  Clock clock = local_now;            // "now" for due reminders and the first year
  std::function<void()> refresh;      // after an import that took something, and after edits
};

// For each day of a month (index day - 1), its events, each followed by "~".
using MonthEvents = std::vector<std::string>;

class CEventStore {
 public:
  // Creates the year-file directory (its parent must exist) and loads the
  // current year.
  explicit CEventStore(StoreSetup setup);

  // Makes `year` (0: the current one, read again) the current year store.
  void load_year(int year);
  // Saves the current year when it has unsaved changes, then loads `year`.
  void switch_year(int year);
  // Writes the current year store to its year file; false when that failed
  // (the store keeps its text and stays marked unsaved).
  bool save();

  // Inserts one record ("~" + record) in time order into the store of its own
  // year and saves that year. False when the record cannot be read or the save
  // failed.
  bool insert(std::string_view record);
  // Removes every copy of a record ("~" + record) from the current year.
  std::size_t remove(std::string_view record);
  // Replaces every copy of a record in the current year, in place.
  std::size_t replace(std::string_view old_record, std::string_view new_record);

  // Takes the records waiting in the drop file, with their twins; true when
  // anything was inserted.
  bool import_drop_file();
  // The twins of the current year whose reminder time has come, in store order.
  std::vector<std::string> due_twins() const;
  MonthEvents month_events(int year, int month) const;
  EditOutcome apply_edit(const EditResult& edit);

  int year() const { return current_.year; }
  const std::string& text() const { return current_.text; }
  const std::filesystem::path& path() const { return current_.path; }
  bool has_unsaved_changes() const { return current_.unsaved; }
  // Callers hold it around a sequence of changes that belong together.
  StoreLock& lock() { return lock_; }

 private:
  struct YearStore {
    int year = 0;
    std::filesystem::path path;
    std::string text;
    bool unsaved = false;
  };
  class Batch;

  YearStore read_year(int year) const;
  static bool write_year(YearStore& store);
  void notify_refresh() const;
  bool import_taken_file(bool recovering);

  StoreSetup setup_;
  YearStore current_;
  StoreLock lock_;
};

}  // namespace twcal
