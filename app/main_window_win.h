#pragma once

#include <windows.h>

// The hidden main window: tray icon, tray menu, and the one-second poll of the enable state
// (the enable hot key flips it inside whatever program the user types in).
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The enable state the tray icon was last brought in line with; 1 before any window exists.
extern int lastEnableState;

const UINT_PTR kEnablePollTimer = 3;
const UINT kEnablePollMs = 1000;
