// LogWriter.cpp: the shared entry layout and append of the program's text logs.
#include "app/LogWriter.h"

#include <cstdio>
#include <ctime>
#include <memory>

namespace qiva {

std::string LogStampNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "[%d.%d.%d %d.%d.%d]->", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return stamp;
}

std::string FormatLogEntry(std::string_view stamp, std::string_view message) {
  std::string entry;
  entry.reserve(2 + stamp.size() + message.size() + message.size() / 32);
  entry += "\r\n";
  entry += stamp;
  for (char c : message) {
    if (c == '\n') entry += '\r';
    entry += c;
  }
  return entry;
}

void AppendLogEntry(const std::string& path, std::string_view message) {
  const std::string entry = FormatLogEntry(LogStampNow(), message);
  // Binary mode: the CR LF pairs are already in the entry, on every platform.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "ab"),
                                                       &std::fclose);
  if (!file) return;
  std::fwrite(entry.data(), 1, entry.size(), file.get());
}

}  // namespace qiva
