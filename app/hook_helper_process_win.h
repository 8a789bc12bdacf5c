#pragma once

#include <windows.h>

#include <string>

// The helper of the other bitness (wordlark32.exe) as the main program runs it: started beside
// the hooks, started again when it ends, and asked to end at Exit (it also ends by itself when the
// main program does). A program folder without the helper runs without it. UI thread only.
void startHookHelper(const std::string &programFolder);
// Called once a second: starts the helper again if it ended, at most every few seconds.
void keepHookHelperRunning();
void stopHookHelper();
