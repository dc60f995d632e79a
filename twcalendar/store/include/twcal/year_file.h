// The year file: the records of one year store, each behind a numbered tag
// "dt0001<TAB>", "dt0002<TAB>", ... (five digits from 10000 on). A tag that
// follows text not ending in LF gets an LF in front of it; the first tag never
// does. Nothing follows the last record; an empty year is an empty file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace twcal {

// Where year files live, relative to the product directory.
inline constexpr std::string_view kYearFileDirectory = "utils/twcalendar";
inline constexpr std::string_view kYearFileExtension = ".appt";

std::filesystem::path year_file_path(const std::filesystem::path& product_dir, int year);

// The tag in front of record number `n` (from 1).
std::string year_file_tag(std::size_t n);

// The year store held by a year file. Tags are taken in sequence from dt0001;
// the first missing number ends the sequence, and tags after such a gap stay
// part of the record they are in.
std::string year_store_from_file(std::string_view file);

// The year file holding a year store.
std::string year_file_from_store(std::string_view store);

}  // namespace twcal
