#include "twcal/event_store.h"

#include <gtest/gtest.h>

#include <ostream>

#include "store_fixture.h"
#include "twcal/year_store.h"

namespace {

using namespace storetest;
using twcal::EditResult;

TEST_F(StoreTest, EmptyYearLoadsSavesAndLoadsAgain) {
  auto store = open_store();
  EXPECT_EQ(store->year(), 2006);
  EXPECT_EQ(store->text(), "~");
  EXPECT_EQ(store->path(), year_path(2006));
  ASSERT_TRUE(store->save());
  EXPECT_EQ(testsupport::read_text(year_path(2006)), "");
  store->load_year(0);
  EXPECT_EQ(store->text(), "~");
}

TEST_F(StoreTest, InsertSavesTheYearAtOnce) {
  auto store = open_store();
  const std::string a = event("200612250900", "A", 0);
  const std::string b = event("200612250800", "B", 0);
  ASSERT_TRUE(store->insert("~" + a));
  ASSERT_TRUE(store->insert("~" + b));
  EXPECT_EQ(store->text(), store_of({b, a}));
  EXPECT_EQ(saved_year(2006), store->text());
  EXPECT_FALSE(store->has_unsaved_changes());
  EXPECT_FALSE(store->insert("~garbage"));
}

TEST_F(StoreTest, UnchangedStoreSavesTheSameBytes) {
  const std::string file = "dt0001\t" + event("200612250900", "A", 0) + "dt0002\t200612251000 EVENT\nB\n";
  auto store = open_store();
  testsupport::write_file(year_path(2006), file);
  store->load_year(2006);
  ASSERT_TRUE(store->save());
  ASSERT_TRUE(store->save());
  EXPECT_EQ(testsupport::read_text(year_path(2006)), file);
}

TEST_F(StoreTest, TwinInThePreviousYearGoesToThatFileAtOnce) {
  now_ = {2007, 1, 1, 0, 0};
  const std::string e = event("200701010010", "New year", 15);
  testsupport::write_file(drop_path(), "~" + e);
  auto store = open_store();
  ASSERT_TRUE(store->import_drop_file());
  EXPECT_EQ(store->year(), 2007);
  EXPECT_EQ(store->text(), store_of({e}));
  EXPECT_EQ(saved_year(2007), store_of({e}));
  EXPECT_EQ(saved_year(2006), store_of({"200612312355 REMINDER\nNew year\n200701010010 15\nnotes\n"}));
}

TEST_F(StoreTest, ImportTakesEveryRecordOnceAndEmptiesTheDropFile) {
  const std::string with_reminder = event("200612251300", "Call", 30);
  const std::string without = event("200612251400", "File", 0);
  // As the reminder program writes them: no LF after the last line.
  testsupport::write_file(drop_path(), "ignored~" + with_reminder.substr(0, with_reminder.size() - 1) + "~~" +
                                           without.substr(0, without.size() - 1));
  auto store = open_store();
  ASSERT_TRUE(store->import_drop_file());
  EXPECT_EQ(store->text(), store_of({twcal::twin_of(with_reminder), with_reminder, without}));
  EXPECT_EQ(saved_year(2006), store->text());
  EXPECT_EQ(testsupport::read_text(drop_path()), "");
  EXPECT_FALSE(fs::exists(taken_path()));
  EXPECT_EQ(refreshes_, 1);

  EXPECT_FALSE(store->import_drop_file());
  EXPECT_EQ(refreshes_, 1);
  testsupport::write_file(drop_path(), "~~");
  EXPECT_FALSE(store->import_drop_file());
  EXPECT_EQ(store->text(), store_of({twcal::twin_of(with_reminder), with_reminder, without}));
}

TEST_F(StoreTest, ImportWithoutTmpDirectoryCreatesNothing) {
  fs::remove_all(dir_ / "tmp");
  auto store = open_store();
  EXPECT_FALSE(store->import_drop_file());
  EXPECT_FALSE(fs::exists(dir_ / "tmp"));
}

TEST_F(StoreTest, LeftoverTakenFileIsFinishedWithoutDoubles) {
  // An import took the drop file and saved the first record, then died.
  const std::string saved = event("200612251300", "Saved", 30);
  const std::string lost = event("200612251400", "Lost", 60);
  const std::string later = event("200612251500", "Later", 0);
  write_year(2006, {twcal::twin_of(saved), saved});
  testsupport::write_file(taken_path(), "~" + saved + "~" + lost);
  testsupport::write_file(drop_path(), "~" + later);
  auto store = open_store();
  ASSERT_TRUE(store->import_drop_file());
  EXPECT_EQ(saved_year(2006), store_of({twcal::twin_of(saved), twcal::twin_of(lost), saved, lost, later}));
  EXPECT_FALSE(fs::exists(taken_path()));
}

TEST_F(StoreTest, TakenFileStaysUntilItsRecordsAreSaved) {
  const std::string here = event("200612251300", "Here", 30);
  const std::string next_year = event("200703011300", "Next year", 0);
  testsupport::write_file(drop_path(), "~" + here + "~" + next_year);
  auto store = open_store();
  fs::remove_all(dir_ / "utils/twcalendar");  // every save fails now
  EXPECT_TRUE(store->import_drop_file());
  EXPECT_TRUE(fs::exists(taken_path()));
  EXPECT_TRUE(store->has_unsaved_changes());

  const std::string meanwhile = event("200612251600", "Meanwhile", 0);
  testsupport::write_file(drop_path(), "~" + meanwhile);
  fs::create_directories(dir_ / "utils/twcalendar");
  store->import_drop_file();
  EXPECT_FALSE(fs::exists(taken_path()));
  EXPECT_EQ(saved_year(2006), store_of({twcal::twin_of(here), here, meanwhile}));
  EXPECT_EQ(saved_year(2007), store_of({next_year}));
}

TEST_F(StoreTest, SwitchYearSavesWhatAFailedSaveLeftBehind) {
  auto store = open_store();
  fs::remove_all(dir_ / "utils/twcalendar");
  const std::string e = event("200612251300", "E", 0);
  EXPECT_FALSE(store->insert("~" + e));
  EXPECT_EQ(store->text(), store_of({e}));
  fs::create_directories(dir_ / "utils/twcalendar");
  store->switch_year(2007);
  EXPECT_EQ(store->year(), 2007);
  EXPECT_EQ(saved_year(2006), store_of({e}));
}

TEST_F(StoreTest, DueTwinsUpToNowOnly) {
  const std::string at_now = event("200612251230", "At now", 30);
  const std::string minute_later = event("200612251231", "Later", 30);
  write_year(2006, {twcal::twin_of(at_now), twcal::twin_of(minute_later), event("200612250900", "Past event", 0),
                    "2006122x1000 REMINDER\nDamaged\n"});
  auto store = open_store();
  EXPECT_EQ(store->due_twins(), std::vector<std::string>{twcal::twin_of(at_now)});
}

TEST_F(StoreTest, MonthEventsByDay) {
  const std::string fifth = event("200612050900", "Fifth", 30);
  const std::string fifth_later = event("200612051000", "Fifth later", 0);
  write_year(2006, {event("200611050900", "November", 0), twcal::twin_of(fifth), fifth, fifth_later,
                    event("200612311000", "Last", 0), "200612xx1000 EVENT\nDamaged\n"});
  auto store = open_store();
  const auto days = store->month_events(2006, 12);
  ASSERT_EQ(days.size(), 31u);
  EXPECT_EQ(days[4], fifth + "~" + fifth_later + "~");
  EXPECT_EQ(days[30], event("200612311000", "Last", 0) + "~");
  EXPECT_EQ(days[0], "");
  EXPECT_TRUE(store->month_events(2006, 13).empty());
}

TEST_F(StoreTest, DamagedRecordsSurviveEverything) {
  const std::string damaged = "2006\x01\x02x EVENT\nhand edited\n";
  write_year(2006, {damaged, event("200612250900", "A", 0)});
  auto store = open_store();
  ASSERT_TRUE(store->insert("~" + event("200612010900", "B", 0)));
  EXPECT_EQ(count_of(saved_year(2006), "~" + damaged + "~"), 1u);
}

class ReenteringStoreTest : public StoreTest {
 protected:
  void on_refresh() override {
    StoreTest::on_refresh();
    // A handler that changes the store again from inside a change, as a
    // dialog opened from a timer may.
    if (refreshes_ == 1) store_->insert("~" + event("200612251700", "From refresh", 0));
  }
  std::unique_ptr<twcal::CEventStore> store_;
};

TEST_F(ReenteringStoreTest, SameThreadTakesTheLockAgain) {
  store_ = open_store();
  testsupport::write_file(drop_path(), "~" + event("200612251300", "Dropped", 0));
  twcal::StoreGuard held(store_->lock());
  ASSERT_TRUE(store_->import_drop_file());
  EXPECT_EQ(store_->text(),
            store_of({event("200612251300", "Dropped", 0), event("200612251700", "From refresh", 0)}));
}

// Apply edit: each case starts from a stored year and checks the year after.
const std::string kE = event("200612250900", "Dentist", 30);
const std::string kX = event("200612251030", "X", 0);

struct EditCase {
  const char* name;
  EditResult edit;
  std::vector<std::string> after;
  std::string_view message;
};
// Test names show the case by its name.
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

EditResult save_edit(const std::string& old_record, const std::string& new_record, bool existing,
                     bool start_changed, bool reminder_changed) {
  EditResult edit;
  edit.save_requested = true;
  edit.existing_record = existing;
  edit.lead_time = twcal::lead_minutes(new_record);
  edit.old_record = "~" + old_record;
  edit.old_twin = dialog_twin(old_record);
  edit.new_record = "~" + new_record;
  edit.new_twin = dialog_twin(new_record);
  edit.start_changed = start_changed;
  edit.reminder_changed = reminder_changed;
  return edit;
}

EditResult delete_edit(const std::string& old_record) {
  EditResult edit;
  edit.delete_requested = true;
  edit.existing_record = true;
  edit.old_record = "~" + old_record;
  edit.old_twin = dialog_twin(old_record);
  return edit;
}

std::vector<EditCase> edit_cases() {
  const std::string moved = event("200612251100", "Dentist", 60);
  const std::string no_reminder = event("200612250900", "Dentist", 0);
  const std::string hour_before = event("200612250900", "Dentist", 60);
  const std::string renamed = event("200612250900", "Dentist, room 4", 30);
  const std::string added = event("200612251200", "New", 15);
  const std::string twin = twcal::twin_of(kE);
  return {
      {"start_changed", save_edit(kE, moved, true, true, true), {twcal::twin_of(moved), kX, moved}, ""},
      {"reminder_dropped", save_edit(kE, no_reminder, true, false, true), {no_reminder, kX}, ""},
      {"reminder_moved", save_edit(kE, hour_before, true, false, true),
       {twcal::twin_of(hour_before), hour_before, kX}, ""},
      {"text_only", save_edit(kE, renamed, true, false, false), {twcal::twin_of(renamed), renamed, kX}, ""},
      {"new_event", save_edit(event("200612251200", "Enter Subject", 0), added, false, false, true),
       {twin, kE, kX, twcal::twin_of(added), added}, ""},
      {"delete_with_reminder", delete_edit(kE), {kX}, twcal::kEntryAndReminderDeleted},
      {"delete_without_reminder", delete_edit(kX), {twin, kE}, twcal::kEntryDeleted},
      {"delete_nothing_stored", delete_edit(event("200612251800", "Gone", 30)), {twin, kE, kX}, ""},
      {"neither_requested", EditResult{}, {twin, kE, kX}, ""},
  };
}

class ApplyEdit : public StoreTest, public testing::WithParamInterface<EditCase> {};

TEST_P(ApplyEdit, ChangesAndSavesTheYear) {
  write_year(2006, {twcal::twin_of(kE), kE, kX});
  auto store = open_store();
  const auto outcome = store->apply_edit(GetParam().edit);
  EXPECT_EQ(outcome.message, GetParam().message);
  EXPECT_EQ(store->text(), store_of(GetParam().after));
  EXPECT_EQ(saved_year(2006), store->text());
  EXPECT_EQ(refreshes_, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyEdit, testing::ValuesIn(edit_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreTest, EditMovingAnEventIntoNextYearSavesBothYears) {
  write_year(2006, {twcal::twin_of(kE), kE, kX});
  auto store = open_store();
  const std::string moved = event("200701020900", "Dentist", 1440);
  store->apply_edit(save_edit(kE, moved, true, true, false));
  EXPECT_EQ(saved_year(2006), store_of({kX}));
  EXPECT_EQ(saved_year(2007), store_of({twcal::twin_of(moved), moved}));
}

}  // namespace
