// Where the extractor talks to the user: text out, single keys in. The real
// console is the process's; tests and the fuzz target use their own.
#pragma once

#include <optional>
#include <string_view>

namespace pkgx {

class Console {
 public:
  virtual ~Console() = default;
  virtual void write(std::string_view text) = 0;
  // One key press; nullopt at the end of the input.
  virtual std::optional<unsigned char> read_key() = 0;
};

// Standard output and standard input of the process.
class ProcessConsole final : public Console {
 public:
  void write(std::string_view text) override;
  std::optional<unsigned char> read_key() override;
};

}  // namespace pkgx
