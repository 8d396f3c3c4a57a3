// Platform_posix.cpp: file sizes, the program path and child processes on POSIX systems.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "base/Platform.h"

namespace {

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void execChild(const char* commandLine, const char* folder, int errorReportFd) {
  ::setsid();
  int nullFd = ::open("/dev/null", O_RDWR);
  if (nullFd >= 0) {
    ::dup2(nullFd, STDIN_FILENO);
    ::dup2(nullFd, STDOUT_FILENO);
    ::dup2(nullFd, STDERR_FILENO);
    if (nullFd > STDERR_FILENO) ::close(nullFd);
  }
  if (folder[0] != '\0' && ::chdir(folder) != 0) {
    int err = errno;
    (void)!::write(errorReportFd, &err, sizeof err);
    ::_exit(127);
  }
  ::execl("/bin/sh", "sh", "-c", commandLine, static_cast<char*>(nullptr));
  int err = errno;
  (void)!::write(errorReportFd, &err, sizeof err);
  ::_exit(127);
}

}  // namespace

std::int64_t FileSizeByName(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return -1;
  return S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
}

std::tm LocalTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  return local;
}

std::string ModuleFilePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string CommandLineTail(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

bool IsTerminal(int stream) { return ::isatty(stream) == 1; }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : id_(other.id_) { other.id_ = 0; }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    release();
    id_ = other.id_;
    other.id_ = 0;
  }
  return *this;
}

ChildProcess::~ChildProcess() { release(); }

void ChildProcess::release() { id_ = 0; }

int ChildProcess::wait() {
  if (id_ == 0) return -1;
  int status = 0;
  pid_t pid = static_cast<pid_t>(id_);
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  id_ = 0;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool StartChildProcess(const std::string& commandLine, const std::string& workingFolder,
                       ChildProcess& child) {
  int errorReport[2];
  if (::pipe2(errorReport, O_CLOEXEC) != 0) return false;
  pid_t pid = ::fork();
  if (pid == 0) execChild(commandLine.c_str(), workingFolder.c_str(), errorReport[1]);
  ::close(errorReport[1]);
  bool started = pid > 0;
  if (started) {
    int childErrno = 0;
    ssize_t n;
    do {
      n = ::read(errorReport[0], &childErrno, sizeof childErrno);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {  // chdir or exec failed in the child
      ::waitpid(pid, nullptr, 0);
      started = false;
    }
  }
  ::close(errorReport[0]);
  if (!started) return false;
  child = ChildProcess();
  child.id_ = pid;
  return true;
}
#endif
