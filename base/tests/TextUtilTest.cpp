// Tests of the line, token, replacement and upper-casing helpers.
#include <gtest/gtest.h>

#include "base/TextUtil.h"
#include "base/Utf16.h"

namespace {

std::string readAllLines(std::string_view text) {
  std::string joined;
  std::size_t pos = 0;
  std::string line;
  while (ReadTextLine(text, pos, line, 1024)) joined += "[" + line + "]";
  return joined;
}

TEST(ReadTextLine, splitsAtCarriageReturnWithOptionalLineFeed) {
  EXPECT_EQ(readAllLines("a\r\nb"), "[a][b]");
  EXPECT_EQ(readAllLines("a\rb\r\rc"), "[a][b][][c]");
}

TEST(ReadTextLine, keepsLoneLineFeedInsideTheLine) { EXPECT_EQ(readAllLines("a\nb"), "[a\nb]"); }

TEST(ReadTextLine, returnsTheLineThatEndsTheTextOnceEvenWhenEmpty) {
  EXPECT_EQ(readAllLines(""), "[]");
  EXPECT_EQ(readAllLines("a\r\n"), "[a][]");
  std::size_t pos = 0;
  std::string line;
  ASSERT_TRUE(ReadTextLine("ab", pos, line, 10));
  EXPECT_EQ(pos, 3u);  // one past the end
  EXPECT_FALSE(ReadTextLine("ab", pos, line, 10));
  EXPECT_EQ(line, "");
}

TEST(ReadTextLine, refusesALineLongerThanTheMaximum) {
  std::size_t pos = 0;
  std::string line = "stale";
  EXPECT_FALSE(ReadTextLine("abcd\r\nx", pos, line, 3));
  EXPECT_EQ(line, "");
  pos = 0;
  EXPECT_TRUE(ReadTextLine("abc\r\nx", pos, line, 3));
  EXPECT_EQ(line, "abc");
}

TEST(ReadToken, skipsLeadingBlanksAndKeepsTrailingOnes) {
  std::string_view text = "  key = value";
  std::size_t pos = 0;
  std::string token;
  ASSERT_TRUE(ReadToken(text, pos, token, 100, '='));
  EXPECT_EQ(token, "key ");
  ASSERT_TRUE(ReadToken(text, pos, token, 100, '='));
  EXPECT_EQ(token, "value");
  EXPECT_EQ(pos, text.size() + 1);
  EXPECT_FALSE(ReadToken(text, pos, token, 100, '='));
}

TEST(ReadToken, failsOnBlanksAloneLeavingPositionAtTheEnd) {
  std::size_t pos = 0;
  std::string token = "stale";
  EXPECT_FALSE(ReadToken("   ", pos, token, 100, '='));
  EXPECT_EQ(token, "");
  EXPECT_EQ(pos, 3u);
}

TEST(ReadToken, refusesATokenLongerThanTheMaximumAndAcceptsAnEmptyOne) {
  std::size_t pos = 0;
  std::string token;
  EXPECT_FALSE(ReadToken("abcdef=x", pos, token, 5, '='));
  pos = 0;
  ASSERT_TRUE(ReadToken("=x", pos, token, 5, '='));
  EXPECT_EQ(token, "");
  EXPECT_EQ(pos, 1u);
}

TEST(ReplaceAll, replacesLeftToRightWithoutOverlapOrRescan) {
  std::string text = "aaa";
  ReplaceAll(text, "aa", "b");
  EXPECT_EQ(text, "ba");
  text = "abab";
  ReplaceAll(text, "a", "aa");
  EXPECT_EQ(text, "aabaab");
  text = "x";
  ReplaceAll(text, "", "y");
  EXPECT_EQ(text, "x");
}

TEST(ReplaceAll, growsTheTextAsFarAsTheResultNeeds) {
  std::string text(1000, '\'');
  ReplaceAll(text, "'", "''");
  EXPECT_EQ(text, std::string(2000, '\''));
}

TEST(EqualsIgnoringAsciiCase, foldsOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("ServiceType", "SERVICETYPE"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC4\x83", "\xC4\x82"));  // a-breve and A-breve differ
  EXPECT_FALSE(EqualsIgnoringAsciiCase("id", "ids"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));  // 0x5B and 0x7B are not letters
}

TEST(EqualsIgnoringAsciiCase, prefixSearchAndLowerCopyFoldTheSameLetters) {
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("UTF-8\"?>", "utf-8"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("utf", "utf-8"));  // the text is shorter
  EXPECT_TRUE(ContainsIgnoringAsciiCase("/usr/lib/libTDSodbc.so", "tdsodbc"));
  EXPECT_FALSE(ContainsIgnoringAsciiCase("FreeTD", "freetds"));
  EXPECT_TRUE(ContainsIgnoringAsciiCase("x", ""));
  EXPECT_EQ(LowerAsciiCopy("Strict \xC4\x82"), "strict \xC4\x82");  // A-breve stays
}

TEST(ToUpperAscii, changesOnlyAsciiLetters) {
  std::string text = "abc\xC4\x83z1-\xE2";
  ToUpperAscii(text);
  EXPECT_EQ(text, "ABC\xC4\x83Z1-\xE2");
}

TEST(ReplaceChar, limitsItselfToTheCountAndPassesZeroBytes) {
  std::string text("a\0aa", 4);
  ReplaceChar(text, 3, 'a', 'b');
  EXPECT_EQ(text, std::string("b\0ba", 4));
  ReplaceChar(text, 99, 'a', 'c');
  EXPECT_EQ(text, std::string("b\0bc", 4));
}

TEST(Utf16, pairsSurrogatesAndReplacesLoneOnes) {
  EXPECT_EQ(Utf16ToUtf8(u"A\u0218\u20AC"), "A\xC8\x98\xE2\x82\xAC");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x', 0xDC00}), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

}  // namespace
