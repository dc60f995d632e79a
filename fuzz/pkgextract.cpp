// Input: one byte of flags, then, with the key flag, a length byte and the
// key, then the archive's bytes. The extractor runs in a directory 32
// levels below a scratch folder, so that no chain of ".." a name can hold
// reaches past the folder; afterwards every file in the folder must be the
// archive or lie under the root directory.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pkgextract/console.h"
#include "pkgextract/program.h"

namespace {

namespace fs = std::filesystem;

// No one at the console: output goes nowhere, and every prompt meets the
// end of the input.
class NullConsole final : public pkgx::Console {
 public:
  void write(std::string_view) override {}
  std::optional<unsigned char> read_key() override { return std::nullopt; }
};

struct Scratch {
  fs::path base;
  fs::path work;  // the current directory of every run
  Scratch() {
    char pattern[] = "/tmp/fuzz_pkgextract_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    base = pattern;
    work = base;
    for (int i = 0; i < 32; ++i) work /= "l";
    fs::create_directories(work);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }
};

Scratch& scratch() {
  static Scratch s;
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Scratch& s = scratch();
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  std::size_t at = 1;
  std::vector<std::string> tokens = {"pkgextract", "-x", "-d", "root", "-f", "archive"};
  if (flags & 1) {
    if (size < 2) return 0;
    const std::size_t length = std::min<std::size_t>(data[1] % 16 + 1, size - 2);
    if (length == 0) return 0;
    tokens.push_back("-k");
    tokens.emplace_back(reinterpret_cast<const char*>(data + 2), length);
    at = 2 + length;
  }
  if (flags & 2) tokens.insert(tokens.end(), {"-6", "1"});
  if (flags & 4) tokens.push_back("-v");
  {
    std::ofstream out(s.work / "archive", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + at), static_cast<std::streamsize>(size - at));
  }
  // The run's current directory is the deep one; the fuzzer's own is given
  // back afterwards (it keeps its corpus relative to it).
  const fs::path saved = fs::current_path();
  fs::current_path(s.work);
  NullConsole console;
  const int code = pkgx::run(tokens, console);
  fs::current_path(saved);
  if (code != 0 && code != 3) std::abort();

  const fs::path root = fs::weakly_canonical(s.work / "root");
  for (const auto& entry : fs::recursive_directory_iterator(s.base)) {
    const fs::path p = entry.path();
    if (p == s.work / "archive") continue;
    const bool on_the_way_down = (s.work.string() + "/").starts_with(p.string() + "/");
    if (entry.is_directory() && on_the_way_down) continue;
    const auto rel = p.lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..") {
      std::fprintf(stderr, "written outside the root: %s\n", p.c_str());
      std::abort();
    }
  }
  std::error_code ec;
  fs::remove_all(s.work / "root", ec);
  return 0;
}
