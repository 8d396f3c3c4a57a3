// HttpResponseReader.h: splits a received HTTP response into its header and its body as the
// bytes arrive, and reads the status code and Content-Length from the header. No I/O here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qiva::update {

class HttpResponseReader {
 public:
  // Receives every body byte, in order, in pieces of any size.
  using BodySink = std::function<void(std::string_view)>;

  // A header longer than this is refused (the reader keeps the header in memory).
  static constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

  explicit HttpResponseReader(BodySink sink) : sink_(std::move(sink)) {}

  // Takes the next received bytes. The header runs up to and including the first CR LF CR LF;
  // every byte after it goes to the sink. False once the header has grown past
  // kMaxHeaderBytes without ending; nothing more is accepted then.
  bool feed(std::string_view bytes);

  bool headerEnded() const { return headerEnded_; }
  // The three-digit code of a status line "HTTP/x.y NNN ..."; 0 before the header has ended
  // or when its first line is not such a line.
  int status() const { return status_; }
  // The Content-Length the header announced, if any (a malformed value counts as none).
  std::optional<std::uint64_t> contentLength() const { return contentLength_; }
  std::uint64_t bodyBytes() const { return bodyBytes_; }
  // True when the header has ended and the body is at least as long as announced.
  bool complete() const;

 private:
  void parseHeader();

  BodySink sink_;
  std::string header_;
  bool headerEnded_ = false;
  bool refused_ = false;
  int status_ = 0;
  std::optional<std::uint64_t> contentLength_;
  std::uint64_t bodyBytes_ = 0;
};

}  // namespace qiva::update
