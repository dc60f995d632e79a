#include "dialogs/drop_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

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

TEST(DropFile, RecordOfAWriterThatLostTheRaceGoesToTheNewFile) {
  ScratchDir dir;
  const auto drop = dir / "twreminder";
  const auto taken = dir / "taken";
  testsupport::write_file(drop, kFirst);
  std::string read_by_calendar;
  bool took = false;
  // The calendar takes and reads the file after the writer opened it.
  auto take = [&] {
    if (took) return;
    took = true;
    std::filesystem::rename(drop, taken);
    read_by_calendar = *dialogs::read_taken_drop_file(taken);
  };
  ASSERT_TRUE(dialogs::detail::append_drop_record(drop, kSecond, take));
  EXPECT_EQ(read_by_calendar, kFirst);
  EXPECT_EQ(testsupport::read_text(taken), kFirst);  // nothing arrived after the calendar read it
  EXPECT_EQ(testsupport::read_text(drop), kSecond);
}

TEST(DropFile, ReaderWaitsForAWriterStillWriting) {
  ScratchDir dir;
  const auto taken = dir / "taken";
  testsupport::write_file(taken, std::string_view(""));
  const int writer = ::open(taken.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  auto reading = std::async(std::launch::async, [&] { return dialogs::read_taken_drop_file(taken); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(::write(writer, kFirst.data(), kFirst.size()), static_cast<ssize_t>(kFirst.size()));
  ::close(writer);  // releases the lock
  EXPECT_EQ(reading.get(), std::string(kFirst));
}

}  // namespace
