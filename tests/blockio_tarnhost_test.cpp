// AES, file deltas and the bitmap reader from a shell: tarnhost runs the
// subroutines of blockio32 on files, as a user checking them by hand would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <regex>
#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;
using testsupport::read_file;
using testsupport::run_process;
using testsupport::write_file;

const std::string kTarnhost = std::string(TW_BIN_DIR) + "/tarnhost";
const std::string kLibrary = std::string(TW_LIB_DIR) + "/blockio32a.so";

Bytes random_bytes(std::mt19937& rng, std::size_t n, unsigned alphabet = 256) {
  Bytes out(n);
  for (auto& b : out) b = static_cast<unsigned char>(rng() % alphabet);
  return out;
}

std::string to_hex(const Bytes& bytes) {
  std::string out;
  for (const auto b : bytes) {
    static const char* digits = "0123456789abcdef";
    out += {digits[b >> 4], digits[b & 15]};
  }
  return out;
}

// Runs tarnhost and checks that every call completed without errors or leaks.
std::vector<std::string> run_calls(const std::vector<std::string>& calls) {
  std::vector<std::string> argv{kTarnhost, kLibrary};
  argv.insert(argv.end(), calls.begin(), calls.end());
  const auto r = run_process(argv);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<std::string> lines;
  std::smatch m;
  for (std::string::size_type at = 0, end; (end = r.out.find('\n', at)) != std::string::npos;
       at = end + 1) {
    lines.push_back(r.out.substr(at, end - at));
    EXPECT_TRUE(std::regex_search(lines.back(), std::regex(R"("status":0,"errors":\[\])")))
        << lines.back();
    EXPECT_NE(lines.back().find(R"("leaked":0)"), std::string::npos) << lines.back();
  }
  return lines;
}

TEST(BlockioThroughTarnhost, EncryptionEqualsOpensslOnZeroPaddedData) {
  if (access("/usr/bin/openssl", X_OK) != 0) GTEST_SKIP() << "openssl is not installed";
  testsupport::ScratchDir dir;
  std::mt19937 rng(1);
  const Bytes key = random_bytes(rng, 16), plain = random_bytes(rng, 37);
  write_file(dir / "k", key);
  write_file(dir / "p", plain);
  run_calls({"AesKey", "--value-file", dir / "k", "--then", "AesEncrypt", "--value-file", dir / "p",
             "--out", dir / "c"});
  // The key lasts as long as the library is loaded: one process.
  run_calls({"AesKey", "--value-file", dir / "k", "--then", "AesDecrypt", "--value-file",
             dir / "c", "--out", dir / "back"});

  Bytes padded = plain;
  padded.resize(48, 0);
  const auto theirs = run_process({"/usr/bin/openssl", "enc", "-aes-128-ecb", "-nopad", "-K",
                                   to_hex(key)},
                                  std::string(padded.begin(), padded.end()));
  ASSERT_EQ(theirs.exit_code, 0) << theirs.err;
  EXPECT_EQ(to_hex(read_file(dir / "c")), to_hex(Bytes(theirs.out.begin(), theirs.out.end())));
  EXPECT_EQ(read_file(dir / "back"), padded);
}

TEST(BlockioThroughTarnhost, DeltaRebuildsTheNewFile) {
  testsupport::ScratchDir dir;
  std::mt19937 rng(2);
  const Bytes old = random_bytes(rng, 200000, 64);
  Bytes now = old;
  for (int i = 0; i < 50; ++i) {  // scattered edits and one inserted block
    now[rng() % now.size()] ^= 0x55;
  }
  const Bytes inserted = random_bytes(rng, 3000);
  now.insert(now.begin() + 100000, inserted.begin(), inserted.end());
  write_file(dir / "old", old);
  write_file(dir / "new", now);

  run_calls({"CpioGen", "--value-file", dir / "old", "--buffer-file", dir / "new", "--out",
             dir / "d"});
  const auto delta_size = read_file(dir / "d").size();
  EXPECT_GT(delta_size, 3000u);
  EXPECT_LT(delta_size, 6000u) << "mostly copies";
  run_calls({"CpioApply", "--buffer-file", dir / "old", "--stream-file", dir / "d", "--int",
             std::to_string(now.size()), "--out", dir / "new2"});
  EXPECT_EQ(read_file(dir / "new2"), now);
}

TEST(BlockioThroughTarnhost, BitmapComesBackInvertedWithItsRowLength) {
  testsupport::ScratchDir dir;
  // 12 x 2 pixels: row length 2, stride 4, 62 bytes of headers.
  Bytes bmp(62 + 8, 0);
  bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 62, bmp[18] = 12, bmp[22] = 2;
  const Bytes rows = {0x0F, 0x3C, 0xAA, 0xBB, 0xFF, 0x00, 0xCC, 0xDD};
  std::copy(rows.begin(), rows.end(), bmp.begin() + 62);
  write_file(dir / "b.bmp", bmp);

  const auto lines = run_calls({"BmapOpen", "--value-file", dir / "b.bmp", "--out", dir / "inv"});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(R"("numeric":[2])"), std::string::npos) << lines[0];
  Bytes expected = bmp;
  const Bytes inverted_rows = {0xF0, 0xC0, 0xAA, 0xBB, 0x00, 0xF0, 0xCC, 0xDD};
  std::copy(inverted_rows.begin(), inverted_rows.end(), expected.begin() + 62);
  EXPECT_EQ(read_file(dir / "inv"), expected);
}

}  // namespace
