// UpdateCheckLauncher.cpp: the update check's own thread (a placeholder body for now).
#include "app/UpdateCheckLauncher.h"

#include <system_error>
#include <thread>

void UpdateCheckerNotBuiltYet() {}

void StartUpdateChecker() {
  try {
    std::thread(UpdateCheckerNotBuiltYet).detach();
  } catch (const std::system_error&) {
    // A thread that cannot start is not reported; the program works without the check.
  }
}
