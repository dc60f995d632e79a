#include "pkgextract/command_line.h"

namespace pkgx {
namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool needs_quotes(std::string_view arg) {
  if (arg.empty() || arg.front() == kQuote || arg.front() == kAltQuote) return true;
  for (char c : arg)
    if (is_separator(c)) return true;
  return false;
}

}  // namespace

std::vector<std::string> tokenize(std::string_view line) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (tokens.size() < kMaxTokens) {
    while (i < line.size() && is_separator(line[i])) ++i;
    if (i >= line.size()) break;
    const char c = line[i];
    std::size_t end;
    if (c == kQuote || c == kAltQuote) {
      ++i;
      end = line.find(c, i);
      if (end == std::string_view::npos) end = line.size();
      tokens.emplace_back(line.substr(i, end - i));
      i = end < line.size() ? end + 1 : end;
    } else {
      end = i;
      while (end < line.size() && !is_separator(line[end])) ++end;
      tokens.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return tokens;
}

std::string join_arguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (i > 0) line += ' ';
    if (!needs_quotes(arg)) {
      line += arg;
      continue;
    }
    // An argument holding both quote characters cannot come back whole;
    // the double quote is the common case and wins.
    const char quote = arg.find(kQuote) == std::string_view::npos ? kQuote : kAltQuote;
    line += quote;
    line += arg;
    line += quote;
  }
  return line;
}

}  // namespace pkgx
