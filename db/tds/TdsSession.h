// TdsSession.h: one client connection of the TDS test server: the pre-login and login exchange,
// then SQL batches run statement by statement on an embedded engine connection of its own, each
// statement answered with the tokens SQL Server sends for it, attention honoured between
// statements, and the faults that tests ask for (a hang, a dropped connection, latency).
#pragma once

#include <atomic>
#include <string>

namespace qiva::tds {

struct ServerOptions {
  std::string database;         // the embedded database file served
  std::string user, password;   // empty user: any login is accepted
  std::string databaseName;     // the database served; a login asking for another is refused
                                // with 4060 (empty: any name is accepted)
  bool utf8 = false;            // varchar holds UTF-8 (else code page 1250)
  int latencyMs = 0;            // waited before answering each request
  long long hangAt = 0;         // statement number (per connection) at which answers stop; 0: never
  long long dropAt = 0;         // statement number at which the connection is closed; 0: never
  int statementDelayMs = 0;     // waited before each statement (lets a test cancel in the middle)
  std::string extraCountTable;  // after each insert into it, one more DONEINPROC count
};

struct ServerCounters {
  std::atomic<long long> requests{0};    // SQL batches received
  std::atomic<long long> statements{0};  // statements those batches held
};

// Serves one accepted connection until the client leaves, a fault ends it or `stop` is set.
// Closes the socket.
void ServeConnection(int socket, const ServerOptions& options, ServerCounters& counters,
                     const std::atomic<bool>& stop);

}  // namespace qiva::tds
