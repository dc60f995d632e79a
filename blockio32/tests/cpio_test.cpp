// CpioLoad, CpioArg and CpioChk through the substitute host, in a scratch
// directory that is the current directory of the calls.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "codec/package_entry.h"
#include "host/host.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using host::Bytes;
using testsupport::read_text;
using testsupport::write_file;

std::string lib(char build) {
  return std::string(TW_LIB_DIR) + "/blockio32" + static_cast<char>(build) + ".so";
}

std::string pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return s;
}

void set_mtime(const fs::path& path, std::uint32_t stamp) {
  const utimbuf times{static_cast<time_t>(stamp), static_cast<time_t>(stamp)};
  ASSERT_EQ(utime(path.c_str(), &times), 0);
}

std::uint32_t mtime_of(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return static_cast<std::uint32_t>(st.st_mtime);
}

std::vector<codec::Entry> entries_of(const Bytes& buffer) {
  std::vector<codec::Entry> out;
  codec::EntryWalker walker(buffer);
  while (auto e = walker.next()) out.push_back(*e);
  EXPECT_TRUE(walker.at_end()) << "entries must fill the buffer exactly";
  return out;
}

Bytes entry_bytes(std::string_view name, std::uint16_t index, std::string_view data, bool continued,
                  std::uint32_t stamp = 1136073600) {
  Bytes out;
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(data.data()),
                                            data.size());
  EXPECT_TRUE(codec::append_entry(out, name, stamp, index, bytes, continued));
  return out;
}

class Cpio : public ::testing::Test {
 protected:
  void SetUp() override { host.load(lib('c')); }
  testsupport::ScratchDir dir;
  testsupport::ScopedCurrentDir cwd{dir.path()};
  host::Host host;
};

// --- CpioLoad --------------------------------------------------------------

TEST_F(Cpio, LoadCutsFilesIntoChunksAndHandsOffEveryFilledBuffer) {
  struct Case {
    std::size_t size;
    int several;
    std::uint32_t capacity;
    std::vector<std::vector<std::pair<std::uint32_t, bool>>> buffers;  // {length, flag} per entry
  };
  const Case cases[] = {
      {0, 0, 70000, {{{0, false}}}},
      {1, 1, 70000, {{{1, false}}}},
      {65000, 0, 70000, {{{65000, true}}}},
      {65001, 0, 70000, {{{65000, true}}, {{1, false}}}},
      {65001, 1, 200000, {{{65000, true}, {1, false}}}},
      // The last chunk is a full one: its buffer still goes out.
      {65000, 1, 200000, {{{65000, true}}}},
      {130000, 1, 200000, {{{65000, true}, {65000, true}}}},
      // Too little room for the next chunk: the buffer goes out first.
      {130001, 1, 100000, {{{65000, true}}, {{65000, true}, {1, false}}}},
  };
  for (const auto& c : cases) {
    write_file(dir / "f.bin", pattern(c.size));
    const auto out =
        host.call("CpioLoad").value("f.bin").integer(c.several).empty_buffer(c.capacity).run();
    EXPECT_EQ(out.status, 0) << c.size;
    ASSERT_EQ(out.handoffs.size(), c.buffers.size()) << c.size << " bytes, several=" << c.several;
    std::string rebuilt;
    std::uint16_t next_index = 0;
    for (std::size_t b = 0; b < c.buffers.size(); ++b) {
      const auto entries = entries_of(out.handoffs[b]);
      ASSERT_EQ(entries.size(), c.buffers[b].size()) << c.size;
      for (std::size_t e = 0; e < entries.size(); ++e) {
        EXPECT_EQ(entries[e].fields.stored_length, c.buffers[b][e].first);
        EXPECT_EQ(entries[e].fields.continued, c.buffers[b][e].second);
        EXPECT_EQ(entries[e].fields.chunk_index, next_index++);
        EXPECT_EQ(entries[e].name_text(), "f.bin");
        rebuilt.append(reinterpret_cast<const char*>(entries[e].data.data()),
                       entries[e].data.size());
      }
    }
    EXPECT_EQ(rebuilt, pattern(c.size));
    EXPECT_EQ(out.leaked, 0u);
    EXPECT_EQ(host.files().open_count(), 0u);
  }
}

TEST_F(Cpio, LoadHeaderNameTimeAndPadding) {
  fs::create_directory(dir / "Dir");
  const std::string disk_name = "Dir/Up\xE9.TxT";
  write_file(dir / disk_name, "abc");
  set_mtime(dir / disk_name, 0x01020304);
  const auto out = host.call("CpioLoad").value(disk_name).empty_buffer(1000).run();
  ASSERT_EQ(out.handoffs.size(), 1u);
  const Bytes& b = out.handoffs[0];
  // The name is lowered and loses its top bits: "dir/upi.txt", 11 bytes, so
  // the header is 12 + 12 and the odd data gets one pad byte.
  const std::string stored(b.begin() + 12, b.begin() + 23);
  EXPECT_EQ(stored, "dir/upi.txt");
  ASSERT_EQ(b.size(), 24u + 3 + 1);
  EXPECT_EQ(b[0], 0xC7);
  EXPECT_EQ(b[1], 0x72);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[3], 11);
  EXPECT_EQ((Bytes{b[4], b[5], b[6], b[7]}), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(b[23], 0);
  EXPECT_EQ(std::string(b.begin() + 24, b.begin() + 27), "abc");
  EXPECT_EQ(b[27], 0);

  // n = 4 and n = 5 both give an 18-byte header.
  for (const char* name : {"abcd", "abcde"}) {
    write_file(dir / name, "");
    const auto one = host.call("CpioLoad").value(name).empty_buffer(100).run();
    ASSERT_EQ(one.handoffs.size(), 1u);
    EXPECT_EQ(one.handoffs[0].size(), 18u) << name;
  }
}

TEST_F(Cpio, LoadRestoresTheSecondValueAndStopsOnAFailedHandOff) {
  write_file(dir / "f.bin", pattern(140000));
  std::vector<std::uint32_t> seen;
  int handoffs = 0;
  const auto out = host.call("CpioLoad")
                       .value("f.bin")
                       .empty_buffer(70000)
                       .on_hand_off([&](host::ActiveCall& call) {
                         seen.push_back(call.record().second_length);
                         call.record().second_length = 4321;  // the script's own use
                         return ++handoffs == 2 ? 5 : 0;
                       })
                       .run();
  EXPECT_EQ(out.status, 5);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{0, 0}));
  EXPECT_EQ(out.handoffs.size(), 2u) << "no chunk after the failed hand-off";
  EXPECT_EQ(host.files().open_count(), 0u);
}

TEST_F(Cpio, LoadFailures) {
  const auto missing = host.call("CpioLoad").value("missing.bin").empty_buffer(70000).run();
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.file_errors, (std::vector<std::string>{"missing.bin"}));
  EXPECT_TRUE(missing.handoffs.empty());

  write_file(dir / "f.bin", pattern(10));
  host.faults().fail_read_after = 0;
  const auto unreadable = host.call("CpioLoad").value("f.bin").empty_buffer(70000).run();
  host.faults().fail_read_after.reset();
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_EQ(unreadable.file_errors, (std::vector<std::string>{"f.bin"}));
  EXPECT_TRUE(unreadable.handoffs.empty());
  EXPECT_EQ(host.files().open_count(), 0u);

  // 256 bytes cannot be described by the name length field.
  const std::string long_name(256, 'n');
  const auto too_long = host.call("CpioLoad").value(long_name).empty_buffer(70000).run();
  EXPECT_EQ(too_long.file_errors, (std::vector<std::string>{long_name}));
  EXPECT_TRUE(too_long.handoffs.empty());

  EXPECT_EQ(host.call("CpioLoad").value("f.bin").run().errors, (std::vector<std::int32_t>{35}));
  const auto small = host.call("CpioLoad").value("f.bin").empty_buffer(20).run();
  EXPECT_EQ(small.errors, (std::vector<std::int32_t>{256 + ENOBUFS}));
  EXPECT_TRUE(small.handoffs.empty());
}

// --- CpioArg ---------------------------------------------------------------

TEST_F(Cpio, ArgRebuildsWhatLoadProduced) {
  fs::create_directories(dir / "a" / "b");
  write_file(dir / "a/b/f.bin", pattern(65001));
  set_mtime(dir / "a/b/f.bin", 1234567890);
  const auto load = host.call("CpioLoad").value("a/b/f.bin").empty_buffer(70000).run();
  ASSERT_EQ(load.handoffs.size(), 2u);
  fs::remove_all(dir / "a");

  for (const auto& entry : load.handoffs) {
    const auto out = host.call("CpioArg").value(entry).run();
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.integer, static_cast<std::int32_t>(entry.size()));
    EXPECT_TRUE(out.errors.empty());
  }
  EXPECT_EQ(read_text(dir / "a/b/f.bin"), pattern(65001));
  EXPECT_EQ(mtime_of(dir / "a/b/f.bin"), 1234567890u);
}

TEST_F(Cpio, ArgFirstChunkEmptiesLaterChunksKeep) {
  write_file(dir / "f", pattern(200000));
  // A later full chunk keeps everything around it and sets no end of file.
  ASSERT_EQ(host.call("CpioArg").value(entry_bytes("f", 1, pattern(65000), true)).run().status, 0);
  EXPECT_EQ(fs::file_size(dir / "f"), 200000u);
  // A later last chunk cuts the file after itself.
  ASSERT_EQ(host.call("CpioArg").value(entry_bytes("f", 1, "xyz", false)).run().status, 0);
  EXPECT_EQ(fs::file_size(dir / "f"), 65003u);
  EXPECT_EQ(read_text(dir / "f").substr(0, 65000), pattern(65000));
  // The first chunk starts the file afresh.
  ASSERT_EQ(host.call("CpioArg").value(entry_bytes("f", 0, pattern(65000), true)).run().status, 0);
  EXPECT_EQ(read_text(dir / "f"), pattern(65000));
}

TEST_F(Cpio, ArgDeletionEntryAndEntrySizeOfAValueHoldingMore) {
  write_file(dir / "gone", "x");
  Bytes value = entry_bytes("gone", 0, "", false);
  const auto one = value.size();
  const Bytes next = entry_bytes("next", 0, "odd", false);
  value.insert(value.end(), next.begin(), next.end());
  const auto out = host.call("CpioArg").value(value).run();
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.integer, static_cast<std::int32_t>(one));
  EXPECT_FALSE(fs::exists(dir / "gone"));

  const auto odd = host.call("CpioArg").value(next).run();
  EXPECT_EQ(odd.integer, 12 + 6 + 4) << "odd data is followed by its pad byte";
  EXPECT_EQ(read_text(dir / "next"), "odd");
}

TEST_F(Cpio, ArgRefusesShortValuesAndUnsafeNames) {
  const Bytes whole = entry_bytes("f", 0, "data", false);
  const auto short_value = host.call("CpioArg").value(Bytes(whole.begin(), whole.end() - 1)).run();
  EXPECT_EQ(short_value.status, 2);
  EXPECT_EQ(short_value.errors, (std::vector<std::int32_t>{66}));
  EXPECT_EQ(short_value.integer, 0);

  fs::create_directory(dir / "inner");
  testsupport::ScopedCurrentDir inner(dir / "inner");
  for (const char* name : {"/tmp/tw-escape", "\\tw-escape", "C:tw-escape", "../tw-escape",
                           "a/../../tw-escape", "a\\..\\..\\tw-escape", ".."}) {
    const auto out = host.call("CpioArg").value(entry_bytes(name, 0, "data", false)).run();
    EXPECT_EQ(out.status, 2) << name;
    EXPECT_EQ(out.errors, (std::vector<std::int32_t>{256 + EACCES})) << name;
  }
  EXPECT_TRUE(fs::is_empty(dir / "inner"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists("/tmp/tw-escape"));

  // Backslashes are directory separators.
  EXPECT_EQ(host.call("CpioArg").value(entry_bytes("x\\y.txt", 0, "ok", false)).run().status, 0);
  EXPECT_EQ(read_text(dir / "inner/x/y.txt"), "ok");
}

TEST_F(Cpio, ArgReportsAFileThatCannotBeWritten) {
  write_file(dir / "plain", "a file where a directory should be");
  const auto out = host.call("CpioArg").value(entry_bytes("plain/f", 0, "data", false)).run();
  EXPECT_EQ(out.status, 2);
  EXPECT_EQ(out.errors, (std::vector<std::int32_t>{256 + ENOTDIR}));
  EXPECT_EQ(host.files().open_count(), 0u);
}

// --- CpioChk ---------------------------------------------------------------

TEST(CpioChk, ResultsOfTheThreeBuilds) {
  testsupport::ScratchDir dir;
  testsupport::ScopedCurrentDir cwd(dir.path());
  write_file(dir / "same", pattern(65000) + "tail");
  const Bytes equal = entry_bytes("same", 1, "tail", false);
  const Bytes different = entry_bytes("same", 1, "tale", false);
  const Bytes absent = entry_bytes("absent", 0, "data", false);
  const Bytes delete_present = entry_bytes("same", 0, "", false);
  const Bytes delete_absent = entry_bytes("absent", 0, "", false);
  // Stored length 0 with the flag: 65,000 bytes of data for B and C, none
  // for A. The data differs from the file, which A never reads.
  Bytes zero_with_flag = entry_bytes("same", 0, std::string(65000, '#'), true);
  zero_with_flag[10] = zero_with_flag[11] = 0;

  struct Case {
    const char* what;
    const Bytes& value;
    int a, b, c;  // offset 44 per build
  };
  const Case cases[] = {
      {"file equal", equal, 1, 1, 1},
      {"file different", different, 0, 0, 0},
      {"file absent", absent, 0, 0, 0},
      {"deletion, file present", delete_present, 0, 1, 0},
      {"deletion, file absent", delete_absent, 0, 0, 1},
      {"0 with flag 1", zero_with_flag, 1, 0, 0},
  };
  for (const char build : {'a', 'b', 'c'}) {
    host::Host host;
    host.load(lib(build));
    for (const auto& c : cases) {
      const auto out = host.call("CpioChk").value(c.value).integer(-1).run();
      const int expected = build == 'a' ? c.a : build == 'b' ? c.b : c.c;
      EXPECT_EQ(out.status, 0) << build << ": " << c.what;
      EXPECT_EQ(out.integer2, expected) << build << ": " << c.what;
      EXPECT_EQ(out.leaked, 0u) << build << ": " << c.what;
      EXPECT_EQ(host.files().open_count(), 0u);
    }
    // Offset 40: A skips a deletion entry without sizing it, and reads a
    // zero length literally.
    const auto deletion = host.call("CpioChk").value(delete_present).integer(-1).run();
    EXPECT_EQ(deletion.integer, build == 'a' ? -1 : 18) << build;
    const auto flagged = host.call("CpioChk").value(zero_with_flag).integer(-1).run();
    EXPECT_EQ(flagged.integer, build == 'a' ? 18 : 18 + 65000) << build;

    const auto short_value =
        host.call("CpioChk").value(Bytes(equal.begin(), equal.end() - 1)).integer(-1).run();
    EXPECT_EQ(short_value.status, 2) << build;
    EXPECT_EQ(short_value.errors, (std::vector<std::int32_t>{66})) << build;
    EXPECT_EQ(short_value.integer, -1) << build;
    const auto tiny = host.call("CpioChk").value(Bytes{0xC7, 0x72, 0}).run();
    EXPECT_EQ(tiny.errors, (std::vector<std::int32_t>{66})) << build;
  }
}

}  // namespace
