#include "pkgextract/program.h"

#include <optional>

#include "pkgextract/entry_loop.h"
#include "pkgextract/messages.h"
#include "pkgextract/options.h"
#include "pkgextract/selection.h"

namespace pkgx {

int run(const std::vector<std::string>& tokens, Console& console) {
  Messenger messenger(console);
  try {
    const ParsedCommandLine command = parse_command_line(tokens, console);
    if (command.usage_shown) return kExitUsage;
    const RunSettings& settings = command.settings;

    std::optional<ArchiveInput> input;
    std::optional<PlainStream> plain;
    if (settings.archive) {
      input.emplace(*settings.archive, messenger);
      plain.emplace(*input, Layers{settings.text_input, settings.key}, messenger);
      // The first 64 deciphered bytes are a lead-in.
      if (settings.key) plain->skip(kCipherUnit);
    }

    SelectionList selection;
    selection.add_arguments(command.selection_arguments, messenger);

    if (input) run_entry_loop(*input, *plain, selection, settings, messenger);
    return kExitComplete;
  } catch (const RunStopped& stop) {
    return stop.exit_code;
  }
}

}  // namespace pkgx
