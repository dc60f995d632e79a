// Saves one year again and again, adding and removing one record, until it is
// killed.
//   save_loop PRODUCT_DIR
#include <cstdio>

#include "twcal/event_store.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: save_loop PRODUCT_DIR\n");
    return 2;
  }
  twcal::CEventStore store({argv[1], [] { return twcal::DateTime{2006, 6, 1, 12, 0}; }, {}});
  const std::string record = "~200606011200 EVENT\nComes and goes\n200606011300 0\nnotes\n";
  for (;;) {
    store.insert(record);
    store.remove(record);
  }
}
