// tarnhost from the outside: its command line, its JSON lines, --out, state
// carried between calls, and the exit status for each kind of mistake. Also
// checks that every add-on exports exactly its three data symbols.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"

namespace {

using testsupport::run_process;

const std::string kTarnhost = std::string(TW_BIN_DIR) + "/tarnhost";
std::string lib(const std::string& name) { return std::string(TW_LIB_DIR) + "/" + name + ".so"; }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(Tarnhost, OneJsonLinePerCallAndStateCarriesOver) {
  testsupport::ScratchDir dir;
  const auto r = run_process({kTarnhost, lib("testaddon"), "FifteenCharName", "--then",
                              "FifteenCharName", "--int", "5", "--then", "EchoValue", "--value",
                              "hi there", "--out", (dir / "echo.bin").string()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 3u) << r.out;
  EXPECT_EQ(out[0],
            R"({"call":"FifteenCharName","status":0,"errors":[],"numeric":[1],"handoffs":0,)"
            R"("int":1,"int2":0,"leaked":0})");
  EXPECT_EQ(out[1],
            R"({"call":"FifteenCharName","status":0,"errors":[],"numeric":[2],"handoffs":0,)"
            R"("int":2,"int2":0,"leaked":0})");
  EXPECT_EQ(out[2],
            R"({"call":"EchoValue","status":0,"errors":[],"numeric":[],"handoffs":1,)"
            R"("int":0,"int2":0,"leaked":0})");
  EXPECT_EQ(testsupport::read_text(dir / "echo.bin"), "hi there");
}

TEST(Tarnhost, StreamFileEmittedBytesAndLeaks) {
  testsupport::ScratchDir dir;
  testsupport::write_file(dir / "in.bin", std::string("\x00\x01\xff", 3));
  const auto r = run_process({kTarnhost, lib("testaddon"), "CopyStream", "--stream-file",
                              (dir / "in.bin").string(), "--out", (dir / "out.bin").string(),
                              "--then", "Leak"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_NE(out[1].find(R"("leaked":100)"), std::string::npos) << out[1];
  EXPECT_EQ(testsupport::read_text(dir / "out.bin"), std::string("\x00\x01\xff", 3));
}

TEST(Tarnhost, MistakesExitWithStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{lib("testaddon")}, "at least one call"},
      {{lib("testaddon"), "NoSuchCall"}, "does not offer NoSuchCall"},
      {{lib("testaddon"), "EchoValue", "--int", "x"}, "--int needs"},
      {{lib("testaddon"), "EchoValue", "--value"}, "--value needs a value"},
      {{lib("testaddon"), "EchoValue", "--bogus", "1"}, "unknown option"},
      {{lib("testaddon"), "EchoValue", "--value-file", "/nonexistent/file"}, "cannot read"},
      {{lib("testaddon"), "EchoValue", "--then"}, "--then must be followed"},
      {{lib("malformed_order"), "EchoValue"}, "cannot load"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{kTarnhost};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = run_process(argv);
    EXPECT_EQ(r.exit_code, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << "nothing runs after a mistake";
  }
  const auto help = run_process({kTarnhost, "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("tarnhost LIBRARY CALL [--then CALL ...]"), std::string::npos);
}

// The host reads only the three data exports, and nothing may run at load.
TEST(AddonLibraries, ExportExactlyTheirThreeSymbolsAndRunNothingAtLoad) {
  for (const char* name : {"blockio32a", "blockio32b", "blockio32c", "testaddon", "emptyaddon"}) {
    const auto exports = run_process({"/usr/bin/nm", "-D", "--defined-only", lib(name)});
    ASSERT_EQ(exports.exit_code, 0) << exports.err;
    std::set<std::string> symbols;
    for (const auto& line : lines(exports.out)) symbols.insert(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(symbols, (std::set<std::string>{"Linkage", "OvlSubr", "Tarn"})) << name;

    const auto all = run_process({"/usr/bin/nm", lib(name)});
    EXPECT_EQ(all.out.find("_GLOBAL__sub_I"), std::string::npos)
        << name << " has a dynamic initializer";
  }
}

}  // namespace

namespace {

// A later call may read what an earlier call's --out wrote.
TEST(Tarnhost, LaterCallReadsAnEarlierOutput) {
  testsupport::ScratchDir dir;
  const std::string first = (dir / "first.bin").string();
  const std::string second = (dir / "second.bin").string();
  const auto r = run_process({kTarnhost, lib("testaddon"), "EchoValue", "--value", "chained",
                              "--out", first, "--then", "EchoValue", "--value-file", first,
                              "--out", second});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(testsupport::read_text(second), "chained");
}

}  // namespace
