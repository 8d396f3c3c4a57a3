// HttpDownload.h: fetches one resource with an HTTP/1.0 GET on a new connection and stores
// the response body in a file. The only network client of the program (used by the update
// check); no redirects, no chunked bodies, no proxy, no TLS.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "update/HostResolution.h"

namespace qiva::update {

// How long each step may wait, how long the whole download may take and how large its body
// may grow before the download counts as failed. The per-wait limits alone would let a server
// that sends a byte now and then hold a download for ever, or fill the disk.
struct HttpDownloadLimits {
  std::chrono::milliseconds resolve{10000};  // the name look-up
  std::chrono::milliseconds connect{10000};  // each address tried
  std::chrono::milliseconds idle{30000};     // sending the request, and each wait for bytes
  std::chrono::milliseconds total{600000};   // from the start to the last byte received
  std::uint64_t maxBodyBytes = 512ull * 1024 * 1024;  // a larger body is refused as it arrives
};

struct HttpDownloadOptions {
  HttpDownloadLimits limits;
  HostResolver resolver;  // empty: the system's resolver
};

struct HttpDownloadResult {
  // A connection was made, the whole request sent and the response read to the peer's orderly
  // close within the limits, with its header ended and exactly as long a body as a
  // Content-Length announced (a longer one is no response that the server meant).
  bool complete = false;
  int status = 0;       // the response's status code; 0 when no status line was read
  bool stored = false;  // the body replaced the output file (complete, status 200, file written)
};

// Downloads `url` ([anything "http://"] host [":" port] [path]; port 80 and path "/" when
// absent) into `filePath`. The body is written to `filePath` + ".part" and renamed over
// `filePath` only when the result is complete with status 200; otherwise the temporary file is
// removed and `filePath` is left as it was. A malformed URL, a name that does not resolve, a
// refused connection, a receive error, any time limit, a body beyond maxBodyBytes (announced
// or received) and a body longer than its Content-Length give an incomplete result; the
// download ends as soon as one of them is known.
HttpDownloadResult HttpDownloadWith(const std::string& url, const std::string& filePath,
                                    const HttpDownloadOptions& options);

}  // namespace qiva::update

// True once a connection was made, the request sent whole and the response read to its end
// (see HttpDownloadWith: complete); `status`, when given, receives the status code. The body
// replaces `filePath` only for status 200. Default time limits, the system's resolver.
bool HttpDownload(std::string url, const std::string& filePath, int* status = nullptr);
