// The process's console: standard output written through at once, and single
// key presses from standard input.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

// Writes the whole text to standard output before returning, unbuffered, so
// that a line ended by a carriage return alone shows as soon as it is written.
void write_stdout(std::string_view text);

// Reads one key press. When standard input is a terminal it is switched to
// non-canonical mode without echo for the read (signals stay on), so a key
// counts without waiting for a line; otherwise one byte is read. nullopt
// when the input has ended or cannot be read.
std::optional<unsigned char> read_key();

}  // namespace platform
