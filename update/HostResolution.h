// HostResolution.h: name resolution for the download client with a time limit: the resolver
// (the system's, or one a test puts in its place) runs on a helper thread that is abandoned,
// not waited for, when it takes too long.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "update/NetSocket.h"

namespace qiva::update {

// Turns a host name and port into the addresses to try, in order; nullopt when the name does
// not resolve.
using HostResolver = std::function<std::optional<std::vector<net::SocketAddress>>(
    const std::string& host, std::uint16_t port)>;

// Runs `resolver` (SystemResolve when empty) and returns its answer if it comes within `limit`;
// nullopt when it fails, gives no address or is still running at the limit. A resolver still
// running then finishes on its own thread and its answer is dropped.
std::optional<std::vector<net::SocketAddress>> ResolveWithin(const HostResolver& resolver,
                                                             const std::string& host,
                                                             std::uint16_t port,
                                                             std::chrono::milliseconds limit);

}  // namespace qiva::update
