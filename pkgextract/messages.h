// The one routine every message goes through: an optional first text and
// ": ", then the second text (no line end), then by kind: return, end the
// run, or wait for a key.
#pragma once

#include <string>
#include <string_view>

#include "pkgextract/console.h"

namespace pkgx {

inline constexpr int kExitComplete = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFatal = 3;

enum class MessageKind { kInformation, kFatal, kPrompt };

enum class PromptAnswer { kRetry, kIgnore, kOther };

// Thrown by a fatal message and caught where the run began, so that every
// open file is closed on the way out before the program exits with the code.
struct RunStopped {
  int exit_code;
};

class Messenger {
 public:
  explicit Messenger(Console& console) : console_(console) {}

  // An empty first text is absent. A fatal message does not return.
  PromptAnswer message(std::string_view first, std::string_view second, MessageKind kind);

  void information(std::string_view first, std::string_view second) {
    message(first, second, MessageKind::kInformation);
  }
  [[noreturn]] void fatal(std::string_view first, std::string_view second);
  PromptAnswer prompt(std::string_view first, std::string_view second) {
    return message(first, second, MessageKind::kPrompt);
  }

  Console& console() { return console_; }

 private:
  Console& console_;
};

// Fills the one %d of a message format.
std::string format_number(std::string_view format, long value);

}  // namespace pkgx
