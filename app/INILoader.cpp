// INILoader.cpp: configuration file loading and look-up.
#include "app/INILoader.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/Platform.h"
#include "base/TextUtil.h"

namespace {

constexpr std::size_t kMaxLineLength = 1024;

bool readWholeFile(const std::string& path, std::int64_t size, std::string& content) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return false;
  content.resize(static_cast<std::size_t>(size));
  std::size_t got = std::fread(content.data(), 1, content.size(), file.get());
  if (got != content.size() && std::ferror(file.get())) return false;
  content.resize(got);
  return true;
}

}  // namespace

bool INILoader::Load(const std::string& path) {
  // A folder (or any other thing that is not a file) would read as an empty file, loaded with
  // no entries: it is a configuration that cannot be loaded.
  heldZeroByte_ = false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const std::int64_t size = FileSizeByName(path);
  if (size < 0) return false;
  std::string content;
  if (!readWholeFile(path, size, content)) return false;
  if (content.find('\0') != std::string::npos) {
    heldZeroByte_ = true;
    return false;
  }
  entries_.clear();
  std::string_view text(content);
  // Editors on Windows often start a UTF-8 file with a byte order mark; left in place it would
  // become part of the first key, which then matches nothing.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  lineFeedsOnly_ =
      text.find('\n') != std::string_view::npos && text.find('\r') == std::string_view::npos;
  std::size_t pos = 0;
  std::string line;
  while (ReadTextLine(text, pos, line, kMaxLineLength)) {
    if (line.empty()) continue;
    Entry entry;
    std::size_t linePos = 0;
    ReadToken(line, linePos, entry.key, kNoLengthLimit, '=');
    ReadToken(line, linePos, entry.value, kNoLengthLimit, '=');
    entries_.push_back(std::move(entry));
  }
  return true;
}

bool INILoader::GetValue(std::string& out, const std::string& key) const {
  out.clear();
  for (const Entry& entry : entries_) {
    if (EqualsIgnoringAsciiCase(entry.key, key)) {
      out = entry.value;
      return true;
    }
  }
  return false;
}

std::string INILoader::GetValue(const std::string& key) const {
  std::string value;
  GetValue(value, key);
  return value;
}
