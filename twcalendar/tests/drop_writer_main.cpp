// Stands in for the reminder program: appends the hand-over records to a drop
// file, one at a time, pausing between them.
//   drop_writer DROP_FILE PAUSE_MICROSECONDS
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "dialogs/drop_file.h"
#include "handover_records.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: drop_writer DROP_FILE PAUSE_MICROSECONDS\n");
    return 2;
  }
  const auto pause = static_cast<useconds_t>(std::atoi(argv[2]));
  for (int i = 0; i < storetest::kHandoverRecords; ++i) {
    if (!dialogs::append_drop_record(argv[1], "~" + storetest::handover_record(i))) {
      std::fprintf(stderr, "record %d not written\n", i);
      return 1;
    }
    usleep(pause);
  }
  return 0;
}
