// Matching of selection patterns against entry names, without backtracking:
// "?" takes one character, "*" runs up to and including the first
// occurrence of the character after it (or takes the rest of the name when
// it ends the pattern), others compare case-insensitively. A matched
// pattern must end at the end of the name or at a "/" or "\", so a
// directory selects what lies below it. Names beginning with "." match no
// pattern of one or more characters.
#pragma once

#include <string_view>

namespace pkgx {

bool pattern_matches(std::string_view pattern, std::string_view name);

}  // namespace pkgx
