// NetSocket.h: the few socket operations the download client (and the doctor's server check)
// needs, with every wait bounded:
// the socket library's start, name resolution, one TCP connection. The platform calls (POSIX
// sockets, Windows Sockets 2) are all in NetSocket.cpp; no HTTP here.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qiva::net {

// Keeps the system's socket library started while it lives (Windows Sockets 2.0; nothing to
// do on POSIX systems).
class SocketLibrary {
 public:
  SocketLibrary();
  ~SocketLibrary();
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// One address to connect to: the bytes of a socket address of its family.
struct SocketAddress {
  std::vector<unsigned char> bytes;
};

// Every TCP address of `host` on `port`, in the order the system's resolver (getaddrinfo, safe
// from any thread) gives them; nullopt when the name does not resolve. May query the network.
std::optional<std::vector<SocketAddress>> SystemResolve(const std::string& host,
                                                        std::uint16_t port);

// Sends `request` as one UDP datagram to `address` (its port included) and waits at most
// `limit` for one datagram in reply; nullopt when none comes in time or the socket cannot be
// made. (The SQL Server Browser's instance look-up is such an exchange.)
std::optional<std::string> UdpExchange(const SocketAddress& address, std::string_view request,
                                       std::chrono::milliseconds limit);

enum class ReceiveStatus { Data, Closed, TimedOut, Failed };

// One TCP connection, closed with the object.
class TcpConnection {
 public:
  TcpConnection() = default;
  TcpConnection(TcpConnection&& other) noexcept;
  TcpConnection& operator=(TcpConnection&& other) noexcept;
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;
  ~TcpConnection();

  // Connects to `address`, waiting at most `limit`; false when the socket cannot be made or the
  // connection is refused, unreachable or not made in time.
  bool connect(const SocketAddress& address, std::chrono::milliseconds limit);
  // Sends every byte; false when the connection fails or no progress is made within `limit`.
  bool sendAll(std::string_view bytes, std::chrono::milliseconds limit);
  // Waits at most `limit` for the next bytes: Data with `received` > 0, Closed when the peer
  // ended the connection in order, TimedOut, or Failed (a reset, for instance).
  ReceiveStatus receive(char* buffer, std::size_t capacity, std::size_t& received,
                        std::chrono::milliseconds limit);

 private:
  void close();
  std::uintptr_t handle_ = kNoSocket;
  static constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};
};

}  // namespace qiva::net
