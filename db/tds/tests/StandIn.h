// StandIn.h: test support for the SQL Server path: starts qiva-tds-server as a process of its
// own, registers the FreeTDS driver in a test-local odbcinst.ini, and gives the connection text
// that reaches the stand-in through the real driver stack.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qiva::test {

// The FreeTDS driver's name in the test-local odbcinst.ini; empty before RegisterFreeTds.
extern const char* const kStandInDriver;

// Registers FreeTDS under kStandInDriver in an odbcinst.ini in `folder` (through ODBCSYSINI);
// false when the driver library was not found at build time.
bool RegisterFreeTds(const std::string& folder);

class StandIn {
 public:
  // Starts the server on `database` with the extra `arguments`; Started() tells whether it runs.
  StandIn(const std::string& database, const std::vector<std::string>& arguments = {});
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  bool Started() const { return port_ > 0; }
  int Port() const { return port_; }
  // ODBC connection text for the stand-in ("DRIVER={...};SERVER=127.0.0.1;PORT=...;...").
  std::string ConnectionText(const std::string& user = "qiva",
                             const std::string& password = "qiva") const;
  // Ends the server (SIGTERM) and returns its last line ("requests N statements M"), once.
  std::string Stop();

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  int port_ = 0;
};

}  // namespace qiva::test
