// NetSocket.cpp: the download client's socket calls on POSIX systems and on Windows (Windows
// Sockets 2). Sockets are non-blocking so that every wait goes through waitReady, which bounds
// it; the two systems differ only in the small primitives at the top.
#include "update/NetSocket.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace qiva::net {
namespace {

using Clock = std::chrono::steady_clock;

#ifdef _WIN32
using NativeSocket = SOCKET;
using IoLength = int;

void closeNative(NativeSocket s) { ::closesocket(s); }
bool setNonBlocking(NativeSocket s) {
  u_long on = 1;
  return ::ioctlsocket(s, FIONBIO, &on) == 0;
}
bool inProgress() {
  const int error = ::WSAGetLastError();
  return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
}
bool wouldBlock() { return ::WSAGetLastError() == WSAEWOULDBLOCK; }
bool interrupted() { return ::WSAGetLastError() == WSAEINTR; }
constexpr int kSendFlags = 0;

// select on one socket: the Windows fd_set is a list of sockets, so any socket fits. A failed
// connection is reported through the exception set.
int waitNative(NativeSocket s, bool forWrite, int milliseconds) {
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
  const int n =
      ::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &wait);
  return n;
}
#else
using NativeSocket = int;
using IoLength = std::size_t;

void closeNative(NativeSocket s) { ::close(s); }
bool setNonBlocking(NativeSocket s) {
  const int flags = ::fcntl(s, F_GETFL, 0);
  return flags >= 0 && ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
}
bool inProgress() { return errno == EINPROGRESS; }
bool wouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK; }
bool interrupted() { return errno == EINTR; }
// A peer that has gone must not end the program with SIGPIPE.
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

// poll rather than select: a descriptor number above FD_SETSIZE would overrun an fd_set.
int waitNative(NativeSocket s, bool forWrite, int milliseconds) {
  pollfd entry{s, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
  return ::poll(&entry, 1, milliseconds);
}
#endif

NativeSocket native(std::uintptr_t handle) { return static_cast<NativeSocket>(handle); }

// Waits until the socket can be read (or written) or `deadline` passes. True when ready (an
// error condition counts as ready: the next call reports it).
bool waitReady(NativeSocket s, bool forWrite, Clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    const int n =
        waitNative(s, forWrite, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
    if (n > 0) return true;
    if (n < 0 && !interrupted()) return true;
  }
}

// The socket's pending error after a non-blocking connect (0 when connected).
int pendingError(NativeSocket s) {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
    return -1;
  return error;
}

}  // namespace

#ifdef _WIN32
SocketLibrary::SocketLibrary() {
  WSADATA data{};
  ok_ = ::WSAStartup(MAKEWORD(2, 0), &data) == 0;
}
SocketLibrary::~SocketLibrary() {
  if (ok_) ::WSACleanup();
}
#else
SocketLibrary::SocketLibrary() : ok_(true) {}
SocketLibrary::~SocketLibrary() = default;
#endif

std::optional<std::vector<SocketAddress>> SystemResolve(const std::string& host,
                                                        std::uint16_t port) {
  // Its own hold on the library: a resolution that overran its time limit may still be running
  // after the download that asked for it has ended.
  const SocketLibrary library;
  if (!library.ok()) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  std::vector<SocketAddress> addresses;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(a->ai_addr);
    addresses.push_back(SocketAddress{{bytes, bytes + a->ai_addrlen}});
  }
  ::freeaddrinfo(found);
  return addresses;
}

std::optional<std::string> UdpExchange(const SocketAddress& address, std::string_view request,
                                       std::chrono::milliseconds limit) {
  sockaddr_storage storage{};
  if (address.bytes.size() < sizeof(sockaddr) || address.bytes.size() > sizeof storage) {
    return std::nullopt;
  }
  std::memcpy(&storage, address.bytes.data(), address.bytes.size());
  const SocketLibrary library;
  const NativeSocket s = ::socket(storage.ss_family, SOCK_DGRAM, IPPROTO_UDP);
  if (static_cast<std::uintptr_t>(s) == ~std::uintptr_t{0}) return std::nullopt;
  std::optional<std::string> reply;
  const auto deadline = Clock::now() + limit;
  if (setNonBlocking(s) && ::sendto(s, request.data(), static_cast<IoLength>(request.size()),
                                    kSendFlags, reinterpret_cast<const sockaddr*>(&storage),
                                    static_cast<socklen_t>(address.bytes.size())) >= 0) {
    char buffer[4096];
    while (!reply && waitReady(s, false, deadline)) {
      const auto n = ::recv(s, buffer, static_cast<IoLength>(sizeof buffer), 0);
      if (n > 0) reply = std::string(buffer, static_cast<std::size_t>(n));
      if (n < 0 && !wouldBlock() && !interrupted()) break;  // refused: nothing listens
    }
  }
  closeNative(s);
  return reply;
}

TcpConnection::TcpConnection(TcpConnection&& other) noexcept : handle_(other.handle_) {
  other.handle_ = kNoSocket;
}

TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    other.handle_ = kNoSocket;
  }
  return *this;
}

TcpConnection::~TcpConnection() { close(); }

void TcpConnection::close() {
  if (handle_ != kNoSocket) closeNative(native(handle_));
  handle_ = kNoSocket;
}

bool TcpConnection::connect(const SocketAddress& address, std::chrono::milliseconds limit) {
  close();
  sockaddr_storage storage{};
  if (address.bytes.size() < sizeof(sockaddr) || address.bytes.size() > sizeof storage)
    return false;
  std::memcpy(&storage, address.bytes.data(), address.bytes.size());
  const NativeSocket s = ::socket(storage.ss_family, SOCK_STREAM, IPPROTO_TCP);
  handle_ = static_cast<std::uintptr_t>(s);
  if (handle_ == kNoSocket) return false;
  if (!setNonBlocking(s)) return false;
  const auto* target = reinterpret_cast<const sockaddr*>(&storage);
  if (::connect(s, target, static_cast<socklen_t>(address.bytes.size())) == 0) return true;
  if (!inProgress()) return false;
  return waitReady(s, true, Clock::now() + limit) && pendingError(s) == 0;
}

bool TcpConnection::sendAll(std::string_view bytes, std::chrono::milliseconds limit) {
  if (handle_ == kNoSocket) return false;
  const NativeSocket s = native(handle_);
  while (!bytes.empty()) {
    const auto sent = ::send(s, bytes.data(), static_cast<IoLength>(bytes.size()), kSendFlags);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    } else if (sent < 0 && (wouldBlock() || interrupted())) {
      if (!waitReady(s, true, Clock::now() + limit)) return false;
    } else {
      return false;
    }
  }
  return true;
}

ReceiveStatus TcpConnection::receive(char* buffer, std::size_t capacity, std::size_t& received,
                                     std::chrono::milliseconds limit) {
  received = 0;
  if (handle_ == kNoSocket) return ReceiveStatus::Failed;
  const NativeSocket s = native(handle_);
  const auto deadline = Clock::now() + limit;
  for (;;) {
    const auto n = ::recv(s, buffer, static_cast<IoLength>(capacity), 0);
    if (n > 0) {
      received = static_cast<std::size_t>(n);
      return ReceiveStatus::Data;
    }
    if (n == 0) return ReceiveStatus::Closed;
    if (!wouldBlock() && !interrupted()) return ReceiveStatus::Failed;
    if (!waitReady(s, false, deadline)) return ReceiveStatus::TimedOut;
  }
}

}  // namespace qiva::net
