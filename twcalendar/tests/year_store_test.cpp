#include "twcal/year_store.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// Records of one day: stamp and subject, no notes.
const std::string kA = "~200612250900 EVENT\nA\n200612251000 0\n";
const std::string kB = "~200612251400 EVENT\nB\n200612251500 0\n";
const std::string kSameTimeAsA = "~200612250900 EVENT\nC\n200612251000 0\n";
const std::string kOtherDay = "~200612010800 EVENT\nD\n200612010900 0\n";
const std::string kOtherMonth = "~200611300800 EVENT\nE\n200611300900 0\n";
const std::string kDamaged = "~2006122x0900 EVENT\nX\n";

struct InsertCase {
  const char* name;
  std::string store;
  std::string record;
  std::string expected;
};
// Test names show the case by its name.
void PrintTo(const InsertCase& c, std::ostream* os) { *os << c.name; }

class InsertRecord : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertRecord, KeepsTimeOrder) {
  std::string store = GetParam().store;
  EXPECT_TRUE(twcal::insert_record(store, GetParam().record));
  EXPECT_EQ(store, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertRecord,
    testing::Values(InsertCase{"into_empty_year", "~", kA, kA + "~"},
                    InsertCase{"before_an_equal_stamp", kA + "~", kSameTimeAsA, kSameTimeAsA + kA + "~"},
                    InsertCase{"after_earlier_same_day", kA + "~", kB, kA + kB + "~"},
                    InsertCase{"between", kOtherMonth + kOtherDay + kB + "~", kA, kOtherMonth + kOtherDay + kA + kB + "~"},
                    InsertCase{"before_later_months", kA + "~", kOtherMonth, kOtherMonth + kA + "~"},
                    InsertCase{"damaged_record_passed_over", kDamaged + kB + "~", kA, kDamaged + kA + kB + "~"},
                    InsertCase{"store_without_final_separator", "", kA, kA + "~"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InsertRecord, RefusesWhatItCannotRead) {
  std::string store = kA + "~";
  for (const std::string& bad : {kDamaged, std::string("200612250900 EVENT\n"), std::string("~2006~12250900"),
                                 std::string("~200602300900 EVENT\n")})
    EXPECT_FALSE(twcal::insert_record(store, bad)) << bad;
  EXPECT_EQ(store, kA + "~");
}

TEST(RemoveRecords, RemovesEveryCopy) {
  std::string store = kA + kB + kA + "~";
  EXPECT_EQ(twcal::remove_records(store, kA), 2u);
  EXPECT_EQ(store, kB + "~");
  EXPECT_EQ(twcal::remove_records(store, kA), 0u);
  EXPECT_EQ(store, kB + "~");
}

TEST(RemoveRecords, KeepsARecordThatOnlyBeginsWithTheText) {
  const std::string longer = kA + "more notes\n";
  std::string store = longer + kA + "~";
  EXPECT_EQ(twcal::remove_records(store, kA), 1u);
  EXPECT_EQ(store, longer + "~");
}

TEST(ReplaceRecords, ReplacesWholeCopiesInPlace) {
  const std::string a_edited = kA.substr(0, kA.size() - 1) + "\nnotes\n";
  std::string store = kOtherDay + kA + "more\n" + kA + kB + "~";
  EXPECT_EQ(twcal::replace_records(store, kA, a_edited), 1u);
  EXPECT_EQ(store, kOtherDay + kA + "more\n" + a_edited + kB + "~");
  EXPECT_EQ(twcal::replace_records(store, a_edited, "~a~b"), 0u);
}

TEST(ForEachRecord, VisitsTheTextBetweenSeparators) {
  std::vector<std::string> seen;
  twcal::for_each_record("junk~one~~two~", [&](std::string_view r) { seen.emplace_back(r); });
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "", "two"}));
}

}  // namespace
