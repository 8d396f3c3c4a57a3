// LogWriter.cpp: the shared entry layout and append of the program's text logs.
#include "base/LogWriter.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "base/Platform.h"

namespace qiva {

std::string LogStampNow() {
  const std::tm local = LocalTime(std::time(nullptr));
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
  bool lineStart = false;
  for (std::size_t i = 0; i < message.size(); ++i) {
    const char c = message[i];
    // A logged value may hold a line break followed by a stamp of its own: a continuation line
    // that begins with "[" gets one leading blank, so that only a real entry starts a line with
    // "[". Viewers break lines at LF and at a lone CR alike.
    if (lineStart && c == '[') entry += ' ';
    if (c == '\n') entry += '\r';
    entry += c;
    lineStart = c == '\n' || (c == '\r' && (i + 1 == message.size() || message[i + 1] != '\n'));
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
