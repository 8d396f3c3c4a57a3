// LingeringProgram.cpp: a stand-in for a program that is still ending, for the installer's
// test under wine (scripts/windows-build.sh copies it over the installed programs). It notes
// its start, lives for the time given, notes its end and exits.
// Usage: qiva_lingering_program MARKER MILLISECONDS; creates MARKER.started, then MARKER.ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool touch(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  return file != nullptr && std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string marker = argv[1];
  if (!touch(marker + ".started")) return 1;
  ::Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
  return touch(marker + ".ended") ? 0 : 1;
}
