#include "pkgextract/messages.h"

#include "pkgextract/texts.h"

namespace pkgx {
namespace {

constexpr std::size_t kFirstTextLimit = 80;
constexpr unsigned char kEscape = 0x1B;

}  // namespace

PromptAnswer Messenger::message(std::string_view first, std::string_view second,
                                MessageKind kind) {
  std::string out;
  if (!first.empty()) {
    out.append(first.substr(0, kFirstTextLimit));
    out.append(text::kFirstTextSeparator);
  }
  out.append(second);
  if (kind == MessageKind::kPrompt) out.append(text::kPressReturn);
  console_.write(out);

  switch (kind) {
    case MessageKind::kInformation:
      return PromptAnswer::kOther;
    case MessageKind::kFatal:
      throw RunStopped{kExitFatal};
    case MessageKind::kPrompt:
      break;
  }
  // The end of the input answers "ignore", so an unattended run never waits.
  const auto key = console_.read_key();
  if (!key || *key == kEscape) return PromptAnswer::kIgnore;
  if (*key == '\r' || *key == '\n') return PromptAnswer::kRetry;
  return PromptAnswer::kOther;
}

void Messenger::fatal(std::string_view first, std::string_view second) {
  message(first, second, MessageKind::kFatal);
  throw RunStopped{kExitFatal};  // not reached; keeps [[noreturn]] honest
}

std::string format_number(std::string_view format, long value) {
  std::string out(format);
  const auto at = out.find("%d");
  if (at != std::string::npos) out.replace(at, 2, std::to_string(value));
  return out;
}

}  // namespace pkgx
