#include "pkgextract/console.h"

#include "platform/console.h"

namespace pkgx {

void ProcessConsole::write(std::string_view text) { platform::write_stdout(text); }

std::optional<unsigned char> ProcessConsole::read_key() { return platform::read_key(); }

}  // namespace pkgx
