// A process killed at any moment of saving leaves its year file as it was
// before that save or as it is after it, never half written.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "child.h"
#include "store_fixture.h"

namespace {

using namespace storetest;

TEST_F(StoreTest, KilledSaveLeavesAWholeYearFile) {
  // A year big enough that writing it takes a while.
  std::vector<std::string> records;
  for (int i = 0; i < 3000; ++i) records.push_back(event("200606" + std::string(i % 2 ? "02" : "01") + "0900",
                                                         "Client " + std::to_string(i), 0));
  std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.substr(0, 12) < b.substr(0, 12); });
  write_year(2006, records);
  const std::string without = testsupport::read_text(year_path(2006));
  std::string with;
  {
    auto store = open_store();
    store->insert("~200606011200 EVENT\nComes and goes\n200606011300 0\nnotes\n");
    with = testsupport::read_text(year_path(2006));
    store->remove("~200606011200 EVENT\nComes and goes\n200606011300 0\nnotes\n");
  }
  ASSERT_EQ(testsupport::read_text(year_path(2006)), without);

  std::mt19937 random(3);
  int seen_with = 0;
  for (int run = 0; run < 20; ++run) {
    testsupport::write_file(year_path(2006), without);
    Child saver({SAVE_LOOP, dir_.path().string()});
    // Once it has saved for the first time it is saving all the time.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (testsupport::read_text(year_path(2006)) == without && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    saver.kill_now();
    const std::string file = testsupport::read_text(year_path(2006));
    ASSERT_TRUE(file == without || file == with) << "run " << run << ": " << file.size() << " bytes";
    seen_with += file == with;
  }
  EXPECT_GT(seen_with, 0);  // the kills did land between saves of both kinds
}

}  // namespace
