// The calendar and the reminder program as two real processes: the writer
// appends records to the drop file while the store imports it every few
// milliseconds. Every record and its twin must arrive exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "child.h"
#include "handover_records.h"
#include "store_fixture.h"
#include "twcal/year_store.h"

namespace {

using namespace storetest;

std::vector<std::string> records_of(const std::string& store) {
  std::vector<std::string> records;
  twcal::for_each_record(store, [&](std::string_view r) { records.emplace_back(r); });
  return records;
}

TEST_F(StoreTest, EveryDroppedRecordArrivesExactlyOnce) {
  now_ = {2006, 12, 1, 12, 0};
  auto store = open_store();
  Child writer({DROP_WRITER, drop_path().string(), "1000"});
  int imports = 0;
  while (writer.running()) {
    store->import_drop_file();
    ++imports;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(writer.wait(), 0);
  store->import_drop_file();
  EXPECT_GT(imports, 50);

  std::vector<std::string> expected;
  for (int i = 0; i < kHandoverRecords; ++i) {
    expected.push_back(handover_record(i) + "\n");  // imported records end in LF
    if (auto twin = twcal::twin_of(expected.back()); !twin.empty()) expected.push_back(twin);
  }
  std::vector<std::string> arrived;
  for (int year : {2005, 2006, 2007}) {
    const auto records = records_of(saved_year(year));
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end(),
                               [](const auto& a, const auto& b) { return a.substr(0, 12) < b.substr(0, 12); }))
        << year;
    for (const auto& r : records) {
      EXPECT_EQ(r.substr(0, 4), std::to_string(year));
      arrived.push_back(r);
    }
  }
  std::sort(expected.begin(), expected.end());
  std::sort(arrived.begin(), arrived.end());
  EXPECT_EQ(arrived.size(), expected.size());
  EXPECT_TRUE(arrived == expected);
  EXPECT_EQ(testsupport::read_text(drop_path()), "");
  EXPECT_FALSE(fs::exists(taken_path()));
}

}  // namespace
