#include "app/message_filter_win.h"

#include "app/main_window_win.h"
#include "app/tray_icon_win.h"
#include "hooklib/larkhook.h"
#include "win32/kernel_handle_win.h"

namespace {

const DWORD kAllow = 1; // MSGFLT_ALLOW

using ChangeFilter = BOOL(WINAPI *)(HWND, UINT, DWORD, void *);

void allow(ChangeFilter change, HWND window, UINT message) {
    if (window && message)
        change(window, message, kAllow, nullptr);
}

} // namespace

bool processIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    KernelHandle owned(token);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

MessageFilterCalls systemMessageFilterCalls() {
    MessageFilterCalls calls;
    calls.processIsElevated = processIsElevated;
    HMODULE user32 = GetModuleHandleA("user32.dll");
    // Looked up rather than imported, so that a system without it still starts the program.
    calls.changeFilter = user32 ? reinterpret_cast<ChangeFilter>(
                                      reinterpret_cast<void *>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                                : nullptr;
    return calls;
}

void letOutsideMessagesThrough(HWND mainWindow, HWND suggestionWindow, const MessageFilterCalls &calls) {
    if (!calls.changeFilter || !calls.processIsElevated || !calls.processIsElevated())
        return;
    allow(calls.changeFilter, mainWindow, taskbarCreatedMessage());
    allow(calls.changeFilter, mainWindow, kTrayCallbackMessage);
    // What the hooks send and post to the suggestion window; everything else stays out.
    for (UINT message : {static_cast<UINT>(WM_KEYDOWN), kPostedKeyMessage, kCatchUpMessage, kSyncSuggestionsMessage,
                         kToggleWindowMessage})
        allow(calls.changeFilter, suggestionWindow, message);
}
