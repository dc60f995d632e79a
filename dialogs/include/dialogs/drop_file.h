// The drop file through which the reminder program hands event records to the
// calendar.
//
// Writers append one record per run and never replace the file, so a record
// the calendar has not taken yet is never overwritten. The calendar takes the
// file by renaming it to a private name and reads that. Both sides hold an
// exclusive advisory lock on the open file while they write or read it, and a
// writer that finds its open file renamed away under the lock writes to the
// new file at the path instead: so a record appended at the moment of the
// rename is either read with the taken file or left for the next import,
// never lost.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dialogs {

// The drop file, relative to the product directory.
inline constexpr std::string_view kDropFilePath = "tmp/twreminder";

// Appends `record` (one record with its leading "~", see is_single_record)
// to the drop file in one write, creating the file when it does not exist.
// Returns false when the record is not a single record or the file cannot be
// opened or written; the file is then unchanged.
bool append_drop_record(const std::filesystem::path& drop_file, std::string_view record);

// Reads a drop file that was renamed away from its path, after any writer
// that still holds it has finished. Empty when it cannot be opened.
std::optional<std::string> read_taken_drop_file(const std::filesystem::path& taken_file);

namespace detail {
// append_drop_record() that calls `after_open` between opening the file and
// locking it: the moment at which the calendar may take the file away.
bool append_drop_record(const std::filesystem::path& drop_file, std::string_view record,
                        const std::function<void()>& after_open);
}  // namespace detail

}  // namespace dialogs
