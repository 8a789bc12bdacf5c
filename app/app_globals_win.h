#pragma once

// Process-wide state of the main program, created at start-up and alive until the process ends.
// The four long-lived objects are created by the entry point and destroyed by the worker thread.
#include <windows.h>
#include <commctrl.h>

#include <string>

class Settings;
class WordStore;
class CommandCatalogue;
class ScreenKeyboard;

extern HINSTANCE appInstance;
extern char windowTitle[128];
extern char windowClassName[128];
// The program's own folder, ending with a backslash; also the current directory (see WinMain).
// Like every path of Wordlark's, in UTF-8 (win32/wide_path_win.h).
extern std::string programFolder;
// Where the files Wordlark writes are kept (app/data_folder_win.h): the program folder, or the
// user's own folder when the program folder cannot be written. Ends with a backslash.
extern std::string dataFolder;

extern HWND mainWindow;
extern HWND suggestionWindow;
extern HWND commandWindow;
extern HWND keyboardWindow;
extern HMENU mainMenu;
extern HMENU trayMenu;
extern HICON largeIcon;
extern HICON smallIcon;

extern Settings *settings;
extern WordStore *wordStore;
extern CommandCatalogue *commandCatalogue;
extern ScreenKeyboard *screenKeyboard;

extern HIMAGELIST systemImageList;
extern WNDPROC shiftButtonOldProc;
extern WNDPROC commandEditOldProc;
extern HANDLE shutdownEvent;
// The worker thread: harvests the catalogue, then saves and destroys the long-lived objects.
extern HANDLE workerThread;
