// ConnectionAdvice.h: the one line for people that follows the driver's text when a connection
// to SQL Server fails: what was tried, the server's message number in decimal and the likely
// next step, chosen by the cause the driver's records show. Texts only; no connection here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/DbEngine.h"

namespace qiva::db {

// What a failed connection tried. Never holds the password.
struct ConnectionTried {
  std::string server;  // as configured, with ",PORT" when the port was given apart
  std::string database;
  std::string driver;  // the ODBC driver name
};

// The likely cause of a failed connection, read from the driver's records.
enum class ConnectionFailureCause {
  Unreachable,         // no answer from the host and port (or the name is wrong)
  InstanceLookup,      // a named instance without a port, and no answer: the Browser's job
  LoginFailed,         // 18456
  DatabaseMissing,     // 4060
  CertificateRefused,  // the server's certificate is not trusted
  DriverMissing,       // the driver manager cannot load the named driver
};

ConnectionFailureCause ClassifyConnectionFailure(const ConnectionTried& tried,
                                                 const EngineError& error);

// The line: "Cannot connect to server S, database D, with the driver R (message N): <step>".
// `installedDrivers` is asked only when the driver is missing, to list the ones there are.
std::string ConnectionAdvice(const ConnectionTried& tried, const EngineError& error,
                             const std::function<std::vector<std::string>()>& installedDrivers);

}  // namespace qiva::db
