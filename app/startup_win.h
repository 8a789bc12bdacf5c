#pragma once

#include <windows.h>

// Creates the main, suggestion, keyboard and command windows in that order, adds the tray icon
// and hands the hook library the windows' handles. 1 on success, 0 when the main window or the
// suggestion window cannot be created.
int createWindows(HINSTANCE instance, int showCommand);

// Installs the hooks and starts the helper of the other bitness: once the word store is loaded,
// so that no key of any program waits for a main program that cannot answer yet.
void startHooks();

// EnumChildWindows callback: stops at the first child of class "Edit" and stores it.
BOOL CALLBACK findEditChild(HWND child, LPARAM foundEdit);

// Destroys the long-lived objects in the order that saves everything: the word store, the
// catalogue, the keyboard, and last the settings (which delete the learned files of programs
// that may not learn, so no such file may still be open). Each object is taken from its global
// pointer atomically, so that no object is saved or destroyed twice whichever thread gets there.
void destroyLongLivedObjects();

// Windows ends the process soon after WM_ENDSESSION: saves everything as Exit does, before
// returning. The worker does it once the harvest has stopped; when that takes too long, the word
// store and the settings (which the worker never touches) are saved here.
void saveBeforeSessionEnds();
