// TdsServer.h: the TDS test server: listens on 127.0.0.1 and serves each connection on a thread
// of its own (TdsSession) until it is told to stop.
#pragma once

#include <atomic>
#include <string>

#include "db/tds/TdsSession.h"

namespace qiva::tds {

class TdsServer {
 public:
  explicit TdsServer(ServerOptions options) : options_(std::move(options)) {}
  ~TdsServer();
  TdsServer(const TdsServer&) = delete;
  TdsServer& operator=(const TdsServer&) = delete;

  // Binds 127.0.0.1:`port` (0: a port the system chooses) and listens; false with `error` set.
  bool Listen(int port, std::string& error);
  int Port() const { return port_; }
  // Accepts and serves connections until `stop` is set; then ends every connection and returns.
  void Serve(const std::atomic<bool>& stop);
  const ServerCounters& Counters() const { return counters_; }

 private:
  ServerOptions options_;
  ServerCounters counters_;
  int listener_ = -1;
  int port_ = 0;
};

}  // namespace qiva::tds
