#include "app/startup_win.h"

#include "app/app_globals_win.h"
#include "app/hook_helper_process_win.h"
#include "app/hook_thread_win.h"
#include "app/main_window_win.h"
#include "app/message_filter_win.h"
#include "app/tray_icon_win.h"
#include "completion/focus_accessibility_win.h"
#include "completion/suggestion_window_win.h"
#include "completion/typing_target_win.h"
#include "config/settings.h"
#include "harvest/harvest_catalogue_win.h"
#include "hooklib/larkhook.h"
#include "keyboard/screen_keyboard_win.h"
#include "launcher/command_catalogue.h"
#include "launcher/command_window_win.h"
#include "resources/resource_ids.h"
#include "vocabulary/word_store.h"
#include "win32/screen_dpi_win.h"

#include <cstring>

namespace {

const int kComboDropHeight = 250; // at 96 DPI

// A bordered popup without a system menu: it looks the same, but Wine's X11 driver then leaves it
// to no window manager, and hiding it never waits up to two seconds for one that is not there.
const DWORD kSuggestionWindowStyle = WS_POPUP | WS_BORDER;

HWND createSuggestionWindow(HINSTANCE instance) {
    HWND window = CreateWindowExA(0, windowClassName, windowTitle, kSuggestionWindowStyle, 50, 50, 100, 100, mainWindow,
                                  nullptr, instance, nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(suggestionWindowProc));
    return window;
}

void createKeyboardWindow(HINSTANCE instance) {
    screenKeyboard = new ScreenKeyboard(instance, mainWindow);
    keyboardWindow = screenKeyboard->dialog;
    HWND shiftButton = GetDlgItem(keyboardWindow, IDC_KEY_SHIFT);
    if (shiftButton)
        shiftButtonOldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(shiftButton, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(shiftButtonProc)));
    SetKeyboardWindow(keyboardWindow);
}

void createCommandWindow(HINSTANCE instance) {
    commandWindow = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_COMMAND), mainWindow, commandWindowProc, 0);
    HWND combo = GetDlgItem(commandWindow, IDC_COMMAND_COMBO);
    SetCommandWindow(commandWindow, combo);

    RECT rect = {};
    GetWindowRect(combo, &rect);
    SetWindowPos(combo, nullptr, 0, 0, rect.right - rect.left, scaleForDpi(kComboDropHeight, dpiOfWindow(combo)),
                 SWP_NOZORDER | SWP_NOMOVE);

    HWND edit = nullptr;
    EnumChildWindows(combo, findEditChild, reinterpret_cast<LPARAM>(&edit));
    commandEditOldProc = edit ? reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC,
                                                                             reinterpret_cast<LONG_PTR>(commandEditProc)))
                              : nullptr;
}

} // namespace

int createWindows(HINSTANCE instance, int) {
    appInstance = instance;
    mainWindow = CreateWindowExA(0, windowClassName, windowTitle, WS_POPUPWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                 nullptr, nullptr, instance, nullptr);
    if (!mainWindow)
        return 0;
    SetTimer(mainWindow, kEnablePollTimer, kEnablePollMs, nullptr);

    suggestionWindow = createSuggestionWindow(instance);
    if (!suggestionWindow)
        return 0;
    ShowWindow(mainWindow, SW_HIDE);
    UpdateWindow(mainWindow);

    createKeyboardWindow(instance);
    createCommandWindow(instance);

    addTrayIcon(mainWindow, kTrayIconId, LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM)), windowTitle);
    letOutsideMessagesThrough(mainWindow, suggestionWindow);
    SetProgramWindow(suggestionWindow);
    // Ready before the first program that keeps no system caret is typed in.
    announceLateAnswers(suggestionWindow, kLateAccessibleAnswerMessage);
    startAsker();
    watchFocusEvents();
    return 1;
}

void startHooks() {
    startHookThread();
    // Programs of the other bitness cannot load the library: its helper serves them.
    startHookHelper(programFolder);
}

BOOL CALLBACK findEditChild(HWND child, LPARAM foundEdit) {
    char className[MAX_PATH];
    // An exact, case-sensitive match of "Edit" with its terminator.
    if (GetClassNameA(child, className, sizeof className) > 0 && memcmp(className, "Edit", 5) == 0) {
        *reinterpret_cast<HWND *>(foundEdit) = child;
        return FALSE;
    }
    return TRUE;
}

namespace {

// Well within the time Windows gives a program at the end of a session.
const DWORD kSessionEndWaitMs = 3000;

template <typename T> T *takeObject(T *&object) {
    return static_cast<T *>(InterlockedExchangePointer(reinterpret_cast<PVOID volatile *>(&object), nullptr));
}

// The hook library's enable state is the master copy; the settings follow it once a second, so a
// hot key pressed just before the end would otherwise be saved stale.
void saveAndDestroySettings() {
    Settings *last = takeObject(settings);
    if (!last)
        return;
    last->completionEnabled = GetEnableState() != 0 ? 1 : 0;
    delete last;
}

} // namespace

void destroyLongLivedObjects() {
    delete takeObject(wordStore);
    delete takeObject(commandCatalogue);
    if (keyboardWindow)
        EndDialog(keyboardWindow, 0);
    delete takeObject(screenKeyboard);
    saveAndDestroySettings();
}

void saveBeforeSessionEnds() {
    stopHarvest();
    SetEvent(shutdownEvent);
    if (workerThread && WaitForSingleObject(workerThread, kSessionEndWaitMs) == WAIT_OBJECT_0)
        return;
    delete takeObject(wordStore);
    saveAndDestroySettings();
}
