// One run of the extractor over its command-line tokens: options, opening
// the archive, the selection, and the entry loop. Returns the exit code.
#pragma once

#include <string>
#include <vector>

#include "pkgextract/console.h"

namespace pkgx {

int run(const std::vector<std::string>& tokens, Console& console);

}  // namespace pkgx
