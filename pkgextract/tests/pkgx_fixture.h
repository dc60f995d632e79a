// What the end-to-end tests share: a scratch directory to work in, the
// built extractor run there (in UTC, so dates are fixed), and archives made
// by the writer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pkgextract/tests/archive_writer.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace pkgx::testing {

inline const std::string kExtractor = std::string(TW_BIN_DIR) + "/pkgextract";

// 2006-01-05 12:00:01 UTC.
inline constexpr std::uint32_t kNoonAndOneSecond = 1136462401;

inline writer::Bytes bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

inline writer::Bytes pseudo_random(std::size_t n, std::uint32_t seed) {
  writer::Bytes out(n);
  for (auto& b : out) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
  return out;
}

class PkgxTest : public ::testing::Test {
 protected:
  testsupport::ProcessResult run(const std::vector<std::string>& args,
                                 const std::string& input = {}) {
    std::vector<std::string> argv = {"/usr/bin/env", "TZ=UTC", kExtractor};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::run_process(argv, input, dir_.path().string());
  }

  // Writes the archive (each volume after the first as NAME.2, NAME.3, ...)
  // and returns its name.
  std::string make_archive(const std::vector<writer::FileItem>& files,
                           const writer::Options& options = {}, const std::string& name = "pkg") {
    const auto volumes = writer::build_archive(files, options);
    for (std::size_t v = 0; v < volumes.size(); ++v)
      put(v == 0 ? name : name + "." + std::to_string(v + 1), volumes[v]);
    return name;
  }

  void put(const std::string& name, const writer::Bytes& bytes) {
    writer::write_bytes(dir_ / name, bytes);
  }
  void put(const std::string& name, const std::string& text) { put(name, bytes_of(text)); }
  writer::Bytes get(const std::string& name) { return testsupport::read_file(dir_ / name); }
  bool exists(const std::string& name) { return std::filesystem::exists(dir_ / name); }

  testsupport::ScratchDir dir_;
};

}  // namespace pkgx::testing
