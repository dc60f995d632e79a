// The extractor's parts in process: tokens, numbers, patterns, the cipher
// and the text carrier fed in pieces.
#include <gtest/gtest.h>

#include "pkgextract/command_line.h"
#include "pkgextract/key_cipher.h"
#include "pkgextract/options.h"
#include "pkgextract/pattern.h"
#include "pkgextract/tests/archive_writer.h"
#include "pkgextract/text_carrier.h"

namespace pkgx {
namespace {

using Tokens = std::vector<std::string>;

TEST(PkgxTokenizer, SeparatorsAndBothQuotes) {
  EXPECT_EQ(tokenize("prog  -x\t-d\r\nout"), (Tokens{"prog", "-x", "-d", "out"}));
  EXPECT_EQ(tokenize("prog \"a b\" c"), (Tokens{"prog", "a b", "c"}));
  EXPECT_EQ(tokenize("prog \x17q \"x\" y\x17 z"), (Tokens{"prog", "q \"x\" y", "z"}));
  EXPECT_EQ(tokenize("prog \"to the end"), (Tokens{"prog", "to the end"}));
  EXPECT_EQ(tokenize("prog \"\" x"), (Tokens{"prog", "", "x"}));
  EXPECT_EQ(tokenize("prog a\"b"), (Tokens{"prog", "a\"b"}));  // a quote inside a token is plain
}

TEST(PkgxTokenizer, AtMostSixtyFourTokens) {
  std::string line = "prog";
  for (int i = 0; i < 100; ++i) line += " t" + std::to_string(i);
  const auto tokens = tokenize(line);
  ASSERT_EQ(tokens.size(), 64u);
  EXPECT_EQ(tokens.back(), "t62");
}

TEST(PkgxTokenizer, JoinedArgumentsComeBackWhole) {
  const char* argv[] = {"prog", "plain", "two words", "", "\"quoted\"", "tab\there", "say \"hi\""};
  EXPECT_EQ(tokenize(join_arguments(7, argv)),
            (Tokens{"prog", "plain", "two words", "", "\"quoted\"", "tab\there", "say \"hi\""}));
}

TEST(PkgxOptions, NumbersByTheLowFourBitsOfEachCharacter) {
  EXPECT_EQ(parse_number("85"), 85u);
  EXPECT_EQ(parse_number(""), 0u);
  EXPECT_EQ(parse_number("a1"), 11u);  // 'a' is 0x61
  EXPECT_EQ(parse_number("?"), 15u);
}

TEST(PkgxPattern, Table) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"docs", "docs", true},         {"docs", "docs/a.txt", true},
      {"docs", "docs\\b.txt", true},  {"docs", "docs2/a.txt", false},
      {"*.txt", "a.txt", true},       {"a*.txt", "abc.txt.txt", false},
      {"a*.txt", "abc.txt", true},    {"*", "anything/at/all", true},
      {"*", ".hidden", false},        {"?hidden", ".hidden", false},
      {"?", "a", true},               {"?", "", false},
      {"??", "a", false},             {"DOCS", "docs", true},
      {"a*", "abc", true},            {"a*c", "abd", false},
      {"a*b*c", "a-b-c", true},       {"*b", "abab", false},  // no backtracking
      {"docs/", "docs/x", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(pattern_matches(c.pattern, c.name), c.match) << c.pattern << " ~ " << c.name;
}

TEST(PkgxKeyCipher, RoundTripsAndDependsOnEveryPart) {
  std::array<std::uint8_t, 64> plain{};
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i);
  auto encipher_units = [&](const std::string& key, int units) {
    KeyCipher c(key);
    std::vector<std::array<std::uint8_t, 64>> out;
    for (int u = 0; u < units; ++u) {
      auto unit = plain;
      c.encipher(unit);
      out.push_back(unit);
    }
    return out;
  };
  const auto units = encipher_units("key", 3);
  EXPECT_NE(units[0], plain);
  EXPECT_NE(units[0], units[1]) << "the state must run on from unit to unit";
  EXPECT_NE(units, encipher_units("kez", 3));
  // The seed takes the low four bits of each key byte and the table only
  // bits 0 and 1: keys that differ only above bit 3 encipher alike.
  EXPECT_EQ(units, encipher_units("k\x75y", 3));
  EXPECT_NE(units, encipher_units("k\x6dy", 3));
  KeyCipher d("key");
  for (auto unit : units) {
    d.decipher(unit);
    EXPECT_EQ(unit, plain);
  }
}

TEST(PkgxKeyGenerator, WrapsAfterNinetySixDraws) {
  // With a key whose seeding flips nothing the words stay zero, and so do
  // the draws; a key with set bits makes them move.
  const std::uint8_t zero_key[] = {0x00};
  KeyGenerator quiet(zero_key);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(quiet.draw(), 0u);
  const std::uint8_t key[] = {0x0F};
  KeyGenerator busy(key);
  bool moved = false;
  for (int i = 0; i < 200; ++i) moved |= busy.draw() != 0;
  EXPECT_TRUE(moved);
}

TEST(PkgxTextCarrier, DecodesTheWritersTextInPiecesOfAnySize) {
  std::vector<std::uint8_t> bytes(64 * 50);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
  const std::string text = std::string(kFirstLineHeader) + writer::to_text(bytes, 3);
  for (const std::size_t piece : {1u, 7u, 88u, 89u, 500u, 100000u}) {
    TextDecoder decoder;
    std::vector<std::uint8_t> out;
    std::string pending;
    for (std::size_t at = 0; at < text.size() || !pending.empty();) {
      const std::size_t take = std::min(piece, text.size() - at);
      pending.append(text, at, take);
      at += take;
      const auto r = decoder.convert(pending, 80, out);
      ASSERT_EQ(r.error, TextError::kNone) << piece;
      pending.erase(0, r.consumed);
      if (take == 0 && r.consumed == 0) break;
    }
    EXPECT_EQ(out, bytes) << piece;
    // 17 lines; the last one's CR LF, less than a unit, is left unread.
    EXPECT_EQ(decoder.expected_line(), 17);
  }
}

TEST(PkgxTextCarrier, LineNumbersRunPastFiveDigits) {
  char digits[5];
  line_number_digits(100001, digits);
  EXPECT_EQ(std::string(digits, 5), "00001");
  line_number_digits(42, digits);
  EXPECT_EQ(std::string(digits, 5), "00042");
}

}  // namespace
}  // namespace pkgx
