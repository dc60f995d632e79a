#include "dialogs/record_text.h"

namespace dialogs {
namespace {

constexpr std::string_view kTagPrefix = "dt";
constexpr std::size_t kMinTagDigits = 4;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// True when the TAB at `tab` ends "dt" followed by at least four digits.
bool tab_ends_tag(std::string_view text, std::size_t tab) {
  std::size_t digits_begin = tab;
  while (digits_begin > 0 && is_digit(text[digits_begin - 1])) --digits_begin;
  if (tab - digits_begin < kMinTagDigits || digits_begin < kTagPrefix.size()) return false;
  return text.substr(digits_begin - kTagPrefix.size(), kTagPrefix.size()) == kTagPrefix;
}

}  // namespace

std::string record_safe_text(std::string_view text, RecordField field) {
  std::string safe(text);
  for (std::size_t i = 0; i < safe.size(); ++i) {
    char& c = safe[i];
    if (c == kRecordSeparator) {
      c = kSeparatorStandIn;
    } else if (c == '\t' && tab_ends_tag(safe, i)) {
      c = ' ';
    } else if (field == RecordField::subject && (c == '\r' || c == '\n')) {
      c = ' ';
    }
  }
  return safe;
}

bool is_single_record(std::string_view record) {
  return record.size() > 1 && record.front() == kRecordSeparator &&
         record.find(kRecordSeparator, 1) == std::string_view::npos;
}

}  // namespace dialogs
