// BuildInfo.h: what a program says about its own build (--version): the ten-digit version
// that the update check compares, and the commit the sources were built from.
#pragma once

#include <string>

// The ten-digit version, "2020081101" (the text the dialog's title and the update check use).
const char* ProgramVersion();

// The commit the program was built from, "+changes" appended when the sources differed from
// it; "" when the build did not come from a git checkout.
const char* BuildCommit();

// The --version text: "NAME VERSION", then " (commit C)" when the commit is known, and a line
// feed.
std::string VersionText(const std::string& programName);
