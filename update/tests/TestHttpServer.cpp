// TestHttpServer.cpp: the tests' loopback HTTP server, on POSIX sockets.
#include "update/tests/TestHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace qiva::test {
namespace {

sockaddr_in loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

std::uint16_t boundPort(int socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// Waits for `fd` to be readable or the wake pipe to signal; true when `fd` is readable.
bool waitReadable(int fd, int wake) {
  pollfd entries[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
  for (;;) {
    if (::poll(entries, 2, -1) < 0) continue;
    if (entries[1].revents != 0) return false;
    if (entries[0].revents != 0) return true;
  }
}

}  // namespace

HttpReply Reply(int status, const std::string& body, bool withLength) {
  std::string head = "HTTP/1.0 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
                     "\r\nContent-Type: text/html\r\n";
  if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return HttpReply{{head + "\r\n" + body}, HttpReply::End::Close};
}

TestHttpServer::TestHttpServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address = loopback(0);
  ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener_, 8);
  port_ = boundPort(listener_);
  int wake[2];
  if (::pipe(wake) == 0) {
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
  }
  thread_ = std::thread([this] { Serve(); });
}

TestHttpServer::~TestHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  (void)!::write(wakeWrite_, "x", 1);
  thread_.join();
  for (std::thread& answering : answering_) answering.join();
  ::close(listener_);
  ::close(wakeRead_);
  ::close(wakeWrite_);
}

std::string TestHttpServer::authority() const { return "127.0.0.1:" + std::to_string(port_); }

void TestHttpServer::Route(const std::string& path, HttpReply reply) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::move(reply);
}

std::vector<std::string> TestHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool TestHttpServer::WaitForConnections(int count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return connections_ >= count; });
}

void TestHttpServer::ReleaseHanging() {
  std::lock_guard lock(mutex_);
  released_ = true;
}

void TestHttpServer::Serve() {
  while (waitReadable(listener_, wakeRead_)) {
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) continue;
    {
      std::lock_guard lock(mutex_);
      ++connections_;
    }
    changed_.notify_all();
    answering_.emplace_back([this, connection] {
      Answer(connection);
      ::close(connection);
    });
  }
}

void TestHttpServer::Answer(int connection) {
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos) {
    if (!waitReadable(connection, wakeRead_)) return;
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  HttpReply reply = Reply(404, "<html><body>404 Not Found</body></html>");
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    const std::size_t space = request.find(' ');
    const std::size_t end = request.find(' ', space + 1);
    if (space != std::string::npos && end != std::string::npos) {
      auto route = routes_.find(request.substr(space + 1, end - space - 1));
      if (route != routes_.end()) reply = route->second;
    }
  }
  changed_.notify_all();
  const int on = 1;
  ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  for (std::size_t i = 0; i < reply.pieces.size(); ++i) {
    // A short pause between pieces, so that the client receives them separately.
    if (i > 0) std::this_thread::sleep_for(reply.pause);
    ::send(connection, reply.pieces[i].data(), reply.pieces[i].size(), MSG_NOSIGNAL);
  }
  while (reply.end == HttpReply::End::Endless && !reply.pieces.empty()) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
    }
    const std::string& piece = reply.pieces.back();
    if (::send(connection, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) break;
  }
  if (reply.end == HttpReply::End::Reset) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the pieces are read first
    const linger resetOnClose{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
  } else if (reply.end == HttpReply::End::Hang) {
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (released_ || stopping_) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

std::uint16_t ClosedLoopbackPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(0);
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const std::uint16_t port = boundPort(s);
  ::close(s);
  return port;
}

}  // namespace qiva::test
