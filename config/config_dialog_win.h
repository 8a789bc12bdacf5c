#pragma once

#include <windows.h>

// Dialog procedure of the Configurations dialog (dialog 146), opened modally from the tray menu
// with the main window as owner. It works directly on the process's Settings and WordStore.
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
