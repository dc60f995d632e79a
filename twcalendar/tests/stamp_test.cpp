#include "twcal/stamp.h"

#include <gtest/gtest.h>

#include <ostream>

#include <random>

namespace {

using twcal::DateTime;

struct ShiftCase {
  const char* name;
  DateTime from;
  long long minutes;
  std::optional<DateTime> to;
};
// Test names show the case by its name.
void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.name; }

class AddMinutes : public testing::TestWithParam<ShiftCase> {};

TEST_P(AddMinutes, CrossesCalendarBoundaries) {
  EXPECT_EQ(twcal::add_minutes(GetParam().from, GetParam().minutes), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddMinutes,
    testing::Values(
        ShiftCase{"within_hour", {2006, 12, 25, 9, 0}, -30, DateTime{2006, 12, 25, 8, 30}},
        ShiftCase{"into_leap_day", {2008, 3, 1, 0, 0}, -1440, DateTime{2008, 2, 29, 0, 0}},
        ShiftCase{"no_leap_day_2007", {2007, 3, 1, 0, 0}, -1440, DateTime{2007, 2, 28, 0, 0}},
        ShiftCase{"century_not_leap", {2100, 3, 1, 0, 0}, -1440, DateTime{2100, 2, 28, 0, 0}},
        ShiftCase{"four_centuries_leap", {2000, 3, 1, 0, 0}, -1440, DateTime{2000, 2, 29, 0, 0}},
        ShiftCase{"back_into_last_year", {2007, 1, 1, 0, 10}, -15, DateTime{2006, 12, 31, 23, 55}},
        ShiftCase{"forward_into_next_year", {2006, 12, 31, 23, 10}, 60, DateTime{2007, 1, 1, 0, 10}},
        ShiftCase{"four_weeks", {2006, 1, 5, 12, 0}, -40320, DateTime{2005, 12, 8, 12, 0}},
        ShiftCase{"below_stamp_range", {1000, 1, 1, 0, 0}, -1, std::nullopt},
        ShiftCase{"above_stamp_range", {9999, 12, 31, 23, 59}, 1, std::nullopt},
        ShiftCase{"absurd_shift", {2006, 1, 1, 0, 0}, 999999999999LL, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Slow reference: one day at a time with the month lengths.
DateTime step_days(DateTime t, long long days) {
  for (; days > 0; --days) {
    if (++t.day > twcal::days_in_month(t.year, t.month)) {
      t.day = 1;
      if (++t.month > 12) t.month = 1, ++t.year;
    }
  }
  for (; days < 0; ++days) {
    if (--t.day < 1) {
      if (--t.month < 1) t.month = 12, --t.year;
      t.day = twcal::days_in_month(t.year, t.month);
    }
  }
  return t;
}

TEST(AddMinutes, AgreesWithDayByDayStepping) {
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) {
    const DateTime from{2000 + static_cast<int>(random() % 100), 1 + static_cast<int>(random() % 12), 1,
                        static_cast<int>(random() % 24), static_cast<int>(random() % 60)};
    const long long minutes = static_cast<long long>(random() % 200000) - 100000;
    long long total = from.hour * 60 + from.minute + minutes;
    long long days = total >= 0 ? total / 1440 : -((-total + 1439) / 1440);
    total -= days * 1440;
    DateTime expected = step_days(from, days);
    expected.hour = static_cast<int>(total / 60);
    expected.minute = static_cast<int>(total % 60);
    ASSERT_EQ(twcal::add_minutes(from, minutes), expected) << "shift " << minutes;
  }
}

TEST(Stamp, FormatsTwelveDigitsAndParsesThemBack) {
  const DateTime t{2006, 4, 5, 7, 3};
  EXPECT_EQ(twcal::format_stamp(t), "200604050703");
  EXPECT_EQ(twcal::parse_stamp("200604050703 EVENT"), t);
}

TEST(Stamp, RefusesWhatIsNotADateTime) {
  for (const char* bad : {"20060405070", "2006040507x3", "200613010000", "200702290000", "200604310000",
                          "200604052400", "200604050760", "200600050000", "099912310000", " 00604050703"})
    EXPECT_EQ(twcal::parse_stamp(bad), std::nullopt) << bad;
  EXPECT_TRUE(twcal::parse_stamp("200802290000"));
}

}  // namespace
