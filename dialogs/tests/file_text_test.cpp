#include "dialogs/file_text.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_dir.h"

namespace {

using testsupport::ScratchDir;

TEST(FileText, MissingFileReadsAsFailureAndEmptiesTheText) {
  ScratchDir dir;
  std::string text = "left over";
  EXPECT_EQ(dialogs::read_file_text(dir / "missing", text), -1);
  EXPECT_EQ(text, "");
}

TEST(FileText, WriteAndReadKeepEveryByte) {
  ScratchDir dir;
  const std::string bytes("line\r\nnul\0here\xff\n", 16);
  ASSERT_EQ(dialogs::write_file_text(dir / "f", bytes), 0);
  std::string text;
  EXPECT_EQ(dialogs::read_file_text(dir / "f", text), 16);
  EXPECT_EQ(text, bytes);
}

TEST(FileText, WriteTruncatesLongerContent) {
  ScratchDir dir;
  testsupport::write_file(dir / "f", std::string_view("a much longer old content"));
  ASSERT_EQ(dialogs::write_file_text(dir / "f", "new"), 0);
  EXPECT_EQ(testsupport::read_text(dir / "f"), "new");
  ASSERT_EQ(dialogs::write_file_text(dir / "f", ""), 0);
  EXPECT_EQ(testsupport::read_text(dir / "f"), "");
}

TEST(FileText, WriteIntoMissingDirectoryFails) {
  ScratchDir dir;
  EXPECT_EQ(dialogs::write_file_text(dir / "no" / "f", "x"), -1);
}

}  // namespace
