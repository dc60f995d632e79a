// Files packed and unpacked from a shell through tarnhost and blockio32.
// (The largest block is covered by the codec's own tests.)
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

using testsupport::read_text;
using testsupport::run_process;
using testsupport::write_file;

const std::string kTarnhost = std::string(TW_BIN_DIR) + "/tarnhost";
const std::string kLibrary = std::string(TW_LIB_DIR) + "/blockio32a.so";

long field(const std::string& json, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(json, m, std::regex("\"" + key + "\":(-?[0-9]+)"))) return -999;
  return std::stol(m[1]);
}

std::string mixed(std::size_t size) {
  std::mt19937 rng(11);
  std::string out;
  while (out.size() < size) {
    if (rng() % 4 == 0)
      out += static_cast<char>(rng());
    else
      out += "Schedule C: profit or loss from business\n";
  }
  out.resize(size);
  return out;
}

TEST(Bwt2ThroughTarnhost, FilesComeBackUnchanged) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"empty", ""},
      {"one byte", "\x7f"},
      {"mixed", mixed(300000)},
      {"zeros", std::string(1000000, '\0')},
  };
  for (const auto& [name, contents] : files) {
    testsupport::ScratchDir dir;
    write_file(dir / "F", contents);
    const auto pack = run_process(
        {kTarnhost, kLibrary, "Bwt2Pack", "--value-file", "F", "--out", "S"}, {}, dir.path().string());
    ASSERT_EQ(pack.exit_code, 0) << name << pack.err;
    EXPECT_EQ(field(pack.out, "status"), 0) << name;
    EXPECT_EQ(field(pack.out, "leaked"), 0) << name;

    const auto unpack = run_process(
        {kTarnhost, kLibrary, "Bwt2Unpack", "--stream-file", "S", "--out", "G"}, {}, dir.path().string());
    ASSERT_EQ(unpack.exit_code, 0) << name << unpack.err;
    EXPECT_EQ(field(unpack.out, "status"), 0) << name;
    EXPECT_EQ(field(unpack.out, "leaked"), 0) << name;
    EXPECT_EQ(field(unpack.out, "handoffs"), contents.empty() ? 0 : 1) << name;
    EXPECT_TRUE(read_text(dir / "G") == contents) << name;
  }
}

}  // namespace
