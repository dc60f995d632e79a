#include "dialogs/drop_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scratch_dir.h"

namespace {

using testsupport::ScratchDir;

constexpr std::string_view kFirst = "~200604150900 EVENT\nCall\n200604151000 1440\nBring forms";
constexpr std::string_view kSecond = "~200605010800 EVENT\nFile\n200605010900 30\nNotes";

TEST(DropFile, AppendsRecordsInOrderAndCreatesTheFile) {
  ScratchDir dir;
  const auto drop = dir / "twreminder";
  ASSERT_TRUE(dialogs::append_drop_record(drop, kFirst));
  ASSERT_TRUE(dialogs::append_drop_record(drop, kSecond));
  EXPECT_EQ(testsupport::read_text(drop), std::string(kFirst) + std::string(kSecond));
}

TEST(DropFile, KeepsWhatIsAlreadyThere) {
  ScratchDir dir;
  const auto drop = dir / "twreminder";
  testsupport::write_file(drop, kFirst);
  ASSERT_TRUE(dialogs::append_drop_record(drop, kSecond));
  EXPECT_EQ(testsupport::read_text(drop), std::string(kFirst) + std::string(kSecond));
}

TEST(DropFile, RefusesAnythingButOneRecordAndLeavesTheFileAlone) {
  ScratchDir dir;
  const auto drop = dir / "twreminder";
  testsupport::write_file(drop, kFirst);
  EXPECT_FALSE(dialogs::append_drop_record(drop, "~a~b"));
  EXPECT_FALSE(dialogs::append_drop_record(drop, "no separator"));
  EXPECT_FALSE(dialogs::append_drop_record(drop, "~"));
  EXPECT_EQ(testsupport::read_text(drop), kFirst);
}

TEST(DropFile, MissingDirectoryFails) {
  ScratchDir dir;
  EXPECT_FALSE(dialogs::append_drop_record(dir / "tmp" / "twreminder", kFirst));
}

TEST(DropFile, WriterAfterTheTakeStartsANewFile) {
  ScratchDir dir;
  const auto drop = dir / "twreminder";
  const auto taken = dir / "taken";
  ASSERT_TRUE(dialogs::append_drop_record(drop, kFirst));
  std::filesystem::rename(drop, taken);
  ASSERT_TRUE(dialogs::append_drop_record(drop, kSecond));
  EXPECT_EQ(dialogs::read_taken_drop_file(taken), std::string(kFirst));
  EXPECT_EQ(testsupport::read_text(drop), kSecond);
  EXPECT_EQ(dialogs::read_taken_drop_file(dir / "missing"), std::nullopt);
}

}  // namespace
