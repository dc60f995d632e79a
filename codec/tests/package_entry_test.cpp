#include "codec/package_entry.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace codec {
namespace {

std::vector<std::uint8_t> bytes_of(std::size_t n, std::uint8_t seed = 1) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 7);
  return v;
}

std::span<const std::uint8_t> name_bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(PackageEntry, SizesFollowNameAndDataParity) {
  struct Case {
    std::size_t name, data, header, entry;
  } cases[] = {
      {4, 0, 18, 18}, {5, 0, 18, 18}, {1, 0, 14, 14}, {6, 3, 20, 24},
      {255, 65000, 12 + 256, 12 + 256 + 65000}, {254, 1, 12 + 256, 12 + 256 + 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(entry_header_size(c.name), c.header) << c.name;
    EXPECT_EQ(entry_size(c.name, c.data), c.entry) << c.name << " " << c.data;
  }
}

TEST(PackageEntry, HeaderLayoutIsExact) {
  std::vector<std::uint8_t> out;
  const std::vector<std::uint8_t> data = {0xAA, 0xBB, 0xCC};
  ASSERT_TRUE(append_entry(out, "Dir/\xC1" "Bc", 0x01020304, 0x0506, data, false));
  const std::vector<std::uint8_t> expected = {
      0xC7, 0x72, 0, 7, 1, 2, 3, 4, 0x06, 0x05, 3, 0,  // fixed part
      'd', 'i', 'r', '/', 'a', 'b', 'c', 0,            // name lowered, top bit cleared, zero
      0xAA, 0xBB, 0xCC, 0};                            // data and pad
  EXPECT_EQ(out, expected);
}

TEST(PackageEntry, UpperCasePredicateSeesMaskedByte) {
  std::vector<std::uint8_t> out(32, 0xEE);
  const std::string name = "A\xC1";
  const auto none = [](std::uint8_t) { return false; };
  ASSERT_EQ(write_entry_header(out, name_bytes(name), {}, none), 16u);
  EXPECT_EQ(out[12], 'A');
  EXPECT_EQ(out[13], 'A');
  EXPECT_EQ(out[14], 0);
  EXPECT_EQ(out[15], 0);
  EXPECT_EQ(out[16], 0xEE) << "wrote past the header";
}

TEST(PackageEntry, WriterRefusesWhatCannotBeDescribed) {
  std::vector<std::uint8_t> out(400);
  const std::string long_name(256, 'a');
  EXPECT_EQ(write_entry_header(out, name_bytes(long_name), {}), 0u);
  EXPECT_EQ(write_entry_header(out, {}, {}), 0u);
  EXPECT_EQ(write_entry_header(out, name_bytes("abcd"), {0, 0, 65001, false}), 0u);
  EXPECT_EQ(write_entry_header(std::span(out).first(17), name_bytes("abcd"), {}), 0u);
  EXPECT_EQ(write_entry_header(std::span(out).first(18), name_bytes("abcd"), {}), 18u);
  std::vector<std::uint8_t> v;
  EXPECT_FALSE(append_entry(v, long_name, 0, 0, {}, false));
  EXPECT_TRUE(v.empty());
}

TEST(PackageEntry, FileChunkingAndFlags) {
  struct Case {
    std::size_t size;
    std::vector<std::pair<std::uint32_t, bool>> chunks;  // data length, flag
  } cases[] = {
      {0, {{0, false}}},
      {1, {{1, false}}},
      {64999, {{64999, false}}},
      {65000, {{65000, true}}},
      {65001, {{65000, true}, {1, false}}},
      {130000, {{65000, true}, {65000, true}}},
  };
  for (const auto& c : cases) {
    const auto contents = bytes_of(c.size);
    std::vector<std::uint8_t> buffer;
    ASSERT_TRUE(append_file_entries(buffer, "f", 77, contents));
    EntryWalker walker(buffer);
    std::vector<std::uint8_t> rebuilt;
    std::size_t i = 0;
    while (auto e = walker.next()) {
      ASSERT_LT(i, c.chunks.size()) << c.size;
      EXPECT_EQ(e->data.size(), c.chunks[i].first);
      EXPECT_EQ(e->fields.continued, c.chunks[i].second);
      EXPECT_EQ(e->fields.chunk_index, i);
      EXPECT_EQ(e->fields.time_stamp, 77u);
      EXPECT_EQ(e->name_text(), "f");
      EXPECT_TRUE(e->fields.has_magic);
      rebuilt.insert(rebuilt.end(), e->data.begin(), e->data.end());
      ++i;
    }
    EXPECT_TRUE(walker.at_end());
    EXPECT_EQ(i, c.chunks.size()) << c.size;
    EXPECT_EQ(rebuilt, contents) << c.size;
  }
}

TEST(PackageEntry, ZeroLengthWithFlagReadsAsFullChunkUnlessLiteral) {
  std::vector<std::uint8_t> buffer;
  const auto data = bytes_of(65000);
  ASSERT_TRUE(append_entry(buffer, "big", 1, 0, data, true));
  buffer[10] = buffer[11] = 0;  // store 65,000 as 0
  const auto full = parse_entry(buffer);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->data.size(), 65000u);
  EXPECT_FALSE(full->fields.is_deletion());
  const auto literal = parse_entry(buffer, ZeroLengthRule::kLiteral);
  ASSERT_TRUE(literal);
  EXPECT_EQ(literal->data.size(), 0u);
  EXPECT_EQ(literal->size, 16u);

  std::vector<std::uint8_t> deletion;
  ASSERT_TRUE(append_entry(deletion, "gone", 1, 0, {}, false));
  const auto d = parse_entry(deletion);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->fields.is_deletion());
}

TEST(PackageEntry, ReadersNeverReachPastTheBuffer) {
  std::vector<std::uint8_t> one;
  ASSERT_TRUE(append_entry(one, "abc", 5, 0, bytes_of(5), false));
  ASSERT_EQ(one.size(), 12u + 4 + 6);
  // Every cut of the entry, pad byte included, is refused; each on its own
  // heap block so a sanitizer sees any read past the end.
  for (std::size_t cut = 0; cut < one.size(); ++cut) {
    std::vector<std::uint8_t> shorter(one.begin(), one.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(read_entry_fields(shorter).has_value(), cut >= 12) << cut;
    EXPECT_FALSE(parse_entry(shorter)) << cut;
    EntryWalker walker(shorter);
    EXPECT_FALSE(walker.next());
    EXPECT_EQ(walker.at_end(), cut == 0);
  }
  EXPECT_TRUE(parse_entry(one));
}

TEST(PackageEntry, WalkerStopsAtAnEntryThatOverrunsAndStaysThere) {
  std::vector<std::uint8_t> buffer;
  ASSERT_TRUE(append_entry(buffer, "a", 1, 0, bytes_of(3), false));
  const std::size_t first = buffer.size();
  ASSERT_TRUE(append_entry(buffer, "b", 1, 0, bytes_of(10), false));
  buffer.resize(buffer.size() - 2);
  EntryWalker walker(buffer);
  ASSERT_TRUE(walker.next());
  EXPECT_EQ(walker.offset(), first);
  EXPECT_FALSE(walker.next());
  EXPECT_FALSE(walker.at_end());
  EXPECT_EQ(walker.offset(), first);
}

TEST(PackageEntry, MagicIsReportedNotRequired) {
  std::vector<std::uint8_t> buffer;
  ASSERT_TRUE(append_entry(buffer, "a", 1, 0, {}, false));
  buffer[0] = 0;
  const auto e = parse_entry(buffer);
  ASSERT_TRUE(e);
  EXPECT_FALSE(e->fields.has_magic);
}

TEST(PackageEntry, FileOffsetOfLastChunkIndex) {
  EntryFields f;
  f.chunk_index = 0xFFFF;
  EXPECT_EQ(f.file_offset(), 65535ull * 65000);
}

}  // namespace
}  // namespace codec
