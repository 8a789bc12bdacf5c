#include "app/message_filter_win.h"

#include "app/main_window_win.h"
#include "app/tray_icon_win.h"
#include "hooklib/larkhook.h"

namespace {

using ChangeFilter = BOOL(WINAPI *)(HWND, UINT, DWORD, void *);
const DWORD kAllow = 1; // MSGFLT_ALLOW

void allow(ChangeFilter change, HWND window, UINT message) {
    if (window && message)
        change(window, message, kAllow, nullptr);
}

} // namespace

void letOutsideMessagesThrough(HWND mainWindow, HWND suggestionWindow, HWND commandCombo) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    // Looked up rather than imported, so that a system without it still starts the program.
    ChangeFilter change = user32 ? reinterpret_cast<ChangeFilter>(reinterpret_cast<void *>(
                                       GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                                 : nullptr;
    if (!change)
        return;
    allow(change, mainWindow, taskbarCreatedMessage());
    allow(change, mainWindow, kTrayCallbackMessage);
    for (UINT message : {static_cast<UINT>(WM_KEYDOWN), kPostedKeyMessage, kCatchUpMessage, kSyncSuggestionsMessage,
                         kToggleWindowMessage})
        allow(change, suggestionWindow, message);
    // The command window's hot key empties its combo box before showing it.
    allow(change, commandCombo, CB_RESETCONTENT);
    allow(change, commandCombo, WM_CLEAR);
}
