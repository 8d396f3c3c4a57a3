// TestHttpServer.h: a small scripted HTTP server for the tests, on 127.0.0.1 and a port the
// system picks, so that no test reaches beyond this machine's loopback. Each connection is
// answered on a thread of its own with the reply set for the requested path.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qiva::test {

struct HttpReply {
  enum class End {
    Close,    // orderly close after the pieces
    Reset,    // the connection is reset after the pieces
    Hang,     // nothing more is sent until ReleaseHanging (from then on, at once) or the end
    Endless,  // the last piece is sent again and again until the client goes or the end
  };
  std::vector<std::string> pieces;  // sent one by one, each flushed before the next
  End end = End::Close;
  std::chrono::milliseconds pause{20};  // between two pieces
};

// A complete answer: status line, an optional Content-Length, the body.
HttpReply Reply(int status, const std::string& body, bool withLength = true);

class TestHttpServer {
 public:
  TestHttpServer();
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  std::uint16_t port() const { return port_; }
  // "127.0.0.1:PORT"
  std::string authority() const;
  // The reply for requests of `path` (the request line's target); other paths get a 404 page.
  void Route(const std::string& path, HttpReply reply);
  // Every request received so far, byte for byte, in order.
  std::vector<std::string> Requests() const;
  // Waits until at least `count` connections were accepted; false at the time limit.
  bool WaitForConnections(int count, std::chrono::milliseconds limit);
  // Closes the connections held by Hang replies.
  void ReleaseHanging();

 private:
  void Serve();
  void Answer(int connection);

  int listener_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, HttpReply> routes_;
  std::vector<std::string> requests_;
  int connections_ = 0;
  bool released_ = false;
  bool stopping_ = false;
  std::thread thread_;                  // accepts
  std::vector<std::thread> answering_;  // one per connection, joined at the end
};

// A port on 127.0.0.1 where nothing listens: connections to it are refused.
std::uint16_t ClosedLoopbackPort();

}  // namespace qiva::test
