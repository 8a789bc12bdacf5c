#pragma once

#include <windows.h>

// Run elevated (as administrator), Wordlark's windows would drop every message sent or posted from
// a process of lower integrity: the keys the hook libraries forward from ordinary programs, and
// the shell's TaskbarCreated. Each message Wordlark expects from outside is let through, on the
// one window that takes it. Without the filter (older systems) there is nothing to do.
void letOutsideMessagesThrough(HWND mainWindow, HWND suggestionWindow, HWND commandCombo);
