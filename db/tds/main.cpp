// main.cpp: qiva-tds-server, the SQL Server stand-in of the tests: an embedded database served
// over TDS 7.4 on 127.0.0.1, so that the real ODBC driver stack can be tested against it.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "db/tds/TdsServer.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested = true; }

constexpr const char* kUsage =
    "usage: qiva-tds-server --database FILE [--database-name NAME] [--port N]\n"
    "         [--user NAME --password TEXT]\n"
    "         [--collation cp1250|utf8] [--latency-ms N] [--hang-at N] [--drop-at N]\n"
    "         [--statement-delay-ms N] [--extra-count-after-insert TABLE]\n";

bool ParseNumber(const char* text, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && out >= 0;
}

bool ParseArguments(int argc, char** argv, qiva::tds::ServerOptions& options, int& port) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    long long n = 0;
    const bool numeric = ParseNumber(value, n);
    if (name == "--database")
      options.database = value;
    else if (name == "--database-name")
      options.databaseName = value;
    else if (name == "--user")
      options.user = value;
    else if (name == "--password")
      options.password = value;
    else if (name == "--extra-count-after-insert")
      options.extraCountTable = value;
    else if (name == "--collation" &&
             (std::strcmp(value, "cp1250") == 0 || std::strcmp(value, "utf8") == 0))
      options.utf8 = std::strcmp(value, "utf8") == 0;
    else if (name == "--port" && numeric && n <= 65535)
      port = static_cast<int>(n);
    else if (name == "--latency-ms" && numeric)
      options.latencyMs = static_cast<int>(n);
    else if (name == "--statement-delay-ms" && numeric)
      options.statementDelayMs = static_cast<int>(n);
    else if (name == "--hang-at" && numeric)
      options.hangAt = n;
    else if (name == "--drop-at" && numeric)
      options.dropAt = n;
    else
      return false;
  }
  return !options.database.empty();
}

}  // namespace

int main(int argc, char** argv) {
  qiva::tds::ServerOptions options;
  int port = 0;
  if (!ParseArguments(argc, argv, options, port)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  qiva::tds::TdsServer server(options);
  std::string error;
  if (!server.Listen(port, error)) {
    std::fprintf(stderr, "qiva-tds-server: cannot listen on 127.0.0.1:%d: %s\n", port,
                 error.c_str());
    return 1;
  }
  std::printf("listening on 127.0.0.1:%d\n", server.Port());
  std::fflush(stdout);
  server.Serve(stopRequested);
  std::printf("requests %lld statements %lld\n", server.Counters().requests.load(),
              server.Counters().statements.load());
  return 0;
}
