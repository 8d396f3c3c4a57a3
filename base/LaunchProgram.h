// LaunchProgram.h: starts another program (the downloaded installer) and notes in _TRACE.LOG
// whether it started.
#pragma once

#include <string>

#include "base/Platform.h"

// Starts the command text without a console window, in the program folder, with its output
// going to the null device (never to a pipe that nobody reads: the installer this starts
// outlives the program); logs "Succes create process" or "Error creating Process".
// On Windows the first blank-delimited token names the program, searched in its own folder;
// on POSIX the whole text runs through /bin/sh -c. `child` receives the started process.
void LaunchProgram(const std::string& commandText, ChildProcess& child);

// The same, started in `workingFolder` instead of the program folder (the update check starts
// the installer in the folder it saved it in).
void LaunchProgram(const std::string& commandText, const std::string& workingFolder,
                   ChildProcess& child);
