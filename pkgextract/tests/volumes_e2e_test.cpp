// Archives over several volumes: the disk change, driven through standard
// input as a user at the console would.
#include <gtest/gtest.h>

#include "pkgextract/tests/interactive_process.h"
#include "pkgextract/tests/pkgx_fixture.h"

namespace pkgx::testing {
namespace {

using writer::Bytes;

constexpr char kPrompt[] = "  Press return to retry, or ESC to ignore\r\n";

class PkgxVolumes : public PkgxTest {
 protected:
  void SetUp() override {
    files_ = {{"one.bin", pseudo_random(2000, 1), 10},
              {"sub/two.bin", pseudo_random(30000, 2), 20},
              {"three.txt", Bytes(5000, 't'), 30}};
    writer::Options options;
    options.volumes = 3;
    options.block_size = 1;
    volumes_ = writer::build_archive(files_, options);
    put("pkg", volumes_[0]);
  }

  std::vector<std::string> extract_command() const {
    return {"/usr/bin/env", "TZ=UTC", kExtractor, "-x", "-d", "out", "-f",
            (dir_ / "pkg").string()};
  }

  std::vector<writer::FileItem> files_;
  std::vector<Bytes> volumes_;
};

TEST_F(PkgxVolumes, DiskChangeWithWrongMissingAndBadDisksOnTheWay) {
  testsupport::ScopedCurrentDir in_scratch(dir_.path());
  InteractiveProcess child(extract_command());
  const std::string name = (dir_ / "pkg").string();
  ASSERT_TRUE(child.wait_for("End volume 1  Insert next disk of package:: " + name + kPrompt));

  put("pkg", volumes_[2]);  // the third disk instead of the second
  child.send("\r");
  ASSERT_TRUE(child.wait_for("Insert sequence: vol 2: " + name + kPrompt));

  std::filesystem::remove(dir_ / "pkg");
  child.send("\n");
  ASSERT_TRUE(child.wait_for("Unable to find: vol 2: " + name + kPrompt));

  put("pkg", "not a volume at all");
  child.send("x\r");  // other keys are passed over
  ASSERT_TRUE(child.wait_for("Bad disk header: vol 2: " + name + kPrompt));

  put("pkg", volumes_[1]);
  child.send("\r");
  ASSERT_TRUE(child.wait_for("End volume 2  Insert next disk of package:: " + name + kPrompt));

  put("pkg", volumes_[2]);
  child.send("\r");
  EXPECT_EQ(child.wait_exit(), 0) << child.output();
  for (const auto& f : files_) EXPECT_EQ(get("out/" + f.name), f.contents) << f.name;
  // The last volume ends the run without a further prompt.
  EXPECT_EQ(child.output().find("End volume 3"), std::string::npos);
  EXPECT_NE(child.output().find("three.txt\r\n"), std::string::npos);
}

TEST_F(PkgxVolumes, EscapeOrTheEndOfInputStopsTheRun) {
  for (const std::string answer : {"\x1b", ""}) {
    const auto r = run({"-x", "-d", "out", "-f", "pkg"}, answer);
    EXPECT_EQ(r.exit_code, 3);
    const std::string end = std::string("End volume 1  Insert next disk of package:: pkg") + kPrompt;
    ASSERT_GE(r.out.size(), end.size());
    EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
  }
  // The first volume's whole files are written.
  EXPECT_EQ(get("out/one.bin"), files_[0].contents);
}

TEST_F(PkgxVolumes, AllVolumesInOneFileNeedNoChange) {
  Bytes joined = volumes_[0];
  for (std::size_t v = 1; v < volumes_.size(); ++v)
    joined.insert(joined.end(), volumes_[v].begin() + 16, volumes_[v].end());
  put("pkg", joined);
  const auto r = run({"-x", "-d", "out", "-f", "pkg"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  for (const auto& f : files_) EXPECT_EQ(get("out/" + f.name), f.contents);
}

}  // namespace
}  // namespace pkgx::testing
