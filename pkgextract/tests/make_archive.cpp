// pkgx_make_archive: packs a directory tree into a package archive (for the
// sample and the benchmark; not installed).
//
//   pkgx_make_archive --from DIR --out FILE [--key KEY] [--text UNITS_PER_LINE]
//                     [--volumes N] [--block-size BYTES]
//
// With --volumes N the first volume is FILE and the others FILE.2 ... FILE.N,
// to be put in FILE's place when the extractor asks for the next disk.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "pkgextract/tests/archive_writer.h"

int main(int argc, char** argv) {
  using namespace pkgx::writer;
  std::string from, out;
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i], value = argv[i + 1];
    if (flag == "--from") from = value;
    else if (flag == "--out") out = value;
    else if (flag == "--key") options.key = value;
    else if (flag == "--text") options.text_units_per_line = std::stoul(value);
    else if (flag == "--volumes") options.volumes = std::stoul(value);
    else if (flag == "--block-size") options.block_size = std::stoul(value);
    else {
      std::fprintf(stderr, "unknown flag %s\n", flag.c_str());
      return 2;
    }
  }
  if (from.empty() || out.empty()) {
    std::fprintf(stderr, "usage: %s --from DIR --out FILE [--key KEY] [--text N] [--volumes N] "
                 "[--block-size BYTES]\n", argv[0]);
    return 2;
  }
  try {
    const auto files = build_archive(read_tree(from), options);
    for (std::size_t v = 0; v < files.size(); ++v)
      write_bytes(v == 0 ? out : out + "." + std::to_string(v + 1), files[v]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pkgx_make_archive: %s\n", e.what());
    return 1;
  }
  return 0;
}
