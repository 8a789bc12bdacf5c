#pragma once

#include "harvest/browser_history.h"

#include <string>

// The browsers' history as the Win32 build reaches it: UTF-8 paths turned into wide ones at each
// call, files opened with every share mode (a running browser holds them open and writes on),
// copies made into a temporary file of this process's, titles from UTF-8 to ANSI, notes on the
// standard error stream. The temporary file is made now; an empty copyPath means none could be.
HistoryFileAccess historyFileAccess();

// A special folder (a CSIDL) as UTF-8; empty when the shell does not report it.
std::string specialFolderUtf8(int csidl);
