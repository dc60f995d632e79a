// The command line as one text, split into tokens: blanks, tabs, CR and LF
// separate tokens; a token that starts with a double quote or the control
// character 0x17 runs to the next occurrence of the same character (or the
// end of the line), without the quotes. At most 64 tokens, the program name
// first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pkgx {

inline constexpr std::size_t kMaxTokens = 64;
inline constexpr char kQuote = '"';
inline constexpr char kAltQuote = 0x17;

std::vector<std::string> tokenize(std::string_view line);

// The arguments the system gave us, joined back into the one line the
// extractor splits: each argument that would not come back as itself is
// quoted, with the double quote, or with 0x17 when it holds a double quote.
std::string join_arguments(int argc, const char* const* argv);

}  // namespace pkgx
