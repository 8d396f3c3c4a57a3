// LogWriter.h: appends one time-stamped entry to a text log (_TRACE.LOG, the update log,
// _database.log). Only the entry layout and the append live here; who logs what does not.
#pragma once

#include <string>
#include <string_view>

namespace qiva {

// The stamp "[%d.%d.%d %d.%d.%d]->" for the current local time: year, month, day, hour,
// minute and second, not zero-filled.
std::string LogStampNow();

// The bytes of one entry as stored: CR LF, the stamp, then the message with every line feed
// stored as CR LF, exactly as a Windows text-mode write leaves them. A line of the message after
// its first (after LF or a lone CR) that begins with "[" is stored with one blank before it, so
// no logged text can pass for the start of another entry.
std::string FormatLogEntry(std::string_view stamp, std::string_view message);

// Appends one entry to the file at `path` (one open, one write, one close). A file that
// cannot be opened or written loses the entry silently; messages of any length are whole.
void AppendLogEntry(const std::string& path, std::string_view message);

}  // namespace qiva
