// HostResolution.cpp: the time-limited resolution of the download client.
#include "update/HostResolution.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace qiva::update {
namespace {

// Shared by the waiting caller and the helper thread, which may outlive the call.
struct Answer {
  std::mutex mutex;
  std::condition_variable ready;
  bool done = false;
  std::optional<std::vector<net::SocketAddress>> addresses;
};

}  // namespace

std::optional<std::vector<net::SocketAddress>> ResolveWithin(const HostResolver& resolver,
                                                             const std::string& host,
                                                             std::uint16_t port,
                                                             std::chrono::milliseconds limit) {
  HostResolver resolve = resolver ? resolver : HostResolver(&net::SystemResolve);
  auto answer = std::make_shared<Answer>();
  try {
    std::thread([answer, resolve = std::move(resolve), host, port] {
      auto addresses = resolve(host, port);
      std::lock_guard lock(answer->mutex);
      answer->addresses = std::move(addresses);
      answer->done = true;
      answer->ready.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return std::nullopt;  // no thread to bound the wait with: give up rather than block
  }
  std::unique_lock lock(answer->mutex);
  if (!answer->ready.wait_for(lock, limit, [&] { return answer->done; })) return std::nullopt;
  if (!answer->addresses || answer->addresses->empty()) return std::nullopt;
  return std::move(answer->addresses);
}

}  // namespace qiva::update
