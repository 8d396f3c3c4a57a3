// Doctor.h: `qiva-import doctor`: checks, step by step, what an import needs (the
// configuration, the driver, the server, the login, the database, its collation against the
// text mode, the tables, columns and procedure of the reference schema, the locations) and
// prints one line per check. It writes nothing: no log record, no row, no new database file.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

struct DoctorRequest {
  std::string configuration;                     // the configuration file's path
  std::vector<std::string> configurationsTried;  // without --config: every place looked at
  std::string traceSql;                          // --trace-sql: the queries sent, "" for none
};

// Runs the checks, printing "OK     CHECK: WHAT" or "FAILED CHECK: WHAT; next step: STEP" lines
// on `out`. A check that leaves nothing to connect to (no configuration, no driver, no server,
// no login, no database) ends the run. Returns kExitOk when every check passed, kExitDatabase
// when one failed (kExitUsage when the trace file cannot be written).
int RunDoctor(const DoctorRequest& request, std::ostream& out);

// What the database's collation means for the configured text mode, as the doctor says it;
// `failed` is set when the text would be stored wrong (a UTF-8 collation with the default mode).
std::string CollationMeaning(const std::string& collation, bool textAsCharacters, bool& failed);

// The server value taken apart: "HOST\INSTANCE,PORT", a "tcp:" prefix passed over; `portKey`
// (the port key) stands in for a port the value does not give. "." and "(local)" are localhost.
struct ServerParts {
  std::string host;
  std::string instance;
  std::string port;  // "" when neither the value nor the key gives one
};
ServerParts SplitServer(const std::string& server, const std::string& portKey);

// The SQL Server Browser's request for one instance's details (CLNT_UCAST_INST).
std::string BrowserRequest(const std::string& instance);
// The TCP port of `instance` in the Browser's reply; "" when the reply gives none.
std::string InstancePort(std::string_view reply, const std::string& instance);
