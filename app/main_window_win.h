#pragma once

#include <windows.h>

#include <string>

// The hidden main window: tray icon, tray menu, and the one-second poll of the enable state
// (the enable hot key flips it inside whatever program the user types in).
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The enable state the tray icon was last brought in line with; 1 before any window exists.
extern int lastEnableState;

const UINT_PTR kEnablePollTimer = 3;
const UINT kEnablePollMs = 1000;

// The message the shell broadcasts when the taskbar is made again (Explorer restarted): every tray
// icon must then be added again.
UINT taskbarCreatedMessage();

// A notice for the user, said once in a balloon at the tray icon from the main window's timer;
// may be queued before the windows exist. Notices follow one another a few seconds apart, so that
// one does not replace the last before it was seen.
void queueTrayNotice(const std::string &title, const std::string &text, bool warning);

// After the shut-down saves: the files that could not be written and were not reported yet are
// named in one message box, since the tray icon is gone by then; not when the session ends or an
// installer closed Wordlark, as nobody would answer it.
void reportFailedSavesAtExit();
