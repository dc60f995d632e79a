// The command line of tarnhost:
//   tarnhost LIBRARY CALL [--then CALL ...]
//   CALL := SUBROUTINE [--value TEXT | --value-file FILE] [--int N] [--stream-file FILE]
//                      [--buffer-file FILE] [--buffer-capacity N] [--further TEXT] [--out FILE]
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace host {

struct CallLine {
  std::string subroutine;
  std::optional<std::string> value;
  std::optional<std::string> value_file;
  std::int32_t integer = 0;
  std::optional<std::string> stream_file;
  std::optional<std::string> buffer_file;
  std::optional<std::uint32_t> buffer_capacity;
  std::optional<std::string> further;
  std::optional<std::string> out_file;
};

struct CommandLine {
  bool help = false;
  std::string library;
  std::vector<CallLine> calls;
};

extern const char* const kTarnhostUsage;

// A usage error comes back as its message.
std::variant<CommandLine, std::string> parse_command_line(const std::vector<std::string>& args);

}  // namespace host
