#include "dialogs/record_text.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using dialogs::RecordField;

struct SafeCase {
  const char* name;
  RecordField field;
  std::string_view in;
  std::string_view out;
};
// Test names show the case by its name.
void PrintTo(const SafeCase& c, std::ostream* os) { *os << c.name; }

class RecordSafeText : public testing::TestWithParam<SafeCase> {};

TEST_P(RecordSafeText, Converts) {
  EXPECT_EQ(dialogs::record_safe_text(GetParam().in, GetParam().field), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordSafeText,
    testing::Values(
        SafeCase{"plain_text_unchanged", RecordField::notes, "Bring card\n", "Bring card\n"},
        SafeCase{"separators_replaced", RecordField::notes, "~a~~b~", "-a--b-"},
        SafeCase{"subject_line_breaks_become_blanks", RecordField::subject, "Call\r\nJo\n~",
                 "Call  Jo -"},
        SafeCase{"notes_keep_line_breaks", RecordField::notes, "a\r\nb\n", "a\r\nb\n"},
        SafeCase{"tag_lookalike_loses_its_tab", RecordField::notes, "see dt0003\tthere",
                 "see dt0003 there"},
        SafeCase{"five_digit_tag_lookalike", RecordField::subject, "dt10000\t", "dt10000 "},
        SafeCase{"short_digits_keep_tab", RecordField::notes, "dt123\tx", "dt123\tx"},
        SafeCase{"other_tabs_kept", RecordField::notes, "a\tb 0001\tc", "a\tb 0001\tc"},
        SafeCase{"empty", RecordField::subject, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IsSingleRecord, AcceptsExactlyOneNonEmptyRecord) {
  EXPECT_TRUE(dialogs::is_single_record("~200604150900 EVENT\nx\n200604151000 30\nn"));
  EXPECT_FALSE(dialogs::is_single_record(""));
  EXPECT_FALSE(dialogs::is_single_record("~"));
  EXPECT_FALSE(dialogs::is_single_record("no separator"));
  EXPECT_FALSE(dialogs::is_single_record("~one~two"));
}

}  // namespace
