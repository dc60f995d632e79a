// The command line as a user types it: options, toggles, values, quoting,
// selection patterns and response files.
#include <gtest/gtest.h>

#include "pkgextract/tests/pkgx_fixture.h"
#include "pkgextract/texts.h"

namespace pkgx::testing {
namespace {

class PkgxCommandLine : public PkgxTest {
 protected:
  void SetUp() override {
    make_archive({{"a.txt", bytes_of("abc"), kNoonAndOneSecond},
                  {"abc.txt.txt", bytes_of("x"), kNoonAndOneSecond},
                  {"docs", bytes_of("d"), kNoonAndOneSecond},
                  {"docs/a.txt", bytes_of("da"), kNoonAndOneSecond},
                  {"docs\\b.txt", bytes_of("db"), kNoonAndOneSecond},
                  {"docs2/a.txt", bytes_of("d2"), kNoonAndOneSecond}});
  }

  // The names listed, in order.
  std::vector<std::string> listed(const std::vector<std::string>& args) {
    const auto r = run(args);
    EXPECT_EQ(r.exit_code, 0) << r.out;
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t end; (end = r.out.find("\r\n", start)) != std::string::npos; start = end + 2) {
      const std::string line = r.out.substr(start, end - start);
      names.push_back(line.substr(line.rfind("  ") + 2));
    }
    return names;
  }
};

TEST_F(PkgxCommandLine, QuestionMarkPrintsUsageAndEndsWithOneWhateverFollows) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-?"},
                                               {"-x", "-?", "-f", "pkg"},
                                               {"-t?x"}}) {
    const auto r = run(args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, text::kUsage);
  }
  EXPECT_FALSE(exists("a.txt"));
}

TEST_F(PkgxCommandLine, UnknownLettersAreNamedAndSkipped) {
  const auto r = run({"-zq", "-?"});
  EXPECT_EQ(r.out, std::string("Unknown option ignored: zq\r\n"
                               "Unknown option ignored: q\r\n") + text::kUsage);
}

TEST_F(PkgxCommandLine, TogglesDecideTheDateColumn) {
  const std::string with_date = "  0%          3  Jan  5 12:00:00 2006  a.txt\r\n";
  const std::string without = "  0%          3  a.txt\r\n";
  struct Case {
    std::vector<std::string> options;
    const std::string& line;
  } cases[] = {
      {{"-tv"}, with_date}, {{"-t", "-v"}, with_date}, {{"-V"}, with_date},
      {{"-vv"}, without},   {{"-v", "-v"}, without},   {{"-t"}, without},
  };
  for (const auto& c : cases) {
    auto args = c.options;
    args.insert(args.end(), {"-f", "pkg", "a.txt"});
    const auto r = run(args);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, c.line) << c.options[0];
  }
}

TEST_F(PkgxCommandLine, RootDirectoryJoinedOrSeparateIsTheSame) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-x", "-dout1", "-f", "pkg", "docs2"},
        {"-x", "-d", "out2", "-fpkg", "docs2"}, {"-xd", "out3", "-f", "pkg", "docs2"}}) {
    ASSERT_EQ(run(args).exit_code, 0);
  }
  for (const char* root : {"out1", "out2", "out3"})
    EXPECT_EQ(get(std::string(root) + "/docs2/a.txt"), bytes_of("d2")) << root;
}

TEST_F(PkgxCommandLine, QuotedTokenWithBlanksStaysOneToken) {
  const auto r = run({"-x", "-d", "my out dir", "-f", "pkg", "a.txt"});
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(get("my out dir/a.txt"), bytes_of("abc"));
}

TEST_F(PkgxCommandLine, TextInputOnlyForAnOddNumber) {
  writer::Options text;
  text.text_units_per_line = 2;
  make_archive({{"t.txt", bytes_of("carried"), 1}}, text, "pkg.txt");
  // "-6 85" reads it as text; "-6 64" reads its characters as bytes.
  EXPECT_EQ(run({"-6", "85", "-f", "pkg.txt"}).out, "  0%          7  t.txt\r\n");
  EXPECT_EQ(run({"-6", "64", "-f", "pkg.txt"}).out, "CRC Error: pkg.txt");
  // Any character is a digit by its low four bits: "u" is 5.
  EXPECT_EQ(run({"-6u", "-f", "pkg.txt"}).exit_code, 0);
}

TEST_F(PkgxCommandLine, PatternsSelectEntries) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(listed({"-f", "pkg", "docs"}), (Names{"docs", "docs/a.txt", "docs\\b.txt"}));
  // The star stops at the first dot, and it runs across directories.
  EXPECT_EQ(listed({"-f", "pkg", "*.txt"}),
            (Names{"a.txt", "docs/a.txt", "docs\\b.txt", "docs2/a.txt"}));
  EXPECT_EQ(listed({"-f", "pkg", "a*.txt"}), (Names{"a.txt"}));
  EXPECT_EQ(listed({"-f", "pkg", "DOCS2", "a.TXT"}), (Names{"a.txt", "docs2/a.txt"}));
  EXPECT_EQ(listed({"-f", "pkg"}).size(), 6u);
}

TEST_F(PkgxCommandLine, ResponseFilesAddTheirLines) {
  put("list", "docs2\r\na.txt\r\n");
  put("list2", "abc.txt.txt");  // a last line without its line end counts too
  put("empty", "");
  using Names = std::vector<std::string>;
  EXPECT_EQ(listed({"-f", "pkg", "@list"}), (Names{"a.txt", "docs2/a.txt"}));
  EXPECT_EQ(listed({"-f", "pkg", "$list2"}), (Names{"abc.txt.txt"}));

  const auto missing = run({"-f", "pkg", "@absent", "docs2"});
  EXPECT_EQ(missing.exit_code, 0);
  EXPECT_EQ(missing.out, "Unable to open: absent  0%          2  docs2/a.txt\r\n");
  const auto empty = run({"-f", "pkg", "$empty", "docs2"});
  EXPECT_EQ(empty.exit_code, 0);
  EXPECT_EQ(empty.out, "No size to file: empty  0%          2  docs2/a.txt\r\n");
  const auto directory = run({"-f", "pkg", "@.", "docs2"});
  EXPECT_EQ(directory.out.substr(0, 17), "Unable to read: .");
}

TEST_F(PkgxCommandLine, WithoutAnArchiveNothingIsRead) {
  const auto r = run({"-x", "-tv"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace pkgx::testing
