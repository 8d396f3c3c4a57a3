// StandIn.cpp: the stand-in server as a child process, read through a pipe.
#include "db/tds/tests/StandIn.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/tests/TestSupport.h"

namespace qiva::test {

const char* const kStandInDriver = "QIVA FreeTDS stand-in";

namespace {

// One line from `fd`, without its line feed; empty at the end of the output.
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace

bool RegisterFreeTds(const std::string& folder) {
  if (std::string(QIVA_FREETDS_ODBC_DRIVER).empty()) return false;
  WriteFileBytes(folder + "/odbcinst.ini", std::string("[") + kStandInDriver +
                                               "]\nDriver=" + QIVA_FREETDS_ODBC_DRIVER + "\n");
  WriteFileBytes(folder + "/odbc.ini", "");
  setenv("ODBCSYSINI", folder.c_str(), 1);
  setenv("ODBCINSTINI", "odbcinst.ini", 1);
  setenv("ODBCINI", (folder + "/odbc.ini").c_str(), 1);
  return true;
}

StandIn::StandIn(const std::string& database, const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return;
  std::vector<std::string> words{QIVA_TDS_SERVER, "--database", database, "--user",
                                 "qiva",          "--password", "qiva"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(pipeEnds[1], 1);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  output_ = pipeEnds[0];
  const std::string first = ReadLine(output_);
  const std::string prefix = "listening on 127.0.0.1:";
  if (first.rfind(prefix, 0) == 0) port_ = std::atoi(first.c_str() + prefix.size());
}

StandIn::~StandIn() { Stop(); }

std::string StandIn::Stop() {
  if (pid_ <= 0) return {};
  ::kill(pid_, SIGTERM);
  const std::string last = ReadLine(output_);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  ::close(output_);
  pid_ = -1;
  port_ = 0;
  return last;
}

std::string StandIn::ConnectionText(const std::string& user, const std::string& password) const {
  return std::string("DRIVER={") + kStandInDriver +
         "};SERVER=127.0.0.1;PORT=" + std::to_string(port_) + ";UID=" + user + ";PWD=" + password +
         ";DATABASE=CLINIC;TDS_Version=7.4;ClientCharset=UTF-8";
}

}  // namespace qiva::test
