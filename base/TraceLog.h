// TraceLog.h: the shell's two append-only logs, _TRACE.LOG in the current directory and
// the update log beside the program. The database log belongs to the database layer.
#pragma once

#include <string>
#include <string_view>

// Appends a time-stamped entry to "_TRACE.LOG" in the current directory; a log that cannot
// be opened drops the entry without any report.
void TraceLog(std::string_view message);

// Appends a time-stamped entry to the update log named by SetUpdateLogPath; nothing is
// written while no path is set or when the file cannot be opened.
void UpdateLog(std::string_view message);

// Names the update log (an absolute path, fixed once the main program has started).
void SetUpdateLogPath(std::string path);
std::string UpdateLogPath();
