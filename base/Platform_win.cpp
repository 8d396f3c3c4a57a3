// Platform_win.cpp: file sizes, the program path and child processes on Windows.
#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <vector>

#include "base/Platform.h"

std::int64_t FileSizeByName(const std::string& path) {
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return -1;
  ::FindClose(find);
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::tm LocalTime(std::time_t time) {
  std::tm local{};
  localtime_s(&local, &time);
  return local;
}

std::string ModuleFilePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string CommandLineTail(int, char**) {
  // Skip the program name as the system's own start-up code does: a quoted name up to its
  // closing quote, otherwise up to the first blank; then the blanks after it.
  const char* text = ::GetCommandLineA();
  if (text == nullptr) return {};
  if (*text == '"') {
    ++text;
    while (*text != '\0' && *text != '"') ++text;
    if (*text == '"') ++text;
  } else {
    while (*text != '\0' && *text != ' ' && *text != '\t') ++text;
  }
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

bool IsTerminal(int stream) { return ::_isatty(stream) != 0; }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : id_(other.id_), processHandle_(other.processHandle_) {
  other.id_ = 0;
  other.processHandle_ = 0;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    release();
    id_ = other.id_;
    processHandle_ = other.processHandle_;
    other.id_ = 0;
    other.processHandle_ = 0;
  }
  return *this;
}

ChildProcess::~ChildProcess() { release(); }

void ChildProcess::release() {
  if (processHandle_ != 0) ::CloseHandle(reinterpret_cast<HANDLE>(processHandle_));
  processHandle_ = 0;
  id_ = 0;
}

int ChildProcess::wait() {
  if (processHandle_ == 0) return -1;
  HANDLE process = reinterpret_cast<HANDLE>(processHandle_);
  ::WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

bool StartChildProcess(const std::string& commandLine, const std::string& workingFolder,
                       ChildProcess& child) {
  // The null device, inheritable, as the child's output and errors.
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE nullDevice = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &security, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (nullDevice == INVALID_HANDLE_VALUE) return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nullDevice;
  startup.hStdError = nullDevice;
  PROCESS_INFORMATION info{};
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  BOOL ok = ::CreateProcessA(
      nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS,
      nullptr, workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info);
  ::CloseHandle(nullDevice);
  if (!ok) return false;
  ::CloseHandle(info.hThread);
  child = ChildProcess();
  child.id_ = info.dwProcessId;
  child.processHandle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  return true;
}
#endif
