#include "pkgextract/entry_loop.h"

#include <cstring>

#include "codec/package_entry.h"
#include "pkgextract/block_reader.h"
#include "pkgextract/extraction.h"
#include "pkgextract/listing.h"
#include "pkgextract/texts.h"

namespace pkgx {
namespace {

// Names are C strings in the entry: a zero byte inside ends them.
std::string_view entry_name(const codec::Entry& entry) {
  const std::string_view name = entry.name_text();
  return name.substr(0, name.find('\0'));
}

}  // namespace

void run_entry_loop(ArchiveInput& input, PlainStream& plain, const SelectionList& selection,
                    const RunSettings& settings, Messenger& messenger) {
  Extractor extractor(settings.root_directory, messenger);
  std::vector<std::uint8_t> block;
  std::size_t offset = 0;
  for (;;) {
    if (offset == block.size()) {
      switch (read_block(plain, block, messenger, input.name())) {
        case BlockRead::kEnd: return;
        case BlockRead::kBroken: messenger.fatal(text::kCrcError, input.name());
        case BlockRead::kBlock: break;
      }
      offset = 0;
      continue;
    }
    // An entry must lie whole inside its block.
    const auto rest = std::span<const std::uint8_t>(block).subspan(offset);
    const auto fields = codec::read_entry_fields(rest);
    if (!fields || fields->size() > kMaxEntrySize || fields->size() > rest.size())
      messenger.fatal(text::kHdrError, input.name());
    const auto entry = codec::parse_entry(rest);
    offset += entry->size;

    const std::string_view name = entry_name(*entry);
    if (!selection.selects(name)) continue;
    if (settings.extract) extractor.apply(*entry, name);
    messenger.information({}, listing_line(plain.progress(), input.total_size(), entry->fields,
                                           name, settings.verbose));
  }
}

}  // namespace pkgx
