// ConnectionAdvice.cpp: maps the records of a failed connection to a cause and its next step.
// The driver texts matched here are those of FreeTDS, Microsoft's ODBC Driver 18 and the
// driver managers (unixODBC's "Can't open lib", Windows' IM002).
#include "db/ConnectionAdvice.h"

#include "base/TextUtil.h"

namespace qiva::db {
namespace {

bool Contains(const std::string& text, std::string_view lowerWord) {
  for (std::size_t i = 0; i + lowerWord.size() <= text.size(); ++i) {
    if (EqualsIgnoringAsciiCase(std::string_view(text).substr(i, lowerWord.size()), lowerWord))
      return true;
  }
  return false;
}

bool AnyText(const EngineError& error, std::string_view lowerWord) {
  if (Contains(error.description, lowerWord)) return true;
  for (const ProviderError& record : error.providerErrors)
    if (Contains(record.description, lowerWord)) return true;
  return false;
}

bool AnyNumber(const EngineError& error, long number) {
  for (const ProviderError& record : error.providerErrors)
    if (record.number == number) return true;
  return static_cast<long>(error.code) == number;
}

// The number people look up: the server's, when one of the records has it, else the first
// non-zero one (a driver's own), else 0.
long MessageNumber(const EngineError& error) {
  for (long server : {4060L, 18456L})
    if (AnyNumber(error, server)) return server;
  if (error.code != 0 && error.code <= 0x7FFFFFFF) return static_cast<long>(error.code);
  for (const ProviderError& record : error.providerErrors)
    if (record.number != 0) return record.number;
  return 0;
}

}  // namespace

ConnectionFailureCause ClassifyConnectionFailure(const ConnectionTried& tried,
                                                 const EngineError& error) {
  using C = ConnectionFailureCause;
  if (Contains(error.meaning, "im002") || Contains(error.meaning, "im003") ||
      AnyText(error, "can't open lib") || AnyText(error, "data source name not found"))
    return C::DriverMissing;
  // SQL Server refuses a login for a database it cannot open with 4060 followed by 18456: the
  // database is the cause.
  if (AnyNumber(error, 4060)) return C::DatabaseMissing;
  if (AnyNumber(error, 18456)) return C::LoginFailed;
  if (AnyText(error, "certificate") || AnyText(error, "ssl provider") || AnyText(error, "tls"))
    return C::CertificateRefused;
  // A named instance is found through the SQL Server Browser (UDP 1434) unless a port is given.
  if (tried.server.find('\\') != std::string::npos && tried.server.find(',') == std::string::npos)
    return C::InstanceLookup;
  return C::Unreachable;
}

std::string ConnectionAdvice(const ConnectionTried& tried, const EngineError& error,
                             const std::function<std::vector<std::string>()>& installedDrivers) {
  using C = ConnectionFailureCause;
  std::string step;
  switch (ClassifyConnectionFailure(tried, error)) {
    case C::Unreachable:
      step =
          "the server did not answer: check that the name is right, that TCP/IP is enabled "
          "for the instance (SQL Server Configuration Manager) and that its port is open in "
          "the firewall";
      break;
    case C::InstanceLookup:
      step =
          "the named instance was not found: start the SQL Server Browser service and open "
          "UDP port 1434, or give the instance's fixed port (server=HOST,PORT or port=)";
      break;
    case C::LoginFailed:
      step =
          "login failed: SQL Server authentication must be enabled on the server (mixed "
          "mode), and the user and password must be right";
      break;
    case C::DatabaseMissing:
      step =
          "the database does not exist on that server, or the user may not open it: check "
          "the database name";
      break;
    case C::CertificateRefused:
      step =
          "the server's certificate is not trusted: install a certificate the clients trust "
          "on the server, or set trustservercertificate=yes knowing that the server is then "
          "not checked";
      break;
    case C::DriverMissing: {
      step = "the driver is not installed: install it or name an installed one with driver=";
      const std::vector<std::string> drivers =
          installedDrivers ? installedDrivers() : std::vector<std::string>{};
      step += "; installed drivers: ";
      if (drivers.empty()) step += "none";
      for (std::size_t i = 0; i < drivers.size(); ++i) step += (i ? ", " : "") + drivers[i];
      break;
    }
  }
  const long number = MessageNumber(error);
  return "Cannot connect to server " + tried.server + ", database " + tried.database +
         ", with the driver " + tried.driver + " (" +
         (number != 0 ? "message " + std::to_string(number) : std::string("no message number")) +
         "): " + step;
}

}  // namespace qiva::db
