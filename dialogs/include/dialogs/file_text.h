// The two file routines both dialog programs use for their small text files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dialogs {

// Replaces `text` with the whole content of the file, read as bytes.
// Returns the number of bytes read, or -1 (leaving `text` empty) when the
// file cannot be opened.
long long read_file_text(const std::filesystem::path& path, std::string& text);

// Writes all bytes of `text` to the file, creating it or truncating it first.
// Returns 0 on success, -1 when the file cannot be opened or written.
int write_file_text(const std::filesystem::path& path, std::string_view text);

}  // namespace dialogs
