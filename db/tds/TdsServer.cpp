// TdsServer.cpp: the listening socket and the connection threads.
#include "db/tds/TdsServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace qiva::tds {

TdsServer::~TdsServer() {
  if (listener_ >= 0) ::close(listener_);
}

bool TdsServer::Listen(int port, std::string& error) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) return error = std::strerror(errno), false;
  const int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0)
    return error = std::strerror(errno), false;
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  return true;
}

void TdsServer::Serve(const std::atomic<bool>& stop) {
  std::mutex mutex;
  std::set<int> open;  // the sockets of the connections being served
  std::vector<std::thread> threads;
  while (!stop) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    const int noDelay = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    {
      std::lock_guard<std::mutex> lock(mutex);
      open.insert(client);
    }
    threads.emplace_back([&, client] {
      ServeConnection(client, options_, counters_, stop);
      std::lock_guard<std::mutex> lock(mutex);
      open.erase(client);
    });
  }
  {
    // A connection waiting for its client's next request wakes up with the end of its socket.
    std::lock_guard<std::mutex> lock(mutex);
    for (const int s : open) ::shutdown(s, SHUT_RDWR);
  }
  for (std::thread& t : threads) t.join();
}

}  // namespace qiva::tds
