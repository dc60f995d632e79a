// Package entries from a shell: tarnhost cuts a file into entries, applies
// them back and checks them, in each build of blockio32.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_text;
using testsupport::run_process;
using testsupport::write_file;

const std::string kTarnhost = std::string(TW_BIN_DIR) + "/tarnhost";
std::string lib(char build) { return std::string(TW_LIB_DIR) + "/blockio32" + build + ".so"; }

long field(const std::string& json, const std::string& key) {
  std::smatch m;
  const std::regex re("\"" + key + "\":(-?[0-9]+)");
  if (!std::regex_search(json, m, re)) return -999;
  return std::stol(m[1]);
}

TEST(CpioThroughTarnhost, LoadApplyAndCheck) {
  testsupport::ScratchDir dir;
  fs::create_directory(dir / "data");
  std::string contents(70001, 'x');
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<char>(i * 31 % 251);
  write_file(dir / "data/f.txt", contents);
  const utimbuf times{1136073600, 1136073600};
  ASSERT_EQ(utime((dir / "data/f.txt").c_str(), &times), 0);

  const auto load = run_process({kTarnhost, lib('c'), "CpioLoad", "--value", "data/f.txt",
                                 "--buffer-capacity", "200000", "--int", "1", "--out", "e.bin"},
                                {}, dir.path().string());
  ASSERT_EQ(load.exit_code, 0) << load.err;
  EXPECT_EQ(field(load.out, "status"), 0);
  EXPECT_EQ(field(load.out, "handoffs"), 1);
  EXPECT_EQ(field(load.out, "leaked"), 0);
  const std::string entries = read_text(dir / "e.bin");
  ASSERT_GT(entries.size(), 70001u);

  for (const char build : {'a', 'b', 'c'}) {
    const auto check = run_process({kTarnhost, lib(build), "CpioChk", "--value-file", "e.bin"}, {},
                                   dir.path().string());
    EXPECT_EQ(field(check.out, "int2"), 1) << build << check.out;
  }

  fs::remove_all(dir / "data");
  // The first entry, then what follows it: offset 40 tells its size.
  const auto first = run_process({kTarnhost, lib('c'), "CpioArg", "--value-file", "e.bin"}, {},
                                 dir.path().string());
  ASSERT_EQ(field(first.out, "status"), 0) << first.out << first.err;
  const long size = field(first.out, "int");
  ASSERT_GT(size, 65000);
  write_file(dir / "e2.bin", entries.substr(static_cast<std::size_t>(size)));
  const auto second = run_process({kTarnhost, lib('c'), "CpioArg", "--value-file", "e2.bin"}, {},
                                  dir.path().string());
  ASSERT_EQ(field(second.out, "status"), 0) << second.out << second.err;

  EXPECT_EQ(read_text(dir / "data/f.txt"), contents);
  struct stat st {};
  ASSERT_EQ(stat((dir / "data/f.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1136073600);

  // Build C says a deletion entry is satisfied once the file is gone.
  write_file(dir / "del.bin", std::string("\xC7\x72\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00z\x00", 14));
  const auto gone = run_process({kTarnhost, lib('c'), "CpioChk", "--value-file", "del.bin"}, {},
                                dir.path().string());
  EXPECT_EQ(field(gone.out, "int2"), 1) << gone.out;
}

}  // namespace
