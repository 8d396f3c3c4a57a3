// Platform.h: the few operating-system services the shell needs, behind plain functions.
// Implementations live in Platform_posix.cpp and Platform_win.cpp; nothing else here.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// Size in bytes of the file at `path`, or -1 when there is no such file. Sizes above 4 GiB
// are returned whole.
std::int64_t FileSizeByName(const std::string& path);

// The local calendar time of `time` (thread-safe).
std::tm LocalTime(std::time_t time);

// Full path of the running program file ("" when the system cannot tell).
std::string ModuleFilePath();

// The text that followed the program name on the command line. On Windows the raw text the
// system gives, quotes included; elsewhere the shell has already split and unquoted it, so the
// arguments are joined by one blank. Empty when there is none.
std::string CommandLineTail(int argc, char** argv);

// True when standard input (0), output (1) or error (2) is a terminal.
bool IsTerminal(int stream);

// A child started by LaunchProgram. Destroying the object neither waits for the child nor
// ends it.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess();

  bool started() const { return id_ != 0; }
  std::int64_t id() const { return id_; }
  // Waits for the child to end and returns its exit status (-1 when none was started).
  int wait();

 private:
  friend bool StartChildProcess(const std::string&, const std::string&, ChildProcess&);
  void release();
  std::int64_t id_ = 0;
  std::intptr_t processHandle_ = 0;  // Windows only
};

// Starts `commandLine` without a console window, in `workingFolder`, with no standard input
// and its output and errors going to the null device. Nobody reads them, and a pipe that
// nobody reads would stall a talkative child once full, or kill it with SIGPIPE once this
// program has ended. Returns false when it could not start.
bool StartChildProcess(const std::string& commandLine, const std::string& workingFolder,
                       ChildProcess& child);
