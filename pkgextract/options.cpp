#include "pkgextract/options.h"

#include <cctype>

#include "pkgextract/texts.h"

namespace pkgx {

std::uint32_t parse_number(std::string_view value) {
  std::uint32_t n = 0;
  for (unsigned char c : value) n = n * 10 + (c & 15u);
  return n;
}

ParsedCommandLine parse_command_line(const std::vector<std::string>& tokens, Console& console) {
  ParsedCommandLine result;
  RunSettings& s = result.settings;
  std::size_t t = 1;
  for (; t < tokens.size(); ++t) {
    const std::string& token = tokens[t];
    if (token.empty() || token[0] != '-') break;
    for (std::size_t i = 1; i < token.size(); ++i) {
      const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(token[i])));
      switch (letter) {
        case 't': s.table_of_contents = !s.table_of_contents; continue;
        case 'v': s.verbose = !s.verbose; continue;
        case 'x': s.extract = !s.extract; continue;
        case '?':
          console.write(text::kUsage);
          result.usage_shown = true;
          return result;
        case '6': case 'b': case 'c': case 'd': case 'f': case 'k': case 'm': case 'n': case 's':
          break;
        default:
          console.write(std::string(text::kUnknownOption) + token.substr(i) + text::kLineEnd);
          continue;
      }
      // A letter with a value takes the rest of its token, or the next token.
      std::string value = token.substr(i + 1);
      if (value.empty() && t + 1 < tokens.size()) value = tokens[++t];
      switch (letter) {
        case '6': s.text_input = (parse_number(value) & 1) != 0; break;
        case 'b': s.buffer_size = parse_number(value); break;
        case 'c': s.compression_level = parse_number(value); break;
        case 'm': s.older_than_days = parse_number(value); break;
        case 'n': s.newer_than_days = parse_number(value); break;
        case 's': s.min_size = parse_number(value); break;
        case 'd': s.root_directory = value.empty() ? value : value + "/"; break;
        case 'f': s.archive = value; break;
        // A key of no bytes cannot drive the cipher (it picks key bytes
        // modulo the key's length): it counts as no key.
        case 'k': s.key = value.empty() ? std::nullopt : std::optional(value); break;
      }
      break;  // the value used up the token
    }
  }
  result.selection_arguments.assign(tokens.begin() + static_cast<std::ptrdiff_t>(
                                                         std::min(t, tokens.size())),
                                    tokens.end());
  return result;
}

}  // namespace pkgx
