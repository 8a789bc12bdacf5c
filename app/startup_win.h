#pragma once

#include <windows.h>

// Creates the main, suggestion, keyboard and command windows in that order, adds the tray icon
// and starts the hooks once the hook library knows all four handles. 1 on success, 0 when the
// main window or the suggestion window cannot be created.
int createWindows(HINSTANCE instance, int showCommand);

// EnumChildWindows callback: stops at the first child of class "Edit" and stores it.
BOOL CALLBACK findEditChild(HWND child, LPARAM foundEdit);

// Destroys the long-lived objects in the order that saves everything: the word store, the
// catalogue, the keyboard, and last the settings (which delete the learned files of programs
// that may not learn, so no such file may still be open).
void destroyLongLivedObjects();
