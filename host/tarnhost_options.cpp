#include "host/tarnhost_options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace host {

const char* const kTarnhostUsage =
    "usage: tarnhost LIBRARY CALL [--then CALL ...]\n"
    "  CALL := SUBROUTINE [--value TEXT | --value-file FILE] [--int N] [--stream-file FILE]\n"
    "                     [--buffer-file FILE] [--buffer-capacity N] [--further TEXT] [--out FILE]\n"
    "\n"
    "Loads the add-on LIBRARY once and runs each CALL in order in this process.\n"
    "  --value TEXT, --value-file FILE  the current value\n"
    "  --int N                          the integer argument (default 0)\n"
    "  --stream-file FILE               the input stream, read byte by byte\n"
    "  --buffer-file FILE               the current buffer holds the file's bytes\n"
    "  --buffer-capacity N              the current buffer's capacity (alone: an empty buffer)\n"
    "  --further TEXT                   the further argument\n"
    "  --out FILE                       receives the emitted bytes and handed-over buffers\n"
    "Prints one JSON object per call: call, status, errors, numeric, handoffs, int, int2, leaked.\n"
    "Exit status 0 when every call ran, 2 for a usage error, a library that cannot be\n"
    "loaded or a subroutine it does not offer.\n";

namespace {

std::optional<long long> parse_number(const std::string& text, long long low, long long high) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || n < low || n > high) return std::nullopt;
  return n;
}

}  // namespace

std::variant<CommandLine, std::string> parse_command_line(const std::vector<std::string>& args) {
  CommandLine line;
  for (const auto& a : args)
    if (a == "--help" || a == "-h") {
      line.help = true;
      return line;
    }
  if (args.size() < 2) return std::string("a library and at least one call are needed");
  line.library = args[0];

  std::size_t i = 1;
  while (i < args.size()) {
    CallLine call;
    call.subroutine = args[i++];
    if (call.subroutine.empty() || call.subroutine.rfind("--", 0) == 0)
      return "expected a subroutine name, found '" + call.subroutine + "'";
    while (i < args.size() && args[i] != "--then") {
      const std::string option = args[i++];
      if (i >= args.size()) return option + " needs a value";
      const std::string& arg = args[i++];
      if (option == "--value") {
        if (call.value_file) return "--value and --value-file exclude each other";
        call.value = arg;
      } else if (option == "--value-file") {
        if (call.value) return "--value and --value-file exclude each other";
        call.value_file = arg;
      } else if (option == "--int") {
        const auto n = parse_number(arg, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::uint32_t>::max());
        if (!n) return "--int needs a 32-bit number, not '" + arg + "'";
        call.integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(*n));
      } else if (option == "--stream-file") {
        call.stream_file = arg;
      } else if (option == "--buffer-file") {
        call.buffer_file = arg;
      } else if (option == "--buffer-capacity") {
        const auto n = parse_number(arg, 0, std::numeric_limits<std::uint32_t>::max());
        if (!n) return "--buffer-capacity needs a size, not '" + arg + "'";
        call.buffer_capacity = static_cast<std::uint32_t>(*n);
      } else if (option == "--further") {
        call.further = arg;
      } else if (option == "--out") {
        call.out_file = arg;
      } else {
        return "unknown option '" + option + "'";
      }
    }
    line.calls.push_back(std::move(call));
    if (i < args.size()) {
      ++i;  // --then
      if (i >= args.size()) return std::string("--then must be followed by a call");
    }
  }
  return line;
}

}  // namespace host
