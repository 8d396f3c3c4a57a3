// Tests of the mapping from ODBC diagnostic records to the engine's error, and of the UTF-16
// reading of wide text.
#include <gtest/gtest.h>

#include "db/odbc/OdbcDiagnostics.h"

namespace {

using qiva::db::odbc::DiagnosticRecord;
using qiva::db::odbc::MapDiagnostics;

TEST(OdbcDiagnostics, firstRecordFillsTheComFieldsAndEveryRecordAProviderOne) {
  const std::vector<DiagnosticRecord> records = {
      {"01000", 5701, "[unixODBC][FreeTDS][SQL Server]Changed database context"},
      {"28000", 18456, "[unixODBC][FreeTDS][SQL Server]Login failed for user 'sa'.\n"},
      {"08001", 0, "[unixODBC][FreeTDS][SQL Server]Unable to connect to data source"}};
  const auto error = MapDiagnostics(records, "unused");
  EXPECT_EQ(error.code, 18456u);
  EXPECT_EQ(error.meaning, "SQLSTATE 28000: Invalid authorization (login failed)");
  EXPECT_EQ(error.source, "[unixODBC][FreeTDS][SQL Server]");
  EXPECT_EQ(error.description, "Login failed for user 'sa'.");
  ASSERT_EQ(error.providerErrors.size(), 3u);
  EXPECT_EQ(error.providerErrors[0].description, "Changed database context");
  EXPECT_EQ(error.providerErrors[2].number, 0);
  EXPECT_EQ(error.providerErrors[2].description, "Unable to connect to data source");
}

TEST(OdbcDiagnostics, unlistedStatesUnprefixedMessagesAndNoRecordsStillSaySomething) {
  EXPECT_EQ(MapDiagnostics({{"01000", 0, "[Driver Manager]Can't open lib"}}, "").meaning,
            "SQLSTATE 01000: General warning");
  auto error = MapDiagnostics({{"S1234", -5, "no such table: X (1)"}}, "unused");
  EXPECT_EQ(error.code, 0xFFFFFFFBu);
  EXPECT_EQ(error.meaning, "SQLSTATE S1234");
  EXPECT_EQ(error.source, "");
  EXPECT_EQ(error.description, "no such table: X (1)");
  EXPECT_EQ(MapDiagnostics({{"HY000", 1, "[unclosed prefix"}}, "").description, "[unclosed prefix");

  error = MapDiagnostics({}, "the driver said nothing");
  EXPECT_EQ(error.meaning, "SQLSTATE HY000: General error");
  EXPECT_EQ(error.description, "the driver said nothing");
  EXPECT_TRUE(error.providerErrors.empty());
}

}  // namespace
