// Tests of value rendering: templates, quoting, NULL forms and locale-free numbers.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "import/toolkit/RecordReader.h"
#include "import/toolkit/SqlText.h"

namespace {

using namespace qiva::import;

TEST(FillTemplate, doublesQuotesOnlyInsideQuotedPlaceholders) {
  EXPECT_EQ(FillTemplate("values ('%s',%d,%s)", {"O'Neil", "7", "'x'"}),
            "values ('O''Neil',7,'x')");
  EXPECT_EQ(FillTemplate("a '%s' b", {"''"}), "a '''''' b");
}

TEST(FillTemplate, takesEveryPrintfPlaceholderInOrder) {
  EXPECT_EQ(FillTemplate("%d|%ld|%0.2f|%s|100%%", {"1", "2", "3.00", "x"}), "1|2|3.00|x|100%");
  EXPECT_EQ(FillTemplate("('%s','%s')", {"only"}), "('only','')");
}

TEST(QuotedOrNull, writesTheTwoNullForms) {
  EXPECT_EQ(QuotedOrNull(""), "NULL");
  EXPECT_EQ(QuotedOrNull("", "null"), "null");
  EXPECT_EQ(QuotedOrNull("2030-01-01"), "'2030-01-01'");
  EXPECT_EQ(QuotedOrNull("it's"), "'it''s'");
  EXPECT_EQ(OptionalTail(""), ",null");
  EXPECT_EQ(OptionalTail("Z"), ",'Z'");
}

TEST(FixedText, roundsTheSinglePrecisionValueLikePrintf) {
  EXPECT_EQ(FixedText(static_cast<double>(1.115f), 2), "1.12");
  EXPECT_EQ(FixedText(1.115, 2), "1.11");
  EXPECT_EQ(FixedText(0.0, 2), "0.00");
  EXPECT_EQ(FixedText(-2.5, 2), "-2.50");
}

TEST(FixedText, ignoresTheProcessLocale) {
  const char* applied = std::setlocale(LC_ALL, "ro_RO.UTF-8");
  if (!applied) applied = std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(FixedText(1.5, 2), "1.50");
  EXPECT_DOUBLE_EQ(ParseLeadingReal("1.5"), 1.5);
  std::setlocale(LC_ALL, "C");
  if (!applied) GTEST_SKIP() << "no comma-decimal locale installed; checked under C only";
}

TEST(IsPlainNumber, acceptsOnlyNumbersThatCanStandUnquoted) {
  for (const char* good : {"12", "-3", "+4.5", ".5", "5.", "1e3", "2.5E-2"}) {
    EXPECT_TRUE(IsPlainNumber(good)) << good;
  }
  for (const char* bad : {"", " 1", "1 ", "abc", "1,5", "1;drop table x", ".", "-", "1e", "0x10"}) {
    EXPECT_FALSE(IsPlainNumber(bad)) << bad;
  }
}

TEST(ParseLeadingInt, readsLikeAtoiInTheCLocale) {
  EXPECT_EQ(ParseLeadingInt("  42abc"), 42);
  EXPECT_EQ(ParseLeadingInt("\t-7"), -7);
  EXPECT_EQ(ParseLeadingInt("+8"), 8);
  EXPECT_EQ(ParseLeadingInt("abc"), 0);
  EXPECT_EQ(ParseLeadingInt(""), 0);
  EXPECT_EQ(ParseLeadingInt("- 5"), 0);
  EXPECT_EQ(ParseLeadingInt("99999999999"), 2147483647);
  EXPECT_EQ(ParseLeadingInt("-99999999999"), -2147483647 - 1);
}

// The 32-bit bounds are the last values read; one past either is out of range, however many
// digits follow, and a number that is no number is 0 as ParseLeadingInt reads it.
TEST(ParseLeadingInt, inRangeReadingRefusesWhatWouldSaturate) {
  EXPECT_EQ(ParseLeadingIntInRange("2147483647"), 2147483647);
  EXPECT_EQ(ParseLeadingIntInRange("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingIntInRange(" 12x"), 12);
  EXPECT_EQ(ParseLeadingIntInRange("abc"), 0);
  for (const std::string& beyond :
       {std::string("2147483648"), std::string("-2147483649"), "1" + std::string(40, '0')}) {
    EXPECT_EQ(ParseLeadingIntInRange(beyond), std::nullopt) << beyond;
  }
}

TEST(ParseLeadingReal, readsLikeAtofInTheCLocale) {
  EXPECT_DOUBLE_EQ(ParseLeadingReal(" +1.25xyz"), 1.25);
  EXPECT_DOUBLE_EQ(ParseLeadingReal("-3e2"), -300.0);
  EXPECT_DOUBLE_EQ(ParseLeadingReal(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ParseLeadingReal("1,5"), 1.0);
  EXPECT_DOUBLE_EQ(ParseLeadingReal("abc"), 0.0);
  EXPECT_DOUBLE_EQ(ParseLeadingReal("+-1"), 0.0);
  EXPECT_TRUE(std::isinf(ParseLeadingReal("1e999")));
  EXPECT_DOUBLE_EQ(ParseLeadingReal("1e-999"), 0.0);
}

// A number starts with a digit or a dot after the blanks and the sign: the words that the C++
// number reader also takes are no number, so they read as 0 like any other text.
TEST(ParseLeadingReal, readsNanAndInfinityWordsAsNoNumber) {
  for (const char* word :
       {"nan", "NaN", "-nan", " +nan(123)", "inf", "-Inf", "INFINITY", "infinity5", "0x1p3"}) {
    const double value = ParseLeadingReal(word);
    EXPECT_TRUE(std::isfinite(value)) << word;
    EXPECT_EQ(value, 0.0) << word;
  }
}

// A literal of more than 38 digits is refused by SQL Server, so it cannot be written; neither
// can a value that is not finite.
TEST(SqlFixedText, refusesValuesNoNumericLiteralCanHold) {
  EXPECT_EQ(SqlFixedText(1.5, 2), "1.50");
  // 2^119 has 36 digits, 2^120 has 37.
  EXPECT_EQ(SqlFixedText(-std::ldexp(1.0, 119), 2), "-664613997892457936451903530140172288.00");
  EXPECT_EQ(SqlFixedText(std::ldexp(1.0, 120), 2), std::nullopt);
  EXPECT_EQ(SqlFixedText(std::ldexp(1.0, 120), 0), "1329227995784915872903807060280344576");
  EXPECT_EQ(SqlFixedText(-1e300, 0), std::nullopt);
  EXPECT_EQ(SqlFixedText(std::numeric_limits<double>::infinity(), 2), std::nullopt);
  EXPECT_EQ(SqlFixedText(std::nan(""), 2), std::nullopt);
}

}  // namespace
