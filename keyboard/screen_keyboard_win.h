#pragma once

// The on-screen keyboard: a topmost tool window (dialog 139) whose keys type into the window
// that had the focus in the foreground program, without the keyboard ever taking the
// activation. User-interface thread only, except destruction at shut-down (see ~ScreenKeyboard).
#include <windows.h>

#include "win32/windows_hook_win.h"

class ScreenKeyboard {
public:
    // Creates the hidden modeless dialog owned by `owner`, with the plain captions, and starts
    // the 100 ms timer that keeps the input attached to the foreground program.
    ScreenKeyboard(HINSTANCE instance, HWND owner);
    // Leaves the window to its thread (the worker thread calls EndDialog first); only unlinks
    // the window from this object so that a late message finds nothing.
    ~ScreenKeyboard();
    ScreenKeyboard(const ScreenKeyboard &) = delete;
    ScreenKeyboard &operator=(const ScreenKeyboard &) = delete;

    // Shows the keyboard from the tray menu: captions and the Shift look refreshed, topmost,
    // not activated.
    void showKeyboard();
    // One message of the keyboard window; the dialog procedure's answer.
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int shifted = 0;
    HWND dialog = nullptr;
    // The window that receives the typed characters: the focus when the mouse went down.
    HWND targetWindow = nullptr;
    HWND owner;
    HINSTANCE instance;

private:
    // Keeps the activation and the focus away from the keyboard window (see focusGuardProc).
    WindowsHook focusGuard;

    INT_PTR onMouseActivate();
    INT_PTR onCommand(WPARAM wParam);
    INT_PTR onSysCommand(WPARAM wParam);
    INT_PTR onTimer();
    INT_PTR onMouseButton();

    void restoreFocus();
    int sendKey(int id);
    int toggleShift();
    // Sets the Shift state and brings the captions and the Shift button's look in line.
    void setShift(int on);
    void setKeyLabels(int shiftedLabels);
    void hideKeyboard();
    HWND shiftButton() const;
};

// Dialog procedure of the keyboard window; the object comes in CreateDialogParamA's parameter.
INT_PTR CALLBACK keyboardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Subclass of the Shift button (control 2001), installed by start-up in front of the button's
// own procedure (kept in shiftButtonOldProc): the button never takes the focus, and it looks
// pushed exactly while Shift is on.
LRESULT CALLBACK shiftButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

// Keeps the user-interface thread's input attached to the foreground window's thread, so that
// GetFocus sees the focus of the program being typed in.
void attachToForeground();
