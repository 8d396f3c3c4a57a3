// HttpDownload.cpp: one GET: resolve, connect to each address in turn, send the request,
// receive into a temporary file beside the output, and put it in place only when the whole
// response arrived with status 200.
#include "update/HttpDownload.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "update/HttpResponseReader.h"
#include "update/HttpUrl.h"
#include "update/NetSocket.h"

namespace qiva::update {
namespace {

constexpr std::size_t kReceiveBuffer = 4096;

// The body on its way to disk: a temporary file that is removed unless committed, so that a
// broken transfer never leaves part of a file under the real name.
class BodyFile {
 public:
  explicit BodyFile(std::string finalPath)
      : finalPath_(std::move(finalPath)),
        tempPath_(finalPath_ + ".part"),
        file_(std::fopen(tempPath_.c_str(), "wb"), &std::fclose),
        created_(file_ != nullptr),
        writeFailed_(!created_) {}
  BodyFile(const BodyFile&) = delete;
  BodyFile& operator=(const BodyFile&) = delete;
  ~BodyFile() {
    if (committed_ || !created_) return;
    file_.reset();
    std::error_code ignored;
    std::filesystem::remove(tempPath_, ignored);
  }

  // Appends bytes; a failed write is remembered and the rest are dropped.
  void write(std::string_view bytes) {
    if (writeFailed_) return;
    writeFailed_ = std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size();
  }

  // Closes the file and renames it over the final path; false when any step failed (the
  // destructor then removes what is left).
  bool commit() {
    if (writeFailed_) return false;
    if (std::fclose(file_.release()) != 0) return false;
    std::error_code error;
    std::filesystem::rename(tempPath_, finalPath_, error);
    committed_ = !error;
    return committed_;
  }

 private:
  std::string finalPath_;
  std::string tempPath_;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
  bool created_;
  bool writeFailed_;
  bool committed_ = false;
};

// The first address that accepts a connection within the limit.
bool connectToAny(net::TcpConnection& connection, const std::vector<net::SocketAddress>& addresses,
                  std::chrono::milliseconds limit) {
  for (const net::SocketAddress& address : addresses) {
    if (connection.connect(address, limit)) return true;
  }
  return false;
}

// True once the body has outgrown the limit or the Content-Length it announced, or announces
// more than the limit: the rest is not worth receiving.
bool tooLarge(const HttpResponseReader& reader, std::uint64_t maxBodyBytes) {
  if (!reader.headerEnded()) return false;
  const std::optional<std::uint64_t> announced = reader.contentLength();
  if (announced && (*announced > maxBodyBytes || reader.bodyBytes() > *announced)) return true;
  return reader.bodyBytes() > maxBodyBytes;
}

}  // namespace

HttpDownloadResult HttpDownloadWith(const std::string& url, const std::string& filePath,
                                    const HttpDownloadOptions& options) {
  HttpDownloadResult result;
  const auto deadline = std::chrono::steady_clock::now() + options.limits.total;
  const std::optional<HttpTarget> target = ParseHttpUrl(url);
  if (!target) return result;
  const std::string request = HttpRequestText(*target);
  const net::SocketLibrary library;
  if (!library.ok()) return result;
  const auto addresses =
      ResolveWithin(options.resolver, target->host, target->port, options.limits.resolve);
  if (!addresses) return result;
  net::TcpConnection connection;
  if (!connectToAny(connection, *addresses, options.limits.connect)) return result;
  if (!connection.sendAll(request, options.limits.idle)) return result;

  BodyFile file(filePath);
  HttpResponseReader reader([&file](std::string_view body) { file.write(body); });
  const HttpDownloadLimits& limits = options.limits;
  char buffer[kReceiveBuffer];
  for (;;) {
    // Each wait is cut to what is left of the whole download's time.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= std::chrono::milliseconds::zero()) return result;
    std::size_t received = 0;
    const net::ReceiveStatus status =
        connection.receive(buffer, sizeof buffer, received, std::min(limits.idle, left));
    if (status == net::ReceiveStatus::Closed) break;
    if (status != net::ReceiveStatus::Data) return result;  // reset, error or silence
    if (!reader.feed(std::string_view(buffer, received))) return result;
    if (tooLarge(reader, limits.maxBodyBytes)) return result;
  }
  result.status = reader.status();
  result.complete = reader.complete() && !tooLarge(reader, limits.maxBodyBytes);
  result.stored = result.complete && result.status == 200 && file.commit();
  return result;
}

}  // namespace qiva::update

bool HttpDownload(std::string url, const std::string& filePath, int* status) {
  const qiva::update::HttpDownloadResult result =
      qiva::update::HttpDownloadWith(url, filePath, qiva::update::HttpDownloadOptions{});
  if (status != nullptr) *status = result.status;
  return result.complete;
}
