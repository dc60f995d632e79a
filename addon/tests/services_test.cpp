// The substitute host's file and memory services, called through the
// vector exactly as a handler calls them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "host/host.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace slot = addon::slot;
using testsupport::read_text;
using testsupport::write_file;

class FileServices : public ::testing::Test {
 protected:
  testsupport::ScratchDir dir;
  testsupport::ScopedCurrentDir cwd{dir.path()};
  host::Host host;
  const addon::ServiceVector& s = host.services();
};

TEST_F(FileServices, ModeCodes) {
  EXPECT_EQ(s.call<slot::OpenFile>("missing", addon::kReadOnly), 0u);
  EXPECT_EQ(errno, ENOENT);

  write_file("keep", "old contents");
  auto h = s.call<slot::OpenFile>("keep", addon::kReadWrite);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(s.call<slot::WriteFile>(h, "OLD", 3u), 0);
  s.call<slot::CloseFile>(h);
  EXPECT_EQ(read_text("keep"), "OLD contents");

  h = s.call<slot::OpenFile>("keep", addon::kCreate);
  ASSERT_NE(h, 0u);
  s.call<slot::CloseFile>(h);
  EXPECT_EQ(read_text("keep"), "");

  h = s.call<slot::OpenFile>("new", addon::kReadWrite);
  ASSERT_NE(h, 0u);
  s.call<slot::CloseFile>(h);
  EXPECT_TRUE(std::filesystem::exists("new"));
  EXPECT_EQ(host.files().open_count(), 0u);
}

TEST_F(FileServices, SeekReadTruncateAndTimes) {
  write_file("f", "0123456789");
  const auto h = s.call<slot::OpenFile>("f", addon::kReadWrite);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(s.call<slot::SeekFile>(h, 0, 2), 10u);
  EXPECT_EQ(s.call<slot::SeekFile>(h, 4, 0), 4u);
  char buf[3] = {};
  EXPECT_EQ(s.call<slot::ReadFile>(h, buf, 3u), 0);
  EXPECT_EQ(std::string(buf, 3), "456");
  EXPECT_NE(s.call<slot::ReadFile>(h, buf, 4u), 0) << "a short read is a failure";
  s.call<slot::SetEndOfFile>(h, 5u);
  s.call<slot::SetFileTime>(h, "f", 1136073600u);
  EXPECT_EQ(s.call<slot::GetFileTime>(h), 1136073600u);
  s.call<slot::CloseFile>(h);
  struct stat st {};
  ASSERT_EQ(stat("f", &st), 0);
  EXPECT_EQ(st.st_mtime, 1136073600);
  EXPECT_EQ(st.st_atime, 1136073600);
  EXPECT_EQ(read_text("f"), "01234");
}

TEST_F(FileServices, PathsAndDirectories) {
  EXPECT_LT(s.call<slot::TestPath>("d", 0), 0);
  s.call<slot::CreateDirectory>("d");
  EXPECT_GE(s.call<slot::TestPath>("d", 0), 0);
  write_file("d/f", "x");
  chmod("d/f", 0444);
  s.call<slot::PreparePath>("d/f", 0);
  const auto h = s.call<slot::OpenFile>("d/f", addon::kReadWrite);
  EXPECT_NE(h, 0u) << "a read-only file is writable once prepared";
  s.call<slot::CloseFile>(h);
  s.call<slot::RemoveFile>("d/f");
  EXPECT_LT(s.call<slot::TestPath>("d/f", 0), 0);
}

TEST_F(FileServices, ReadFailureOnRequest) {
  write_file("f", "abcdef");
  host.faults().fail_read_after = 1;
  const auto h = s.call<slot::OpenFile>("f", addon::kReadOnly);
  char buf[2];
  EXPECT_EQ(s.call<slot::ReadFile>(h, buf, 2u), 0);
  EXPECT_NE(s.call<slot::ReadFile>(h, buf, 2u), 0);
  s.call<slot::CloseFile>(h);
}

TEST(MemoryServices, EverySlotIsLedgered) {
  host::Host host;
  const auto& s = host.services();
  void* zeroed = s.call<slot::AllocateZeroed>(32u);
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(static_cast<unsigned char*>(zeroed)[i], 0);
  void* working = s.call<slot::Allocate>(10u);
  void* block = s.call<slot::AllocateBlock>(20u);
  EXPECT_EQ(host.ledger().outstanding_bytes(), 62u);
  s.call<slot::Release>(zeroed, 32u);
  s.call<slot::Free>(working);
  s.call<slot::Release>(block, 20u);
  EXPECT_EQ(host.ledger().outstanding_bytes(), 0u);
  EXPECT_TRUE(host.ledger().faults().empty());

  host.ledger().fail_next_allocations(1);
  EXPECT_EQ(s.call<slot::Allocate>(10u), nullptr);
  void* again = s.call<slot::Allocate>(10u);
  EXPECT_NE(again, nullptr);
  s.call<slot::Free>(again);
}

}  // namespace
