#pragma once

#include <windows.h>

// Run elevated (as administrator), Wordlark's windows would drop every message sent or posted from
// a process of lower integrity: the keys the hook libraries forward from ordinary programs, and
// the shell's TaskbarCreated and tray icon messages. Then, and only then, each message Wordlark
// expects from outside is let through, on the one window that takes it: a filter opened for a
// process that is not elevated would let programs of lower integrity (a sandboxed one) reach
// windows that Windows otherwise keeps from them. Without the filter (older systems) there is
// nothing to do.

// What letting the messages through takes from the system, so that tests can stand in for it.
struct MessageFilterCalls {
    bool (*processIsElevated)();
    // ChangeWindowMessageFilterEx's signature; null where the system has none.
    BOOL(WINAPI *changeFilter)(HWND window, UINT message, DWORD action, void *status);
};
MessageFilterCalls systemMessageFilterCalls();

// The token of this process says it runs elevated.
bool processIsElevated();

void letOutsideMessagesThrough(HWND mainWindow, HWND suggestionWindow,
                               const MessageFilterCalls &calls = systemMessageFilterCalls());
