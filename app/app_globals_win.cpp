#include "app/app_globals_win.h"

HINSTANCE appInstance = nullptr;
char windowTitle[128] = "";
char windowClassName[128] = "";
std::string programFolder;
std::string dataFolder;

HWND mainWindow = nullptr;
HWND suggestionWindow = nullptr;
HWND commandWindow = nullptr;
HWND keyboardWindow = nullptr;
HMENU mainMenu = nullptr;
HMENU trayMenu = nullptr;
HICON largeIcon = nullptr;
HICON smallIcon = nullptr;

Settings *settings = nullptr;
WordStore *wordStore = nullptr;
CommandCatalogue *commandCatalogue = nullptr;
ScreenKeyboard *screenKeyboard = nullptr;

HIMAGELIST systemImageList = nullptr;
WNDPROC shiftButtonOldProc = nullptr;
WNDPROC commandEditOldProc = nullptr;
HANDLE shutdownEvent = nullptr;
HANDLE workerThread = nullptr;
