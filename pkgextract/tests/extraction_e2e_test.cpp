// Listing and extraction through the built program: exact listing lines,
// file contents and times, chunks, deletion entries, every layer of the
// archive, and where a run ends.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "codec/package_entry.h"
#include "pkgextract/tests/pkgx_fixture.h"

namespace pkgx::testing {
namespace {

using writer::Bytes;
using writer::FileItem;

class PkgxExtraction : public PkgxTest {};

std::time_t mtime_of(const std::filesystem::path& p) {
  struct stat st {};
  EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
  return st.st_mtime;
}

TEST_F(PkgxExtraction, ListingLinesAreExact) {
  // A compressible 65,001-byte file keeps the block inside the first
  // 5,120-byte buffer, so the progress column stays at 0.
  const Bytes big(65001, 'z');
  make_archive({{"big.bin", big, kNoonAndOneSecond}, {"Small.TXT", bytes_of("abc"), 0}});
  const auto r = run({"-tv", "-f", "pkg"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out,
            "  0%      65000  Jan  5 12:00:00 2006  big.bin\r"
            "  0%      65001  Jan  5 12:00:00 2006  big.bin\r\n"
            "  0%          3  Jan  1 00:00:00 1970  small.txt\r\n");
  EXPECT_FALSE(exists("big.bin")) << "listing must not extract";
}

TEST_F(PkgxExtraction, ProgressCountsTheBuffersTakenIn) {
  // Incompressible files: each block reaches past the first buffers.
  const Bytes a = pseudo_random(20000, 1), b = pseudo_random(20000, 2);
  writer::Options options;
  options.block_size = 1;  // one entry per block
  make_archive({{"a", a, 0}, {"b", b, 0}}, options);
  const auto size = std::filesystem::file_size(dir_ / "pkg");
  const auto r = run({"-f", "pkg"});
  ASSERT_EQ(r.exit_code, 0);
  // The first block ends in the fourth buffer (3 used up), the second in
  // the eighth (7 used up).
  char expected[128];
  std::snprintf(expected, sizeof expected, "%3u%%      20000  a\r\n%3u%%      20000  b\r\n",
                static_cast<unsigned>(3 * 5120 * 100 / size), static_cast<unsigned>(7 * 5120 * 100 / size));
  EXPECT_EQ(r.out, expected);
}

TEST_F(PkgxExtraction, FilesComeBackWithContentsAndTimes) {
  const Bytes big = pseudo_random(3 * 65000 + 17, 7);
  make_archive({{"top.txt", bytes_of("top"), 1000000000},
                {"a/b/c/deep.bin", big, 1200000000},
                {"a/b/empty", {}, 1100000000}});
  const auto r = run({"-x", "-d", "out", "-f", "pkg"});
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(get("out/top.txt"), bytes_of("top"));
  EXPECT_EQ(get("out/a/b/c/deep.bin"), big);
  EXPECT_EQ(mtime_of(dir_ / "out/top.txt"), 1000000000);
  EXPECT_EQ(mtime_of(dir_ / "out/a/b/c/deep.bin"), 1200000000);
  // An empty file travels as a deletion entry: its directories are made,
  // the file itself is absent.
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "out/a/b"));
  EXPECT_FALSE(exists("out/a/b/empty"));
}

TEST_F(PkgxExtraction, DeletionEntryRemovesTheFileAfterMakingItsDirectories) {
  std::filesystem::create_directories(dir_ / "out/d1");
  put("out/d1/gone", "old");
  make_archive({{"d1/gone", {}, 0}, {"n1/n2/never", {}, 0}});
  ASSERT_EQ(run({"-x", "-d", "out", "-f", "pkg"}).exit_code, 0);
  EXPECT_FALSE(exists("out/d1/gone"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "out/n1/n2"));
  EXPECT_FALSE(exists("out/n1/n2/never"));
}

TEST_F(PkgxExtraction, NewFileReplacesALongerOldOne) {
  // Sizes around the chunk size: 65,000 and 130,000 end with a chunk that
  // carries the continuation flag, so only the first chunk's emptying of
  // the file cuts the old tail.
  for (const std::size_t size : {100u, 65000u, 65001u, 130000u}) {
    put("old", Bytes(size + 5000, 'o'));
    const Bytes fresh = pseudo_random(size, static_cast<std::uint32_t>(size));
    make_archive({{"old", fresh, 0}});
    ASSERT_EQ(run({"-x", "-f", "pkg"}).exit_code, 0);
    EXPECT_EQ(get("old"), fresh) << size;
  }
}

TEST_F(PkgxExtraction, LaterChunksKeepWhatEarlierOnesWrote) {
  // Chunk 1 alone (no chunk 0 in this archive) writes into the existing
  // file at 65,000 and cuts it there plus its length.
  Bytes entries;
  const Bytes tail = bytes_of("tail");
  ASSERT_TRUE(codec::append_entry(entries, "f", 0, 1, tail, false));
  put("pkg", writer::blocks_of(entries, 1 << 20));
  Bytes old(70000, 'o');
  put("f", old);
  ASSERT_EQ(run({"-x", "-f", "pkg"}).exit_code, 0);
  Bytes expected(old.begin(), old.begin() + 65000);
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(get("f"), expected);
}

TEST_F(PkgxExtraction, EveryLayerCombinationReadsBack) {
  // Big enough for several reads of every buffer: the text carrier's
  // 34,140 characters, the units of a refill, the volumes.
  const std::vector<FileItem> files = {{"one.bin", pseudo_random(150000, 3), 5},
                                       {"dir/two.txt", Bytes(40000, 'q'), 6},
                                       {"dir/three", pseudo_random(333, 4), 7}};
  struct Case {
    const char* label;
    std::optional<std::string> key;
    std::optional<std::size_t> units_per_line;
    std::vector<std::string> options;
  } cases[] = {
      {"plain", {}, {}, {}},
      {"key", "secret key", {}, {"-k", "secret key"}},
      {"one-byte key", "k", {}, {"-kk"}},
      {"text, 1 unit a line", {}, 1, {"-6", "1"}},
      {"text, 40 units a line", {}, 40, {"-6", "3"}},
      {"text, 1000 units a line", {}, 1000, {"-6", "1"}},
      {"key and text", "\x90\xff high bits", 7, {"-6", "1", "-k", "\x90\xff high bits"}},
  };
  for (const auto& c : cases) {
    writer::Options options;
    options.key = c.key;
    options.text_units_per_line = c.units_per_line;
    options.block_size = 100000;
    make_archive(files, options);
    const std::string out = std::string("out-") + std::to_string(&c - cases);
    auto args = c.options;
    args.insert(args.end(), {"-x", "-d", out, "-f", "pkg"});
    const auto r = run(args);
    ASSERT_EQ(r.exit_code, 0) << c.label << ": " << r.out;
    for (const auto& f : files) EXPECT_EQ(get(out + "/" + f.name), f.contents) << c.label;
  }
}

TEST_F(PkgxExtraction, WrongKeyIsACrcError) {
  writer::Options options;
  options.key = "right";
  make_archive({{"f", bytes_of("data"), 0}}, options);
  const auto r = run({"-k", "wrong", "-x", "-f", "pkg"});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "CRC Error: pkg");
  EXPECT_FALSE(exists("f"));
}

TEST_F(PkgxExtraction, ShortZeroPaddingEndsTheArchiveAnythingElseIsACrcError) {
  const Bytes archive = writer::build_archive({{"f", bytes_of("data"), 0}}, {})[0];
  struct Case {
    Bytes tail;
    int exit_code;
  } cases[] = {
      {{}, 0},
      {Bytes(1, 0), 0},
      {Bytes(63, 0), 0},
      {Bytes(64, 0), 3},                // a whole unit of zeros is no padding
      {{0, 0, 0, 0, 1}, 3},             // junk after zeros
      {{0xD1, 0x62}, 3},                // a block cut inside its magic
      {{0xD1, 0x62, 0x77, 0x74, 0}, 3},  // cut inside its length
  };
  for (const auto& c : cases) {
    Bytes bytes = archive;
    bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
    put("pkg", bytes);
    const auto r = run({"-f", "pkg"});
    EXPECT_EQ(r.exit_code, c.exit_code) << c.tail.size();
    EXPECT_EQ(r.out, std::string("  0%          4  f\r\n") + (c.exit_code ? "CRC Error: pkg" : ""));
  }
}

TEST_F(PkgxExtraction, TruncatedArchiveIsACrcErrorNotAnEnd) {
  const Bytes archive = writer::build_archive({{"f", pseudo_random(3000, 9), 0}}, {})[0];
  for (const std::size_t cut : {archive.size() - 1, archive.size() - 4, archive.size() / 2,
                                std::size_t{8}}) {
    put("pkg", Bytes(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(cut)));
    const auto r = run({"-x", "-f", "pkg"});
    EXPECT_EQ(r.exit_code, 3) << cut;
    EXPECT_EQ(r.out, "CRC Error: pkg") << cut;
  }
}

TEST_F(PkgxExtraction, CrcMismatchInSecondBlockStopsAfterTheFirstBlocksFiles) {
  writer::Options options;
  options.block_size = 1;
  const Bytes first = pseudo_random(500, 1);
  Bytes archive = writer::build_archive({{"first", first, 0}, {"second", pseudo_random(500, 2), 0}},
                                        options)[0];
  archive.back() ^= 0x01;  // the second block's CRC, last byte
  put("pkg", archive);
  const auto r = run({"-x", "-f", "pkg"});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "  0%        500  first\r\nCRC Error: pkg");
  EXPECT_EQ(get("first"), first);
  EXPECT_FALSE(exists("second"));
}

TEST_F(PkgxExtraction, ShortArchivesAreReadFromTheirFirstByte) {
  // 16 bytes or less: no volume header is looked for, even with its magic.
  Bytes sixteen = {0xC7, 0x73, 1, 0, 0xFF, 0, 0, 0};
  sixteen.resize(16, 0);
  put("pkg16", sixteen);
  auto r = run({"-f", "pkg16"});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "CRC Error: pkg16");
  put("zeros", Bytes(10, 0));
  r = run({"-f", "zeros"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace pkgx::testing
