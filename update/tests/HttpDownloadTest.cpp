// Tests of the download client against the tests' own HTTP server on 127.0.0.1: the request
// bytes, the body stored whole, the status, and every way a download fails without leaving a
// file behind. Names resolve through a resolver the tests put in place of the system's.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <utility>

#include "base/tests/TestSupport.h"
#include "update/HttpDownload.h"
#include "update/HttpResponseReader.h"
#include "update/HttpUrl.h"
#include "update/tests/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;
using namespace qiva::update;
using qiva::test::HttpReply;
using qiva::test::ReadFileBytes;
using qiva::test::Reply;
using qiva::test::ScratchDir;
using qiva::test::TestHttpServer;

class HttpDownloadTest : public ::testing::Test {
 protected:
  // Every name resolves to the test server, whatever port the URL asks for; the names and
  // ports asked for are recorded.
  HttpDownloadOptions Options() {
    HttpDownloadOptions options;
    options.limits = {2s, 2s, 2s};
    options.resolver = [this](const std::string& host, std::uint16_t port) {
      asked.emplace_back(host, port);
      return qiva::net::SystemResolve("127.0.0.1", server.port());
    };
    return options;
  }
  HttpDownloadResult Get(const std::string& url) { return HttpDownloadWith(url, out, Options()); }
  // The files in the scratch folder, by name.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  TestHttpServer server;
  ScratchDir dir;
  std::string out = dir.file("out.bin");
  std::vector<std::pair<std::string, std::uint16_t>> asked;
};

TEST(HttpUrl, splitsHostPortAndPathAndRefusesMalformedOnes) {
  struct Case {
    const char* url;
    const char* host;
    std::uint16_t port;
    const char* hostHeader;
    const char* path;
  };
  const Case cases[] = {
      {"http://updates.test/a/b.xml", "updates.test", 80, "updates.test", "/a/b.xml"},
      {"updates.test/a/b.xml?x=1&y=/2", "updates.test", 80, "updates.test", "/a/b.xml?x=1&y=/2"},
      {"http://updates.test:8080/p", "updates.test", 8080, "updates.test:8080", "/p"},
      {"updates.test:80/p", "updates.test", 80, "updates.test:80", "/p"},
      {"http://updates.test", "updates.test", 80, "updates.test", "/"},
      {"mirror=http://updates.test/x", "updates.test", 80, "updates.test", "/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const std::optional<HttpTarget> target = ParseHttpUrl(c.url);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->host, c.host);
    EXPECT_EQ(target->port, c.port);
    EXPECT_EQ(target->hostHeader, c.hostHeader);
    EXPECT_EQ(target->path, c.path);
  }
  for (const char* bad :
       {"http://", "http:///x", ":8080/x", "h:0/x", "h:65536/", "h:8a/", "h:/x"}) {
    EXPECT_FALSE(ParseHttpUrl(bad)) << bad;
  }
}

TEST(HttpResponseReader, readsTheStatusLineAndContentLengthOnly) {
  std::string body;
  HttpResponseReader reader([&](std::string_view b) { body += b; });
  ASSERT_TRUE(reader.feed("HTTP/1.1 200 OK\r\ncontent-LENGTH:  4 \r\nX: 1\r\n\r\nab"));
  EXPECT_EQ(reader.status(), 200);
  EXPECT_EQ(reader.contentLength(), 4u);
  EXPECT_FALSE(reader.complete());
  reader.feed("cd");
  EXPECT_TRUE(reader.complete());
  EXPECT_EQ(body, "abcd");
  for (const char* head :
       {"ICY 200 OK\r\n\r\n", "HTTP/1.0 2000 OK\r\n\r\n", "HTTP/1.0 20x\r\n\r\n"}) {
    HttpResponseReader other([](std::string_view) {});
    other.feed(head);
    EXPECT_TRUE(other.headerEnded()) << head;
    EXPECT_EQ(other.status(), 0) << head;
  }
}

TEST_F(HttpDownloadTest, sendsTheExactRequestWithOrWithoutTheScheme) {
  server.Route("/a/b.xml?v=1", Reply(200, "x"));
  EXPECT_TRUE(Get("http://updates.test/a/b.xml?v=1").stored);
  EXPECT_TRUE(Get("updates.test/a/b.xml?v=1").stored);
  const std::string expected = "GET /a/b.xml?v=1 HTTP/1.0\r\nHost: updates.test\r\n\r\n";
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[0], expected);
  EXPECT_EQ(server.Requests()[1], expected);

  // A port goes to the connection and into the Host header; no path asks for "/".
  Get("updates.test:8080");
  EXPECT_EQ(server.Requests().back(), "GET / HTTP/1.0\r\nHost: updates.test:8080\r\n\r\n");
  const std::vector<std::pair<std::string, std::uint16_t>> expectedAsked = {
      {"updates.test", 80}, {"updates.test", 80}, {"updates.test", 8080}};
  EXPECT_EQ(asked, expectedAsked);
}

TEST_F(HttpDownloadTest, storesEveryBodyByteInOrderHoweverTheResponseArrives) {
  const std::string body = std::string("first\r\n\r\nafter an empty line\r\n\0\xff", 30) + "end";
  server.Route("/whole", Reply(200, body));
  const HttpDownloadResult result = Get("http://updates.test/whole");
  EXPECT_TRUE(result.complete);
  EXPECT_EQ(result.status, 200);
  EXPECT_TRUE(result.stored);
  EXPECT_EQ(ReadFileBytes(out), body);

  // The same response cut inside the status line, inside the header's end and in the body.
  const std::string response = Reply(200, body).pieces[0];
  const std::size_t headerEnd = response.find("\r\n\r\n");
  HttpReply pieces{{response.substr(0, 3), response.substr(3, headerEnd - 1),
                    response.substr(headerEnd + 2, 7), response.substr(headerEnd + 9)}};
  server.Route("/pieces", pieces);
  std::filesystem::remove(out);
  EXPECT_TRUE(Get("http://updates.test/pieces").stored);
  EXPECT_EQ(ReadFileBytes(out), body);

  server.Route("/empty", Reply(200, "", false));
  EXPECT_TRUE(Get("http://updates.test/empty").stored);
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(std::filesystem::file_size(out), 0u);
  EXPECT_EQ(Files(), std::vector<std::string>{"out.bin"});
}

TEST_F(HttpDownloadTest, errorPageIsReadToItsEndButReplacesNothing) {
  qiva::test::WriteFileBytes(out, "earlier download");
  const HttpDownloadResult result = Get("http://updates.test/missing.xml");
  EXPECT_TRUE(result.complete);
  EXPECT_EQ(result.status, 404);
  EXPECT_FALSE(result.stored);
  EXPECT_EQ(ReadFileBytes(out), "earlier download");
  EXPECT_EQ(Files(), std::vector<std::string>{"out.bin"});

  // The plain entry point, through the system's resolver (a numeric address sends no query).
  int status = 0;
  EXPECT_TRUE(HttpDownload("http://" + server.authority() + "/missing.xml", out, &status));
  EXPECT_EQ(status, 404);
}

TEST_F(HttpDownloadTest, failuresBeforeAnyResponseCreateNoFile) {
  const std::string refused = "127.0.0.1:" + std::to_string(qiva::test::ClosedLoopbackPort());
  EXPECT_FALSE(HttpDownload("http://" + refused + "/x", out));

  HttpDownloadOptions unresolved = Options();
  unresolved.resolver = [](const std::string&, std::uint16_t) {
    return std::optional<std::vector<qiva::net::SocketAddress>>();
  };
  EXPECT_FALSE(HttpDownloadWith("http://nowhere.test/x", out, unresolved).complete);
  EXPECT_FALSE(Get("http://updates.test:99999/x").complete);
  EXPECT_TRUE(Files().empty());
}

TEST_F(HttpDownloadTest, silentServerAndSlowResolverEndInATimeOut) {
  server.Route("/silent", HttpReply{{}, HttpReply::End::Hang});
  HttpDownloadOptions options = Options();
  options.limits.idle = 100ms;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(HttpDownloadWith("http://updates.test/silent", out, options).complete);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);

  // A silent header also ends in a time-out once it has begun.
  server.Route("/stalls", HttpReply{{"HTTP/1.0 200 OK\r\n"}, HttpReply::End::Hang});
  EXPECT_FALSE(HttpDownloadWith("http://updates.test/stalls", out, options).complete);
  server.ReleaseHanging();

  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  options.limits.resolve = 50ms;
  options.resolver = [released](const std::string&, std::uint16_t) {
    released.wait();
    return std::optional<std::vector<qiva::net::SocketAddress>>();
  };
  EXPECT_FALSE(HttpDownloadWith("http://updates.test/silent", out, options).complete);
  release.set_value();
  EXPECT_TRUE(Files().empty());
}

TEST_F(HttpDownloadTest, brokenTransfersLeaveTheEarlierFileAlone) {
  const std::string whole = "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n";
  server.Route("/reset", HttpReply{{whole + std::string(500, 'a')}, HttpReply::End::Reset});
  server.Route("/short", HttpReply{{whole + std::string(999, 'a')}, HttpReply::End::Close});
  server.Route("/no-header-end", HttpReply{{"HTTP/1.0 200 OK\r\nContent-"}, HttpReply::End::Close});
  server.Route("/huge-header", HttpReply{{"HTTP/1.0 200 OK\r\nX: " + std::string(70000, 'h')},
                                         HttpReply::End::Close});
  for (const char* path : {"/reset", "/short", "/no-header-end", "/huge-header"}) {
    SCOPED_TRACE(path);
    qiva::test::WriteFileBytes(out, "earlier download");
    EXPECT_FALSE(Get(std::string("http://updates.test") + path).complete);
    EXPECT_EQ(ReadFileBytes(out), "earlier download");
    EXPECT_EQ(Files(), std::vector<std::string>{"out.bin"});
  }
}

// Limits shortened for the test: a body that would fill the disk, one longer than it said, and
// a server that keeps a download alive with a byte now and then all end the download, with
// nothing left behind.
TEST_F(HttpDownloadTest, sizeAndTimeLimitsEndDownloadsThatWouldNeverEnd) {
  const std::string head = "HTTP/1.0 200 OK\r\n\r\n";
  server.Route("/endless",
               HttpReply{{head, std::string(16384, 'e')}, HttpReply::End::Endless, 0ms});
  server.Route("/longer",
               HttpReply{{"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n" + std::string(11, 'l')}});
  server.Route("/announced", HttpReply{{"HTTP/1.0 200 OK\r\nContent-Length: 100001\r\n\r\n",
                                        std::string(100001, 'a')}});
  server.Route("/drip", HttpReply{{head, "d", "d", "d", "d", "d", "d", "d", "d", "d", "d",
                                   "d",  "d", "d", "d", "d", "d", "d", "d", "d", "d"},
                                  HttpReply::End::Close,
                                  50ms});
  HttpDownloadOptions options = Options();
  options.limits.maxBodyBytes = 100000;
  options.limits.total = 400ms;
  for (const char* path : {"/endless", "/longer", "/announced", "/drip"}) {
    SCOPED_TRACE(path);
    qiva::test::WriteFileBytes(out, "earlier download");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpDownloadWith(std::string("http://updates.test") + path, out, options).stored);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_EQ(ReadFileBytes(out), "earlier download");
    EXPECT_EQ(Files(), std::vector<std::string>{"out.bin"});
  }
  // At the limits themselves the download is whole.
  server.Route("/exact", Reply(200, std::string(100000, 'x'), false));
  EXPECT_TRUE(HttpDownloadWith("http://updates.test/exact", out, options).stored);
  EXPECT_EQ(std::filesystem::file_size(out), 100000u);
}

TEST_F(HttpDownloadTest, outputThatCannotBeCreatedStillReadsTheResponse) {
  server.Route("/x", Reply(200, "body"));
  out = dir.file("no-such-folder/out.bin");
  const HttpDownloadResult result = Get("http://updates.test/x");
  EXPECT_TRUE(result.complete);
  EXPECT_EQ(result.status, 200);
  EXPECT_FALSE(result.stored);
}

}  // namespace
