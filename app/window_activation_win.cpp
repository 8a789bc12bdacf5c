#include "app/window_activation_win.h"

#include "app/app_globals_win.h"
#include "resources/resource_ids.h"

void bringToFront(HWND window, HWND focus) {
    if (!window)
        return;
    SetForegroundWindow(window);
    SetFocus(focus ? focus : window);
}

void openCommandWindow(bool emptied) {
    if (!commandWindow)
        return;
    // The combo box hands the focus and WM_CLEAR on to its edit field.
    HWND combo = GetDlgItem(commandWindow, IDC_COMMAND_COMBO);
    if (emptied && combo) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        SendMessageA(combo, WM_CLEAR, 0, 0);
    }
    ShowWindow(commandWindow, SW_SHOW);
    bringToFront(commandWindow, combo);
}
