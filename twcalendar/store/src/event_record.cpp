#include "twcal/event_record.h"

#include "dialogs/record_text.h"

namespace twcal {
namespace {

// More digits than any stamp arithmetic can use; longer fields read as 0.
constexpr std::size_t kMaxLeadDigits = 9;

}  // namespace

std::optional<DateTime> record_stamp(std::string_view record) { return parse_stamp(record); }

char kind_letter(std::string_view record) {
  return record.size() > kKindLetterOffset ? record[kKindLetterOffset] : '\0';
}

long long lead_minutes(std::string_view record) {
  const std::size_t first_lf = record.find('\n');
  if (first_lf == std::string_view::npos) return 0;
  const std::size_t second_lf = record.find('\n', first_lf + 1);
  if (second_lf == std::string_view::npos) return 0;
  const std::size_t blank = record.find(' ', second_lf + 1);
  std::size_t line_end = record.find('\n', second_lf + 1);
  if (line_end == std::string_view::npos) line_end = record.size();
  if (blank == std::string_view::npos || blank > line_end) return 0;
  const std::string_view field = record.substr(blank + 1, line_end - blank - 1);
  if (field.empty() || field.size() > kMaxLeadDigits) return 0;
  long long minutes = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    minutes = minutes * 10 + (c - '0');
  }
  return minutes;
}

std::string with_first_line(std::string_view record, const DateTime& when, std::string_view kind) {
  const std::size_t first_lf = record.find('\n');
  std::string line = format_stamp(when);
  line += ' ';
  line += kind;
  if (first_lf != std::string_view::npos) line += record.substr(first_lf);
  return line;
}

std::string twin_of(std::string_view record) {
  const auto start = record_stamp(record);
  const long long lead = lead_minutes(record);
  if (!start || lead == 0) return {};
  const auto reminder = add_minutes(*start, -lead);
  if (!reminder) return {};
  return with_first_line(record, *reminder, kKindReminder);
}

std::string event_of(std::string_view twin) {
  const auto reminder = record_stamp(twin);
  if (!reminder) return {};
  const auto start = add_minutes(*reminder, lead_minutes(twin));
  if (!start) return {};
  return with_first_line(twin, *start, kKindEvent);
}

std::string format_record(const RecordFields& f) {
  using dialogs::RecordField;
  std::string record = format_stamp(f.start);
  record += ' ';
  record += f.kind;
  record += '\n';
  record += dialogs::record_safe_text(f.subject, RecordField::subject);
  record += '\n';
  record += format_stamp(f.end);
  record += ' ';
  record += std::to_string(f.lead_minutes);
  record += '\n';
  record += dialogs::record_safe_text(f.notes, RecordField::notes);
  return record;
}

}  // namespace twcal
