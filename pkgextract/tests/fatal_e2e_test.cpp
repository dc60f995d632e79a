// Every fatal message, its second text and exit code 3; and that refused
// names and paths write nothing.
#include <gtest/gtest.h>

#include "codec/package_entry.h"
#include "pkgextract/tests/pkgx_fixture.h"
#include "pkgextract/text_carrier.h"

namespace pkgx::testing {
namespace {

using writer::Bytes;

class PkgxFatal : public PkgxTest {
 protected:
  void expect_fatal(const std::vector<std::string>& args, const std::string& out) {
    const auto r = run(args);
    EXPECT_EQ(r.exit_code, 3) << out;
    EXPECT_EQ(r.out, out);
  }

  // One block holding exactly `entries`.
  void put_entries(const std::string& name, const Bytes& entries) {
    put(name, writer::make_block(entries));
  }
};

TEST_F(PkgxFatal, OpeningTheArchive) {
  put("empty", "");
  std::filesystem::create_directory(dir_ / "adir");
  Bytes second = writer::split_volumes(bytes_of("payload bytes"), 2)[1];
  put("second", second);
  expect_fatal({"-f", "absent"}, "Unable to open: absent");
  expect_fatal({"-f", "empty"}, "Archive file empty: empty");
  expect_fatal({"-f", "adir"}, "Unable to read: adir");
  expect_fatal({"-f", "second"}, "Need First Volume: second");
}

TEST_F(PkgxFatal, DamagedText) {
  writer::Options options;
  options.text_units_per_line = 1;
  const std::string text = [&] {
    const Bytes b = writer::build_archive({{"f", pseudo_random(1000, 1), 0}}, options)[0];
    return std::string(b.begin(), b.end());
  }();
  // Line 2's header follows the first unit and its CR LF.
  const std::size_t header2 = kTextUnit + 2;
  ASSERT_EQ(text.substr(header2, 6), "00002:");

  std::string skipped = text;
  skipped[header2 + 4] = '3';
  put("skipped", skipped);
  expect_fatal({"-6", "1", "-f", "skipped"}, "Line 2 Missing from DidivIziv: skipped");

  std::string checked = text;
  checked[header2 + 7] ^= 0x01;
  put("checked", checked);
  expect_fatal({"-6", "1", "-f", "checked"}, "DidivIziv Error on line 2: checked");

  std::string changed = text;
  changed[5] = static_cast<char>(changed[5] == '!' ? '"' : '!');  // a data character of line 1
  put("changed", changed);
  expect_fatal({"-6", "1", "-f", "changed"}, "DidivIziv Error on line 2: changed");
}

TEST_F(PkgxFatal, EntriesThatDoNotFit) {
  // Larger than 65,112 bytes: a 150-byte name with a full chunk.
  Bytes big;
  ASSERT_TRUE(codec::append_entry(big, std::string(150, 'n'), 0, 0, Bytes(65000, 1), true));
  put_entries("big", big);
  expect_fatal({"-f", "big"}, "HDR error: big");

  // The largest that is taken: 65,112 bytes exactly (name of 99).
  Bytes largest;
  ASSERT_TRUE(codec::append_entry(largest, std::string(99, 'n'), 0, 0, Bytes(65000, 1), true));
  ASSERT_EQ(largest.size(), 65112u);
  put_entries("largest", largest);
  EXPECT_EQ(run({"-f", "largest"}).exit_code, 0);

  // An entry running past the end of its block, and a block ending in the
  // middle of an entry's fixed part.
  Bytes past;
  ASSERT_TRUE(codec::append_entry(past, "a", 0, 0, bytes_of("0123456789"), false));
  past.resize(past.size() - 4);
  put_entries("past", past);
  expect_fatal({"-x", "-f", "past"}, "HDR error: past");
  EXPECT_FALSE(exists("a"));
  Bytes stub;
  ASSERT_TRUE(codec::append_entry(stub, "b", 0, 0, bytes_of("x"), false));
  stub.insert(stub.end(), {0xC7, 0x72, 0, 1});
  put_entries("stub", stub);
  expect_fatal({"-x", "-f", "stub"}, "  0%          1  b\r\nHDR error: stub");
}

TEST_F(PkgxFatal, OutOfMemoryForABlock) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  // A block that claims 16 MB, under an address-space limit too small for it
  // and its decoding tables.
  Bytes block = {0xD1, 0x62, 0x77, 0x74, 0xFF, 0xFF, 0xFF};
  block.resize(200, 0x55);
  put("huge", block);
  const auto r = testsupport::run_process(
      {"/bin/sh", "-c", "ulimit -v 40000; exec \"$0\" -f huge", kExtractor}, {},
      dir_.path().string());
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "Out of memory: : huge");
}

TEST_F(PkgxFatal, OutputFiles) {
  std::filesystem::create_directories(dir_ / "out/taken");
  make_archive({{"taken", bytes_of("x"), 0}});
  expect_fatal({"-x", "-d", "out", "-f", "pkg"}, "Unable to Open: out/taken");
  // /dev/full takes the open and refuses every write.
  make_archive({{"full", bytes_of("x"), 0}});
  expect_fatal({"-x", "-d", "/dev", "-f", "pkg"}, "Unable to Write: /dev/full");
}

TEST_F(PkgxFatal, UnsafeNamesAreRefusedBeforeAnythingIsWritten) {
  for (const std::string name : {"../escape", "/abs/file", "\\abs", "c:file", "Z:\\x",
                                 "a/../../escape", "a\\..\\..\\escape", "..", "x/.."}) {
    Bytes entries;
    ASSERT_TRUE(codec::append_entry(entries, "ok", 0, 0, bytes_of("fine"), false));
    ASSERT_TRUE(codec::append_entry(entries, name, 0, 0, bytes_of("bad"), false));
    put_entries("pkg", entries);
    std::filesystem::create_directories(dir_ / "root/sub");
    const auto r = run({"-x", "-d", "root/sub", "-f", "pkg"});
    EXPECT_EQ(r.exit_code, 3) << name;
    // Names are stored lower-cased.
    std::string stored = name;
    for (auto& c : stored) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(r.out, "  0%          4  ok\r\nUnsafe name refused: " + stored) << name;
  }
  EXPECT_FALSE(exists("escape"));
  EXPECT_FALSE(exists("root/escape"));
  EXPECT_EQ(get("root/sub/ok"), bytes_of("fine"));
  // Listing alone shows such names and writes nothing.
  EXPECT_EQ(run({"-f", "pkg"}).exit_code, 0);
}

TEST_F(PkgxFatal, PathsLongerThanTheOutputBuffer) {
  // Root "r/" and a name of 92 make 94 characters: the longest path taken.
  const std::string fits(92, 'f'), too_long(93, 'g');
  make_archive({{fits, bytes_of("x"), 0}}, {}, "fits");
  make_archive({{too_long, bytes_of("x"), 0}}, {}, "long");
  EXPECT_EQ(run({"-x", "-d", "r", "-f", "fits"}).exit_code, 0);
  EXPECT_EQ(get("r/" + fits), bytes_of("x"));
  expect_fatal({"-x", "-d", "r", "-f", "long"}, "Path too long: r/" + too_long);
  EXPECT_FALSE(exists("r/" + too_long));
}

}  // namespace
}  // namespace pkgx::testing
