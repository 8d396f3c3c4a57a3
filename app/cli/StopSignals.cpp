// StopSignals.cpp: the signal handlers of qiva-import. A handler only counts the request and
// writes a fixed line with write(), both safe inside a signal handler.
#include "app/cli/StopSignals.h"

#include <csignal>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/ImportWorker.h"

namespace {

using Handler = void (*)(int);
Handler previousInterrupt = SIG_DFL;
Handler previousTerminate = SIG_DFL;

void WriteError(const char* text, unsigned length) {
#ifdef _WIN32
  (void)!_write(2, text, length);
#else
  (void)!write(2, text, length);
#endif
}

template <unsigned N>
void WriteError(const char (&text)[N]) {
  WriteError(text, N - 1);
}

void OnStopSignal(int signal) {
  RequestImportStop();
  const int requests = ImportStopRequests();
  if (requests == 1) {
    WriteError(
        "\nstopping after the section in progress (signal again to stop at the next "
        "record)\n");
  } else if (requests == 2) {
    WriteError("\nstopping at the next record (signal again to end at once)\n");
  }
  // Windows resets the handler before calling it; the third signal ends the process.
  std::signal(signal, requests >= 2 ? SIG_DFL : OnStopSignal);
}

}  // namespace

StopSignals::StopSignals() {
  previousInterrupt = std::signal(SIGINT, OnStopSignal);
  previousTerminate = std::signal(SIGTERM, OnStopSignal);
}

StopSignals::~StopSignals() {
  std::signal(SIGINT, previousInterrupt == SIG_ERR ? SIG_DFL : previousInterrupt);
  std::signal(SIGTERM, previousTerminate == SIG_ERR ? SIG_DFL : previousTerminate);
}
