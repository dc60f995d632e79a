#include "twcal/edit_result.h"

#include "twcal/event_record.h"
#include "twcal/year_store.h"

namespace twcal {

std::string edit_twin(std::string_view record, const DateTime& reminder) {
  if (!record.empty() && record.front() == kRecordSeparator) record.remove_prefix(1);
  return kRecordSeparator + with_first_line(record, reminder, kKindReminder);
}

}  // namespace twcal
