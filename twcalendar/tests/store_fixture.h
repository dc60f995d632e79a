// A product directory in a scratch folder, a clock the test sets, and small
// builders for event records.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"
#include "twcal/event_record.h"
#include "twcal/event_store.h"
#include "twcal/year_file.h"

namespace storetest {

namespace fs = std::filesystem;

// An event without "~": start stamp, subject, lead time, one line of notes.
inline std::string event(const std::string& stamp, const std::string& subject, int lead) {
  return stamp + " EVENT\n" + subject + "\n" + stamp + " " + std::to_string(lead) + "\nnotes\n";
}

// "~" + the twin the event dialog builds for a record, whatever its lead time.
inline std::string dialog_twin(const std::string& record) {
  const auto start = twcal::record_stamp(record);
  const auto reminder = twcal::add_minutes(*start, -twcal::lead_minutes(record));
  return twcal::edit_twin("~" + record, *reminder);
}

// "~r1~r2~...~" for records given without "~" (or with it, as twins are).
inline std::string store_of(const std::vector<std::string>& records) {
  std::string store;
  for (const auto& r : records) store += (r.starts_with('~') ? "" : "~") + r;
  return store + "~";
}

inline std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class StoreTest : public testing::Test {
 protected:
  StoreTest() {
    fs::create_directories(dir_ / "utils");
    fs::create_directories(dir_ / "tmp");
  }

  std::unique_ptr<twcal::CEventStore> open_store() {
    return std::make_unique<twcal::CEventStore>(
        twcal::StoreSetup{dir_.path(), [this] { return now_; }, [this] { on_refresh(); }});
  }

  fs::path year_path(int year) const { return twcal::year_file_path(dir_.path(), year); }
  fs::path drop_path() const { return dir_ / "tmp/twreminder"; }
  fs::path taken_path() const { return dir_ / "tmp/twreminder.importing"; }

  void write_year(int year, const std::vector<std::string>& records) {
    fs::create_directories(year_path(year).parent_path());
    testsupport::write_file(year_path(year), twcal::year_file_from_store(store_of(records)));
  }
  // The year store as its file holds it now.
  std::string saved_year(int year) const {
    return fs::exists(year_path(year)) ? twcal::year_store_from_file(testsupport::read_text(year_path(year)))
                                       : "<no file>";
  }

  virtual void on_refresh() { ++refreshes_; }

  testsupport::ScratchDir dir_;
  twcal::DateTime now_{2006, 12, 25, 12, 0};
  int refreshes_ = 0;
};

}  // namespace storetest
