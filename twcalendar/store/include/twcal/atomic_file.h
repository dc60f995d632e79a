// Replacing a file so that a crash at any moment leaves either the old
// content or the new one, never a mixture.
#pragma once

#include <filesystem>
#include <string_view>

namespace twcal {

// The temporary file that write_file_atomically() fills before it renames it
// over `path`.
std::filesystem::path temporary_beside(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`. Returns false, leaving `path` as it was, on failure.
bool write_file_atomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace twcal
