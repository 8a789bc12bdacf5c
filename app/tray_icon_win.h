#pragma once

#include <windows.h>

// The tray icon always has id 2; its mouse messages arrive as kTrayCallbackMessage.
const UINT kTrayCallbackMessage = WM_APP + 1;
const UINT kTrayIconId = 2;

// Each operation takes ownership of the icon it is given and destroys it after the call.
BOOL addTrayIcon(HWND window, UINT id, HICON icon, const char *tip);
BOOL changeTrayIcon(HWND window, HICON icon);
BOOL removeTrayIcon(HWND window, UINT id);
