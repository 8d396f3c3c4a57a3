// SqlDateTimeTest.cpp: text to datetime as SQL Server converts it, and the stored text form.
#include <gtest/gtest.h>

#include "db/SqlDateTime.h"

namespace qiva::db {
namespace {

std::string Conv(const std::string& text, DateOrder order = DateOrder::MDY) {
  SqlDateTime dt;
  const DateError e = ParseDateTime(text, order, dt);
  if (e == DateError::Syntax) return "241";
  if (e == DateError::OutOfRange) return "242";
  return FormatCanonical(dt);
}

TEST(SqlDateTime, AcceptsTheFormsTheImportsWrite) {
  EXPECT_EQ(Conv(""), "1900-01-01 00:00:00.000");
  EXPECT_EQ(Conv("   "), "1900-01-01 00:00:00.000");
  EXPECT_EQ(Conv("19000101 00:00"), "1900-01-01 00:00:00.000");
  EXPECT_EQ(Conv("20210315"), "2021-03-15 00:00:00.000");
  EXPECT_EQ(Conv("20210315 13:45:10.250"), "2021-03-15 13:45:10.250");
  EXPECT_EQ(Conv("2021-03-15"), "2021-03-15 00:00:00.000");
  EXPECT_EQ(Conv("2021-03-15 07:05"), "2021-03-15 07:05:00.000");
  EXPECT_EQ(Conv("2021-03-15T07:05:09"), "2021-03-15 07:05:09.000");
  EXPECT_EQ(Conv("1900-01-01 00:00:00.000"), "1900-01-01 00:00:00.000");
  EXPECT_EQ(Conv("Mar 15 2021 1:05PM"), "2021-03-15 13:05:00.000");
}

TEST(SqlDateTime, PlainSeparatedDatesFollowTheDateOrder) {
  EXPECT_EQ(Conv("03/04/2021"), "2021-03-04 00:00:00.000");  // mdy
  EXPECT_EQ(Conv("03/04/2021", DateOrder::DMY), "2021-04-03 00:00:00.000");
  EXPECT_EQ(Conv("13/04/2021"), "242");                                      // no month 13
  EXPECT_EQ(Conv("2021-03-04", DateOrder::DMY), "2021-04-03 00:00:00.000");  // ydm, like datetime
  EXPECT_EQ(Conv("1/2/49"), "2049-01-02 00:00:00.000");  // two-digit year cutoff
  EXPECT_EQ(Conv("1/2/50"), "1950-01-02 00:00:00.000");
}

TEST(SqlDateTime, RefusesWhatSqlServerRefuses) {
  EXPECT_EQ(Conv("abc"), "241");
  EXPECT_EQ(Conv("2021-03-15 25:00"), "241");
  EXPECT_EQ(Conv("2021-02-30"), "242");
  EXPECT_EQ(Conv("1752-12-31"), "242");
  EXPECT_EQ(Conv("17530101"), "1753-01-01 00:00:00.000");
  EXPECT_EQ(Conv("9999-12-31 23:59:59.997"), "9999-12-31 23:59:59.997");
  EXPECT_EQ(Conv("2021-03-15 10"), "241");
  EXPECT_EQ(Conv("2021-03-15+02:00"), "241");
}

TEST(SqlDateTime, TimesMonthNamesAndTimeOnly) {
  EXPECT_EQ(Conv("12:30"), "1900-01-01 12:30:00.000");
  EXPECT_EQ(Conv("2021-05-06 12:00AM"), "2021-05-06 00:00:00.000");
  EXPECT_EQ(Conv("2021-05-06 12:15 PM"), "2021-05-06 12:15:00.000");
  EXPECT_EQ(Conv("2021-05-06 13:00 PM"), "241");
  EXPECT_EQ(Conv("2021-05-06 10:11:12:5"), "2021-05-06 10:11:12.007");  // ':' before milliseconds
  EXPECT_EQ(Conv("2021-05-06 10:11:12.5"), "2021-05-06 10:11:12.500");  // '.' before a fraction
  EXPECT_EQ(Conv("6 May 2021"), "2021-05-06 00:00:00.000");
  EXPECT_EQ(Conv("2021 may 6"), "2021-05-06 00:00:00.000");
  EXPECT_EQ(Conv("September 6 2021"), "2021-09-06 00:00:00.000");
  EXPECT_EQ(Conv("Mayo 6 2021"), "241");
  EXPECT_EQ(Conv("Foo 6 2021"), "241");
  EXPECT_EQ(Conv("210506"), "2021-05-06 00:00:00.000");
  EXPECT_EQ(Conv("2021"), "2021-01-01 00:00:00.000");
  EXPECT_EQ(Conv("2021-05-06 10:11 extra"), "241");
}

TEST(SqlDateTime, NumbersCountDaysFrom1900) {
  SqlDateTime dt;
  ASSERT_TRUE(DateTimeFromDays(1.5, dt));
  EXPECT_EQ(FormatCanonical(dt), "1900-01-02 12:00:00.000");
  ASSERT_TRUE(DateTimeFromDays(-53690, dt));
  EXPECT_EQ(FormatCanonical(dt), "1753-01-01 00:00:00.000");
  EXPECT_FALSE(DateTimeFromDays(-53691, dt));
}

TEST(SqlDateTime, RoundsToThreeHundredthsOfASecond) {
  EXPECT_EQ(Conv("2021-01-01 00:00:00.001"), "2021-01-01 00:00:00.000");
  EXPECT_EQ(Conv("2021-01-01 00:00:00.002"), "2021-01-01 00:00:00.003");
  EXPECT_EQ(Conv("2021-01-01 00:00:00.005"), "2021-01-01 00:00:00.007");
  EXPECT_EQ(Conv("2021-12-31 23:59:59.999"), "2022-01-01 00:00:00.000");
}

TEST(SqlDateTime, StylesGiveTheirDateOrderAndText) {
  DateOrder order;
  ASSERT_TRUE(DateOrderForStyle(103, DateOrder::MDY, order));
  EXPECT_EQ(Conv("08/12/2026", order), "2026-12-08 00:00:00.000");
  ASSERT_TRUE(DateOrderForStyle(120, DateOrder::DMY, order));
  EXPECT_EQ(Conv("2026-12-08 10:11:12", order), "2026-12-08 10:11:12.000");
  EXPECT_FALSE(DateOrderForStyle(999, DateOrder::MDY, order));

  SqlDateTime dt;
  ASSERT_EQ(ParseDateTime("2026-12-08 09:05:03.007", DateOrder::YMD, dt), DateError::None);
  std::string text;
  ASSERT_TRUE(FormatStyle(dt, 103, text));
  EXPECT_EQ(text, "08/12/2026");
  ASSERT_TRUE(FormatStyle(dt, 120, text));
  EXPECT_EQ(text, "2026-12-08 09:05:03");
  ASSERT_TRUE(FormatStyle(dt, 0, text));
  EXPECT_EQ(text, "Dec  8 2026  9:05AM");
  EXPECT_FALSE(FormatStyle(dt, 999, text));
}

// The check the pharmaceutical import makes before a record joins a batch: the same rules as
// CONVERT(datetime, text, 120) on the engine, whatever the session's date order.
TEST(SqlDateTime, ConvertsToDateTimeFollowsTheStyle) {
  for (const char* good :
       {"2024-02-29", "2024-01-31 10:20:30", "20240131", "", "2024-01-31T08:00:00"}) {
    EXPECT_TRUE(ConvertsToDateTime(good, 120)) << good;
    EXPECT_TRUE(ConvertsToDateTime(good, 120, DateOrder::DMY)) << good;
  }
  for (const char* bad :
       {"2023-02-29", "31.01.2024", "2024-01-31 25:00", "ieri", "1752-12-31", "2024-1-31x"}) {
    EXPECT_FALSE(ConvertsToDateTime(bad, 120)) << bad;
  }
  EXPECT_FALSE(ConvertsToDateTime("2024-01-31", 999));
}

}  // namespace
}  // namespace qiva::db
