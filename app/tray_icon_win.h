#pragma once

#include <windows.h>

// The tray icon always has id 2; its mouse messages arrive as kTrayCallbackMessage.
const UINT kTrayCallbackMessage = WM_APP + 1;
const UINT kTrayIconId = 2;

// Each operation takes ownership of the icon it is given and destroys it after the call.
BOOL addTrayIcon(HWND window, UINT id, HICON icon, const char *tip);
BOOL changeTrayIcon(HWND window, HICON icon);
BOOL removeTrayIcon(HWND window, UINT id);
// A warning balloon at the icon; the shell shows it without holding up the caller's thread for
// the user. The texts are UTF-8 (they may name a file); longer than the balloon's fields, they are
// cut.
BOOL showTrayWarning(HWND window, UINT id, const char *title, const char *text);
// The same with the information icon, for news that is no fault.
BOOL showTrayInfo(HWND window, UINT id, const char *title, const char *text);
