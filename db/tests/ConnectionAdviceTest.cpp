// Tests of the advice line after a failed connection, on the texts the drivers give: each cause
// its own next step, the message number in decimal, and the installed drivers when the named
// one is missing.
#include <gtest/gtest.h>

#include "db/ConnectionAdvice.h"

namespace {

using qiva::db::ConnectionAdvice;
using qiva::db::ConnectionFailureCause;
using qiva::db::ConnectionTried;
using qiva::db::EngineError;

EngineError Failure(const char* meaning, std::vector<qiva::db::ProviderError> records) {
  EngineError error;
  error.meaning = meaning;
  error.code = records.empty() ? 0 : static_cast<unsigned long>(records.front().number);
  error.description = records.empty() ? "" : records.front().description;
  error.providerErrors = std::move(records);
  return error;
}

TEST(ConnectionAdvice, eachCauseOfTheDriversTextsGetsItsOwnNextStep) {
  const ConnectionTried named{"SRV01\\SQLEXPRESS", "CLINIC", "FreeTDS"};
  const ConnectionTried withPort{"SRV01,1433", "CLINIC", "ODBC Driver 18 for SQL Server"};
  struct Case {
    ConnectionTried tried;
    EngineError error;
    ConnectionFailureCause cause;
    std::string step;
  };
  const std::vector<Case> cases = {
      {withPort,
       Failure("SQLSTATE 08001", {{20009,
                                   "Unable to connect: Adaptive Server is unavailable or "
                                   "does not exist"},
                                  {0, "Unable to connect to data source"}}),
       ConnectionFailureCause::Unreachable, "TCP/IP is enabled"},
      {named, Failure("SQLSTATE 08001", {{0, "Unable to connect to data source"}}),
       ConnectionFailureCause::InstanceLookup, "SQL Server Browser"},
      {withPort,
       Failure("SQLSTATE 28000", {{18456, "Login failed for user 'sa'."},
                                  {20002, "Adaptive Server connection failed"}}),
       ConnectionFailureCause::LoginFailed, "SQL Server authentication must be enabled"},
      // FreeTDS reports 4060 after a warning record; the number is found wherever it stands.
      {withPort,
       Failure("SQLSTATE 42000",
               {{20002, "Adaptive Server connection failed"},
                {4060, "Cannot open database \"CLINIK\" requested by the login."}}),
       ConnectionFailureCause::DatabaseMissing, "check the database name"},
      // SQL Server follows 4060 with the login's own 18456: the database is still the cause.
      {withPort,
       Failure(
           "SQLSTATE 42000",
           {{18456, "Login failed for user 'qiva'."},
            {4060, "Cannot open database \"CLINIK\" requested by the login. The login failed."}}),
       ConnectionFailureCause::DatabaseMissing, "(message 4060): the database does not exist"},
      {withPort,
       Failure("SQLSTATE 08001", {{-2146893019,
                                   "SSL Provider: The certificate chain was issued by an authority "
                                   "that is not trusted."}}),
       ConnectionFailureCause::CertificateRefused, "trustservercertificate=yes"},
      {named,
       Failure("SQLSTATE 01000",
               {{0, "Can't open lib 'ODBC Driver 18 for SQL Server' : file not found"}}),
       ConnectionFailureCause::DriverMissing, "installed drivers: FreeTDS, SQLite3"},
  };
  const auto installed = [] { return std::vector<std::string>{"FreeTDS", "SQLite3"}; };
  for (const Case& c : cases) {
    const std::string line = ConnectionAdvice(c.tried, c.error, installed);
    SCOPED_TRACE(line);
    EXPECT_EQ(ClassifyConnectionFailure(c.tried, c.error), c.cause);
    EXPECT_NE(line.find(c.step), std::string::npos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
}

TEST(ConnectionAdvice, namesWhatWasTriedAndTheServersNumberInDecimal) {
  const std::string line = ConnectionAdvice(
      {"SRV01,1433", "CLINIC", "FreeTDS"},
      Failure("SQLSTATE 42000",
              {{20002, "Adaptive Server connection failed"}, {4060, "Cannot open database"}}),
      nullptr);
  EXPECT_EQ(line.rfind("Cannot connect to server SRV01,1433, database CLINIC, with the driver "
                       "FreeTDS (message 4060): ",
                       0),
            0u)
      << line;
  // No driver manager to ask: the list says so rather than staying silent.
  EXPECT_NE(ConnectionAdvice({"h", "d", "X"}, Failure("SQLSTATE IM002", {}), nullptr)
                .find("installed drivers: none"),
            std::string::npos);
}

}  // namespace
