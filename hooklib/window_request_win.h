#pragma once

#include <windows.h>

// The hot keys of Quick Search and the keyboard: the hook asks the main program to show or hide
// the window, and the main program decides on the visibility it finds when it takes the request.
// Windows lets a process take the foreground only when the one that has it allows it, and the
// hook runs inside the program the user types in: so for a window that takes the keyboard (Quick
// Search) the hook first grants the main program the foreground, then posts the request.
struct WindowRequestCalls {
    BOOL(WINAPI *allowSetForegroundWindow)(DWORD processId);
    BOOL(WINAPI *postMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
extern const WindowRequestCalls kSystemWindowRequestCalls;

// Asks the main program, through its window `program`, to show (showCommand) or hide `window`;
// takesKeyboard when showing it gives the window the foreground. False when the request could
// not be posted.
bool requestWindowToggle(HWND program, HWND window, int showCommand, bool takesKeyboard,
                         const WindowRequestCalls &calls = kSystemWindowRequestCalls);
