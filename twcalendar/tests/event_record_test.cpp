#include "twcal/event_record.h"

#include <gtest/gtest.h>

#include <ostream>

#include "twcal/lead_times.h"

namespace {

struct LeadCase {
  const char* name;
  std::string_view record;
  long long minutes;
};
// Test names show the case by its name.
void PrintTo(const LeadCase& c, std::ostream* os) { *os << c.name; }

class LeadMinutes : public testing::TestWithParam<LeadCase> {};

TEST_P(LeadMinutes, ReadsLineThree) { EXPECT_EQ(twcal::lead_minutes(GetParam().record), GetParam().minutes); }

INSTANTIATE_TEST_SUITE_P(
    Cases, LeadMinutes,
    testing::Values(LeadCase{"plain", "200612250900 EVENT\nS\n200612251000 30\nN\n", 30},
                    LeadCase{"no_notes_no_lf", "200612250900 EVENT\nS\n200612251000 1440", 1440},
                    LeadCase{"zero", "200612250900 EVENT\nS\n200612251000 0\nN\n", 0},
                    LeadCase{"not_numeric", "200612250900 EVENT\nS\n200612251000 3O\nN\n", 0},
                    LeadCase{"blank_only_on_a_later_line", "200612250900 EVENT\nS\n200612251000\nN x\n", 0},
                    LeadCase{"empty_field", "200612250900 EVENT\nS\n200612251000 \nN\n", 0},
                    LeadCase{"two_lines_only", "200612250900 EVENT\nS 15\n", 0},
                    LeadCase{"overlong", "200612250900 EVENT\nS\n200612251000 99999999999\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct TwinCase {
  const char* name;
  std::string_view event;
  std::string_view twin;  // empty: none
};
// Test names show the case by its name.
void PrintTo(const TwinCase& c, std::ostream* os) { *os << c.name; }

class TwinOf : public testing::TestWithParam<TwinCase> {};

TEST_P(TwinOf, DerivesTheReminderAndBack) {
  EXPECT_EQ(twcal::twin_of(GetParam().event), GetParam().twin);
  if (!GetParam().twin.empty()) {
    EXPECT_EQ(twcal::event_of(GetParam().twin), GetParam().event);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TwinOf,
    testing::Values(
        TwinCase{"thirty_minutes", "200612250900 EVENT\nDentist\n200612251000 30\nBring card\n",
                 "200612250830 REMINDER\nDentist\n200612251000 30\nBring card\n"},
        TwinCase{"leap_day", "200803010000 EVENT\nS\n200803010100 1440\n",
                 "200802290000 REMINDER\nS\n200803010100 1440\n"},
        TwinCase{"previous_year", "200701010010 EVENT\nS\n200701010110 15\nN",
                 "200612312355 REMINDER\nS\n200701010110 15\nN"},
        TwinCase{"no_reminder", "200612250900 EVENT\nS\n200612251000 0\n", ""},
        TwinCase{"damaged_stamp", "2006122509x0 EVENT\nS\n200612251000 30\n", ""},
        TwinCase{"not_a_date", "200602300900 EVENT\nS\n200612251000 30\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventOf, UnreadableTwinGivesNothing) { EXPECT_EQ(twcal::event_of("garbage"), ""); }

TEST(FormatRecord, WritesTheLinesAndKeepsSeparatorsOutOfUserText) {
  const std::string record = twcal::format_record({.start = {2006, 4, 15, 9, 0},
                                                   .kind = twcal::kKindEvent,
                                                   .subject = "Call ~Jo\n",
                                                   .end = {2006, 4, 15, 10, 0},
                                                   .lead_minutes = 1440,
                                                   .notes = "a~b\n"});
  EXPECT_EQ(record, "200604150900 EVENT\nCall -Jo \n200604151000 1440\na-b\n");
  EXPECT_EQ(twcal::lead_minutes(record), 1440);
}

TEST(LeadTimes, IndexOfMinutes) {
  EXPECT_EQ(twcal::lead_time_index(0), 0u);
  EXPECT_EQ(twcal::lead_time_index(40320), 13u);
  EXPECT_EQ(twcal::lead_time_index(45), std::nullopt);
}

}  // namespace
