// The run settings, read from the option tokens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pkgextract/messages.h"

namespace pkgx {

struct RunSettings {
  bool verbose = false;
  bool extract = false;
  bool table_of_contents = false;
  bool text_input = false;      // DidivIziv carrier
  std::string root_directory;   // with its "/" when not empty
  std::optional<std::string> archive;
  std::optional<std::string> key;
  // Accepted for the command line's sake; extraction does not use them.
  std::uint32_t buffer_size = 0, older_than_days = 0, newer_than_days = 0, min_size = 0,
                compression_level = 0;
};

struct ParsedCommandLine {
  RunSettings settings;
  std::vector<std::string> selection_arguments;
  bool usage_shown = false;  // "?" was given: the run ends with exit code 1
};

// tokens[0] is the program name. Writes the usage text and the notes about
// unknown options as it meets them.
ParsedCommandLine parse_command_line(const std::vector<std::string>& tokens, Console& console);

// Digits by their low four bits, so any character counts as one.
std::uint32_t parse_number(std::string_view value);

}  // namespace pkgx
