// UpdateCheckLauncher.h: starts the update check on its own thread at program start. The check
// itself is not built yet: the thread runs a placeholder that does nothing.
#pragma once

// The update check's thread body until the real check exists: returns at once.
void UpdateCheckerNotBuiltYet();

// Starts the update check on a detached thread of its own; never waits for it.
void StartUpdateChecker();
