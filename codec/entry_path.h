// Entry names as paths. Names come from data that may have been made on
// another system, so both "/" and "\" separate directories; a name that is
// absolute, starts with a drive letter or climbs with ".." would write
// outside the directory it is applied in, and is refused.
#pragma once

#include <span>
#include <string_view>

namespace codec {

bool is_safe_entry_name(std::string_view name);

// Writes the name with every "\" turned into "/" and a terminating NUL into
// `out`; false, writing nothing, when it does not fit.
bool copy_entry_path(std::string_view name, std::span<char> out);

}  // namespace codec
