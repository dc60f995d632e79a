// Loads an arbitrary year file and drop file into the calendar's event store
// and runs its operations on whatever records they hold.
//
// Input: year file, NUL, drop file, NUL, operation bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "twcal/event_record.h"
#include "twcal/event_store.h"
#include "twcal/year_file.h"
#include "twcal/year_store.h"

namespace {

namespace fs = std::filesystem;

constexpr int kYear = 2006;

void require(bool holds) {
  if (!holds) std::abort();
}

// A product directory for the whole run, on a memory file system when there
// is one: every store change is flushed to disk.
const fs::path& product_dir() {
  static const fs::path dir = [] {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "tw-fuzz-store-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(product_dir(), ignored);
    });
    return fs::path(pattern);
  }();
  return dir;
}

void write(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string_view next_part(std::string_view& input) {
  const std::size_t end = input.find('\0');
  const std::string_view part = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return part;
}

std::vector<std::string> records_of(std::string_view store) {
  std::vector<std::string> records;
  twcal::for_each_record(store, [&](std::string_view r) { records.emplace_back(r); });
  return records;
}

// Year file and year store agree exactly for stores that a calendar writes:
// every record but the last ends in LF and no text looks like a tag.
void check_year_file_round_trip(std::string_view store) {
  if (store.empty() || store.front() != '~' || store.back() != '~' || store.find("dt") != std::string_view::npos)
    return;
  const std::size_t last = store.size() - 1;
  for (std::size_t at = store.find('~', 1); at < last; at = store.find('~', at + 1))
    if (store[at - 1] != '\n') return;
  require(twcal::year_store_from_file(twcal::year_file_from_store(store)) == store);
}

void check_record(const std::string& record) {
  const std::string twin = twcal::twin_of(record);
  if (twin.empty()) return;
  require(twcal::kind_letter(twin) == twcal::kReminderLetter);
  const std::size_t line_end = record.find('\n');
  if (record.substr(0, line_end) == record.substr(0, twcal::kStampLength) + " EVENT")
    require(twcal::event_of(twin) == record);
}

void run_operations(twcal::CEventStore& store, std::string_view ops) {
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const auto records = records_of(store.text());
    const unsigned char op = static_cast<unsigned char>(ops[i]);
    const std::string picked =
        records.empty() ? std::string("~") : "~" + records[(i * 31 + op) % records.size()];
    switch (op % 8) {
      case 0:
        // A record of another year goes to that year's file, not into this store.
        if (store.insert(picked) && twcal::record_stamp(std::string_view(picked).substr(1))->year == store.year())
          require(twcal::contains_record(store.text(), picked));
        break;
      case 1:
        store.remove(picked);
        require(!twcal::contains_record(store.text(), picked));
        break;
      case 2: {
        const std::string twin = twcal::twin_of(std::string_view(picked).substr(1));
        if (!twin.empty()) store.replace(picked, "~" + twin);
        break;
      }
      case 3: {
        twcal::EditResult edit;
        edit.delete_requested = true;
        edit.existing_record = true;
        edit.old_record = picked;
        edit.old_twin = "~" + twcal::twin_of(std::string_view(picked).substr(1));
        store.apply_edit(edit);
        break;
      }
      case 4: {
        const auto start = twcal::record_stamp(std::string_view(picked).substr(1));
        if (!start) break;
        const auto moved = twcal::add_minutes(*start, static_cast<long long>(op) * 997 - 120000);
        if (!moved) break;
        twcal::EditResult edit;
        edit.save_requested = true;
        edit.existing_record = true;
        edit.start_changed = (op & 0x10) != 0;
        edit.reminder_changed = (op & 0x20) != 0;
        edit.old_record = picked;
        edit.old_twin = twcal::edit_twin(picked, *start);
        edit.new_record = "~" + twcal::with_first_line(std::string_view(picked).substr(1), *moved, twcal::kKindEvent);
        edit.lead_time = twcal::lead_minutes(edit.new_record.substr(1));
        edit.new_twin = twcal::edit_twin(edit.new_record, *moved);
        store.apply_edit(edit);
        break;
      }
      case 5:
        for (const auto& twin : store.due_twins()) twcal::event_of(twin);
        break;
      case 6: {
        const auto days = store.month_events(kYear, op / 8 % 12 + 1);
        for (const auto& day : days) require(day.empty() || day.back() == '~');
        break;
      }
      case 7:
        store.switch_year(kYear + (op & 0x08 ? 1 : 0));
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view year_file = next_part(input);
  const std::string_view drop_file = next_part(input);
  const std::string_view ops = input;

  const fs::path& dir = product_dir();
  fs::remove_all(dir / "utils");
  fs::remove_all(dir / "tmp");
  fs::create_directories(dir / "utils/twcalendar");
  fs::create_directories(dir / "tmp");
  write(twcal::year_file_path(dir, kYear), year_file);
  write(dir / "tmp/twreminder", drop_file);

  const std::string loaded = twcal::year_store_from_file(year_file);
  require(!loaded.empty() && loaded.back() == '~');
  check_year_file_round_trip(loaded);
  for (const auto& record : records_of(loaded)) check_record(record);

  twcal::CEventStore store({dir, [] { return twcal::DateTime{kYear, 6, 15, 12, 0}; }, {}});
  require(store.text() == loaded);
  store.import_drop_file();
  run_operations(store, ops);
  check_year_file_round_trip(store.text());
  return 0;
}
