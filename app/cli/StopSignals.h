// StopSignals.h: SIGINT and SIGTERM during a command-line import: each asks the import run to
// stop (RequestImportStop), so that it ends at a safe point and still writes its account. The
// third signal ends the process at once, as the signal would without the handler.
#pragma once

// Installs the handlers for the life of the object and restores the previous ones after.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
};
