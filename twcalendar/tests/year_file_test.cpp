#include "twcal/year_file.h"

#include <gtest/gtest.h>

#include <ostream>

#include <random>

namespace {

struct LoadCase {
  const char* name;
  std::string_view file;
  std::string_view store;
};
// Test names show the case by its name.
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class YearFileLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(YearFileLoad, GivesTheYearStore) {
  EXPECT_EQ(twcal::year_store_from_file(GetParam().file), GetParam().store);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, YearFileLoad,
    testing::Values(
        LoadCase{"empty_file", "", "~"},
        LoadCase{"two_records", "dt0001\tA\ndt0002\tB\n", "~A\n~B\n~"},
        LoadCase{"gap_keeps_later_tags", "dt0001\tA\ndt0002\tB\ndt0004\tD\n", "~A\n~B\ndt0004\tD\n~"},
        LoadCase{"every_copy_of_a_found_tag", "x dt0002\tdt0001\tA dt0002\tB", "x ~~A ~B~"},
        LoadCase{"tag_before_its_predecessor_ends_the_run", "dt0002\tB dt0001\tA", "dt0002\tB ~A~"},
        LoadCase{"missing_lf_stays_with_its_tag", "dt0001\tA\ndt0002\tB", "~A\n~B~"},
        LoadCase{"padding_must_match", "dt0001\tA dt00002\tB dt02\tC", "~A dt00002\tB dt02\tC~"},
        LoadCase{"preamble_without_tags", "hand written", "hand written~"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SaveCase {
  const char* name;
  std::string_view store;
  std::string_view file;
};
// Test names show the case by its name.
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class YearFileSave : public testing::TestWithParam<SaveCase> {};

TEST_P(YearFileSave, TagsEveryRecord) { EXPECT_EQ(twcal::year_file_from_store(GetParam().store), GetParam().file); }

INSTANTIATE_TEST_SUITE_P(
    Cases, YearFileSave,
    testing::Values(SaveCase{"empty_year", "~", ""},
                    SaveCase{"nothing_at_all", "", ""},
                    SaveCase{"records_ending_in_lf", "~A\n~B\n~", "dt0001\tA\ndt0002\tB\n"},
                    SaveCase{"record_without_lf_gains_one", "~A~B~", "dt0001\tA\ndt0002\tB"},
                    SaveCase{"preamble_gets_its_lf", "x~A\n~", "x\ndt0001\tA\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(YearFile, WrittenFileLoadsAndSavesToTheSameBytes) {
  // A year with one event at 09:00 and its 30-minute reminder at 08:30.
  const std::string file =
      "dt0001\t200612250830 REMINDER\nDentist\n200612251000 30\nBring card\n"
      "dt0002\t200612250900 EVENT\nDentist\n200612251000 30\nBring card\n";
  EXPECT_EQ(twcal::year_file_from_store(twcal::year_store_from_file(file)), file);
}

TEST(YearFile, TagsGrowToFiveDigits) {
  EXPECT_EQ(twcal::year_file_tag(1), "dt0001\t");
  EXPECT_EQ(twcal::year_file_tag(10000), "dt10000\t");
  std::string store = "~";
  for (int i = 0; i < 10001; ++i) store += "r\n~";
  const std::string file = twcal::year_file_from_store(store);
  EXPECT_NE(file.find("\ndt9999\tr\ndt10000\tr\ndt10001\tr\n"), std::string::npos);
  EXPECT_EQ(twcal::year_store_from_file(file), store);
}

TEST(YearFile, PathUnderTheProductDirectory) {
  EXPECT_EQ(twcal::year_file_path("/p", 2006), std::filesystem::path("/p/utils/twcalendar/2006.appt"));
}

// Slow reference: the tags taken in turn, each replaced everywhere by "~".
std::string reference_load(std::string text) {
  std::size_t n = 1;
  std::size_t at = text.find(twcal::year_file_tag(n));
  while (at != std::string::npos) {
    const std::string tag = twcal::year_file_tag(n);
    for (std::size_t p = text.find(tag); p != std::string::npos; p = text.find(tag, p + 1))
      text.replace(p, tag.size(), "~");
    at = text.find(twcal::year_file_tag(++n), at);
  }
  return text + "~";
}

TEST(YearFile, LoadAgreesWithTagByTagReplacement) {
  const std::vector<std::string> pieces = {"dt0001\t", "dt0002\t", "dt0003\t", "dt0004\t", "dt00001\t", "xxxxxxxx",
                                           "dt",       "0001",     "\t",       "\n",       "a",
                                           "~",        "d",        "t0002\t"};
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    std::string file;
    for (int k = static_cast<int>(random() % 12); k > 0; --k) file += pieces[random() % pieces.size()];
    ASSERT_EQ(twcal::year_store_from_file(file), reference_load(file)) << testing::PrintToString(file);
  }
}

}  // namespace
