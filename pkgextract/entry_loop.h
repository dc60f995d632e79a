// The body of a run: blocks of the archive, the entries in them, and for each
// selected entry its extraction and its listing line.
#pragma once

#include "pkgextract/archive_input.h"
#include "pkgextract/messages.h"
#include "pkgextract/options.h"
#include "pkgextract/plain_stream.h"
#include "pkgextract/selection.h"

namespace pkgx {

// The largest entry the reader takes: a larger one is a "HDR error".
inline constexpr std::size_t kMaxEntrySize = 65112;

// Runs to the end of the archive; every failure is a fatal message.
void run_entry_loop(ArchiveInput& input, PlainStream& plain, const SelectionList& selection,
                    const RunSettings& settings, Messenger& messenger);

}  // namespace pkgx
